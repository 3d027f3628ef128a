// The program's main window "KESTRIX ver2.0": the windows of the open
// documents in its MDI area, the toolbar, the workspace bar on the left and
// the debug bar along the bottom. It shows menu 128 while no document is
// open and menu 129 while one is, routes every command of its menus, keys
// and buttons, and its creation loads the command data; a frame whose
// creation fails ends the program.
#pragma once

#include "app/CCommandRouter.h"
#include "app/builders/CAcceleratorTable.h"
#include "platform/docview/CCmdTarget.h"

#include <QMainWindow>
#include <QRect>
#include <QSize>

class CKESTRIX_2App;
class CView;
class QMdiArea;
class QMenu;
class QMenuBar;
class QTimer;
class QToolBar;

class CMainFrame : public QMainWindow, public CCmdTarget {
    Q_OBJECT
public:
    explicit CMainFrame(CKESTRIX_2App& app);
    ~CMainFrame() override;

    // The frame's first place on a screen of the given size: 640 x 480 on a
    // screen at least 800 wide, else 800 x 600, centred (the corner may lie
    // off the screen).
    static QRect InitialGeometry(QSize screen);

    // Builds the frame, docks the application's bars and loads the command
    // data. False, after telling the user, when the command data cannot be
    // loaded.
    bool Create();

    // Carries out a command as if its menu item had been chosen: the active
    // view, its document, its child frame, this frame and the application
    // are asked in turn. False when none carries it out.
    bool SendCommand(UINT id);
    // A pop-up menu's command: the view that opened the menu is asked first.
    bool SendCommandFrom(CView* view, UINT id);
    // An item's state as its menu would show it.
    CCmdUI CommandState(UINT id) const;

    // The view of the active document window, nullptr without one.
    CView* ActiveView() const;
    QMdiArea* MdiArea() const { return mdiArea_; }
    QToolBar* ToolBar() const { return toolBar_; }
    // Menu bar 128 or 129; CurrentMenu() is the one shown.
    QMenuBar* MenuBar(UINT id) const;
    UINT CurrentMenu() const { return currentMenu_; }
    const CAcceleratorTable& Accelerators() const { return accelerators_; }

    // Rebuilds the recent-file items of both menus from the application's
    // list.
    void RefreshRecentFiles();
    // Refreshes the toolbar buttons' states (done while the program idles).
    void UpdateToolBar();
    // Refreshes the states of a menu's items, as just before it opens.
    void UpdateMenu(QMenu* menu);

    bool OnCommand(UINT id) override;
    bool OnUpdateCommand(CCmdUI& ui) override;

    // The frame has no menu of its own for its bars: they are shown and
    // hidden from the view menu.
    QMenu* createPopupMenu() override { return nullptr; }

protected:
    // Closing the frame asks about each modified document; Cancel keeps the
    // program running.
    void closeEvent(QCloseEvent* event) override;
    // Accelerators are looked up before the focused control gets a key.
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Files dropped on the window (or on an editor, which takes text only)
    // open as documents.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void CreateMenus();
    void CreateToolBar();
    void DockBars();
    void SwitchMenu(UINT id);
    void ActivateRemainingWindow();
    void OnWindowNew();
    void ArrangeIcons();
    void CloseActiveDocument();
    bool RunAccelerator(UINT id);
    // "KESTRIX ver2.0 - name.cgi" while a script's window is active.
    void UpdateTitle();

    CKESTRIX_2App& app_;
    CAcceleratorTable accelerators_;
    CCommandRouter router_;
    QMdiArea* mdiArea_ = nullptr;
    QToolBar* toolBar_ = nullptr;
    QMenuBar* noDocumentMenu_ = nullptr;
    QMenuBar* documentMenu_ = nullptr;
    QTimer* idleTimer_ = nullptr;
    UINT currentMenu_ = 0;
};
