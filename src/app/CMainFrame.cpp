#include "app/CMainFrame.h"

#include "app/CControlWnd.h"
#include "app/CDebugBar.h"
#include "app/CKESTRIX_2App.h"
#include "app/builders/CIconPainter.h"
#include "app/builders/CMenuBuilder.h"
#include "app/builders/CMenuResources.h"
#include "editor/CSyntaxColorizer.h"
#include "editor/CToolTipWindow.h"
#include "platform/docview/CDocument.h"
#include "platform/docview/CMDIChildWnd.h"
#include "platform/docview/CMultiDocTemplate.h"
#include "platform/docview/CView.h"
#include "platform/resources/ProgramResources.h"
#include "platform/text/Sjis.h"
#include "platform/ui/UiService.h"

#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTextEdit>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

namespace {

// How often the toolbar's buttons follow the state of their commands while
// the program idles.
constexpr int kIdleUpdateMilliseconds = 250;

} // namespace

CMainFrame::CMainFrame(CKESTRIX_2App& app)
    : app_(app), accelerators_(CMenuResources::Accelerators()),
      router_([this] { return ActiveView(); }, {this, &app_})
{
    setWindowTitle(sjis::ToUnicode(CMenuResources::String(CMenuResources::kMainFrameResource)));
    setAcceptDrops(true);
}

CMainFrame::~CMainFrame()
{
    // QWidget's own destructor still hides the document windows, which
    // signals an activation: nothing of this class may answer it then.
    qApp->removeEventFilter(this);
    if (mdiArea_)
        disconnect(mdiArea_, nullptr, this, nullptr);
    if (idleTimer_)
        idleTimer_->stop();
    CMultiDocTemplate& docTemplate = app_.DocTemplate();
    if (docTemplate.MdiArea() == mdiArea_) {
        docTemplate.onDocumentCountChanged = nullptr;
        docTemplate.SetMdiArea(nullptr);
    }
}

QRect CMainFrame::InitialGeometry(QSize screen)
{
    const QSize size = screen.width() >= 800 ? QSize(640, 480) : QSize(800, 600);
    return {(screen.width() - size.width()) / 2, (screen.height() - size.height()) / 2, size.width(),
            size.height()};
}

bool CMainFrame::Create()
{
    const QScreen* display = QGuiApplication::primaryScreen();
    setGeometry(InitialGeometry(display ? display->geometry().size() : QSize(1024, 768)));

    mdiArea_ = new QMdiArea(this);
    mdiArea_->setObjectName(QStringLiteral("MDIClient"));
    setCentralWidget(mdiArea_);
    CreateToolBar();
    CreateMenus();
    DockBars();

    CMultiDocTemplate& docTemplate = app_.DocTemplate();
    docTemplate.SetMdiArea(mdiArea_);
    docTemplate.onDocumentCountChanged = [this](std::size_t open) {
        SwitchMenu(open ? CMenuResources::kDocumentMenu : CMenuResources::kNoDocumentMenu);
        ActivateRemainingWindow();
        UpdateToolBar();
        UpdateTitle();
    };
    connect(mdiArea_, &QMdiArea::subWindowActivated, this, [this] {
        UpdateToolBar();
        UpdateTitle();
    });
    qApp->installEventFilter(this);

    // The command data: the tooltip window comes first, as the load creates
    // it for this frame.
    CSyntaxColorizer& colorizer = app_.Colorizer();
    if (!colorizer.TipWindow())
        colorizer.SetTipWindow(std::make_unique<CToolTipWindow>());
    if (!colorizer.LoadCommandData(this)) {
        MessageBox(this, sjis::FromUtf8("コマンドデータの読み込みに失敗しました"), "File Load Error", MB_OK);
        return false;
    }

    idleTimer_ = new QTimer(this);
    connect(idleTimer_, &QTimer::timeout, this, [this] {
        if (isVisible()) {
            UpdateToolBar();
            UpdateTitle(); // a save under a new name renames the script
        }
    });
    idleTimer_->start(kIdleUpdateMilliseconds);
    UpdateToolBar();
    return true;
}

void CMainFrame::CreateMenus()
{
    const auto onCommand = [this](UINT id) { SendCommand(id); };
    const auto onUpdate = [this](QMenu* menu) { UpdateMenu(menu); };
    // Both menu bars live in one holder and the one that fits is shown, so
    // switching keeps each bar (and its actions) alive.
    auto* holder = new QWidget(this);
    holder->setObjectName(QStringLiteral("menuHolder"));
    auto* layout = new QVBoxLayout(holder);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    noDocumentMenu_ = CMenuBuilder::Build(ProgramResources::Menu(CMenuResources::kNoDocumentMenu), holder,
                                          onCommand, onUpdate);
    documentMenu_ = CMenuBuilder::Build(ProgramResources::Menu(CMenuResources::kDocumentMenu), holder,
                                        onCommand, onUpdate);
    for (QMenuBar* bar : {noDocumentMenu_, documentMenu_}) {
        bar->setNativeMenuBar(false);
        layout->addWidget(bar);
    }
    setMenuWidget(holder);
    RefreshRecentFiles();
    SwitchMenu(CMenuResources::kNoDocumentMenu);
}

void CMainFrame::CreateToolBar()
{
    toolBar_ = new QToolBar(QString::fromUtf8("ﾂｰﾙ ﾊﾞｰ"), this);
    toolBar_->setObjectName(QString::number(CMenuResources::kToolBar));
    toolBar_->setIconSize(CMenuResources::ToolBarButtonSize());
    for (UINT id : CMenuResources::ToolBarButtons()) {
        if (id == 0) {
            toolBar_->addSeparator();
            continue;
        }
        const QString tip = sjis::ToUnicode(CMenuResources::ToolTip(id));
        QAction* button =
            CMenuBuilder::MakeAction(id, tip, toolBar_, [this](UINT command) { RunAccelerator(command); });
        button->setIcon(QIcon(CIconPainter::ToolBarButton(id)));
        button->setToolTip(tip);
        toolBar_->addAction(button);
    }
    addToolBar(Qt::TopToolBarArea, toolBar_);
}

void CMainFrame::DockBars()
{
    // The workspace bar runs the full height on the left; the debug bar
    // sits under the document windows.
    setCorner(Qt::BottomLeftCorner, Qt::LeftDockWidgetArea);
    CControlWnd& workspace = app_.ControlWnd();
    CDebugBar& output = app_.DebugBar();
    workspace.SetInitialSize(size() / 2);
    addDockWidget(Qt::LeftDockWidgetArea, &workspace);
    addDockWidget(Qt::BottomDockWidgetArea, &output);
    resizeDocks({&workspace}, {width() / 2}, Qt::Horizontal);
    resizeDocks({&output}, {CDebugBar::kInitialHeight}, Qt::Vertical);
    workspace.SelectTab(CControlWnd::kProjectTab);
    output.SelectTab(CDebugBar::kSyntaxCheckTab);
}

QMenuBar* CMainFrame::MenuBar(UINT id) const
{
    return id == CMenuResources::kDocumentMenu ? documentMenu_ : noDocumentMenu_;
}

void CMainFrame::SwitchMenu(UINT id)
{
    currentMenu_ = id;
    noDocumentMenu_->setVisible(id == CMenuResources::kNoDocumentMenu);
    documentMenu_->setVisible(id == CMenuResources::kDocumentMenu);
}

void CMainFrame::RefreshRecentFiles()
{
    const auto onCommand = [this](UINT id) { SendCommand(id); };
    for (QMenuBar* bar : {noDocumentMenu_, documentMenu_})
        if (bar)
            CMenuBuilder::SetRecentFiles(bar, app_.RecentFiles().Entries(), onCommand);
}

CView* CMainFrame::ActiveView() const
{
    if (!mdiArea_)
        return nullptr;
    auto* frame = qobject_cast<CMDIChildWnd*>(mdiArea_->currentSubWindow());
    if (!frame || frame->isHidden() || !frame->GetActiveView() || !frame->GetActiveView()->GetDocument())
        return nullptr;
    return frame->GetActiveView();
}

void CMainFrame::ActivateRemainingWindow()
{
    // A closed document's windows are hidden until they are deleted; the
    // window used last before them becomes the active one, as when a window
    // is closed with its own button.
    QMdiSubWindow* current = mdiArea_->currentSubWindow();
    if (current && !current->isHidden())
        return;
    const QList<QMdiSubWindow*> windows = mdiArea_->subWindowList(QMdiArea::ActivationHistoryOrder);
    for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
        if (!(*it)->isHidden()) {
            mdiArea_->setActiveSubWindow(*it);
            return;
        }
    }
}

bool CMainFrame::SendCommand(UINT id)
{
    return router_.Route(id);
}

bool CMainFrame::SendCommandFrom(CView* view, UINT id)
{
    return router_.Route(id, view);
}

CCmdUI CMainFrame::CommandState(UINT id) const
{
    return router_.State(id);
}

bool CMainFrame::RunAccelerator(UINT id)
{
    // A disabled command does not run; its key goes on to the control.
    return CommandState(id).Enabled() && SendCommand(id);
}

void CMainFrame::UpdateToolBar()
{
    if (!toolBar_)
        return;
    for (QAction* button : toolBar_->actions())
        if (UINT id = CMenuBuilder::CommandId(button))
            button->setEnabled(CommandState(id).Enabled());
}

void CMainFrame::UpdateMenu(QMenu* menu)
{
    if (menu == CMenuBuilder::FindPopup(documentMenu_, cmd::kWindowNew)) {
        std::vector<QString> titles;
        int active = -1;
        for (QMdiSubWindow* window : mdiArea_->subWindowList()) {
            if (window == mdiArea_->currentSubWindow())
                active = int(titles.size());
            titles.push_back(window->windowTitle());
        }
        CMenuBuilder::SetWindowList(menu, titles, active, [this](UINT id) { SendCommand(id); });
    }
    for (QAction* action : menu->actions()) {
        const UINT id = CMenuBuilder::CommandId(action);
        if (!id)
            continue;
        const CCmdUI state = CommandState(id);
        action->setEnabled(state.Enabled());
        if (action->isCheckable() || state.Checked()) {
            action->setCheckable(true);
            action->setChecked(state.Checked());
        }
    }
}

bool CMainFrame::OnCommand(UINT id)
{
    if (const int index = cmd::ListedWindowIndex(id); index >= 0) {
        const QList<QMdiSubWindow*> windows = mdiArea_->subWindowList();
        if (index < windows.size())
            mdiArea_->setActiveSubWindow(windows[index]);
        return true;
    }
    switch (id) {
    case cmd::kFileClose: CloseActiveDocument(); return true;
    case cmd::kWindowNew: OnWindowNew(); return true;
    case cmd::kWindowCascade: mdiArea_->cascadeSubWindows(); return true;
    case cmd::kWindowTile: mdiArea_->tileSubWindows(); return true;
    case cmd::kWindowArrange: ArrangeIcons(); return true;
    case cmd::kNextPane: mdiArea_->activateNextSubWindow(); return true;
    case cmd::kPrevPane: mdiArea_->activatePreviousSubWindow(); return true;
    case cmd::kViewToolBar: toolBar_->setVisible(!toolBar_->isVisible()); return true;
    case cmd::kToggleWorkspace: {
        CControlWnd& bar = app_.ControlWnd();
        bar.setVisible(!bar.isVisible());
        return true;
    }
    case cmd::kToggleDebugBar: {
        CDebugBar& bar = app_.DebugBar();
        bar.setVisible(!bar.isVisible());
        return true;
    }
    default: return false;
    }
}

bool CMainFrame::OnUpdateCommand(CCmdUI& ui)
{
    const UINT id = ui.Id();
    if (const int index = cmd::ListedWindowIndex(id); index >= 0) {
        const QList<QMdiSubWindow*> windows = mdiArea_->subWindowList();
        ui.Enable(index < windows.size());
        ui.SetCheck(index < windows.size() && windows[index] == mdiArea_->currentSubWindow());
        return true;
    }
    switch (id) {
    case cmd::kFileClose:
    case cmd::kWindowNew: ui.Enable(ActiveView() != nullptr); return true;
    case cmd::kWindowCascade:
    case cmd::kWindowTile:
    case cmd::kWindowArrange:
    case cmd::kNextPane:
    case cmd::kPrevPane:
    case cmd::kToggleWorkspace:
    case cmd::kToggleDebugBar: ui.Enable(); return true;
    case cmd::kViewToolBar:
        ui.Enable();
        ui.SetCheck(toolBar_->isVisible());
        return true;
    default: return false;
    }
}

void CMainFrame::OnWindowNew()
{
    CView* view = ActiveView();
    CDocument* document = view ? view->GetDocument() : nullptr;
    if (!document)
        return;
    CMDIChildWnd* frame = app_.DocTemplate().CreateNewFrame(document);
    if (!frame)
        return;
    frame->GetActiveView()->OnInitialUpdate();
    document->UpdateFrameTitles();
    frame->show();
    mdiArea_->setActiveSubWindow(frame);
}

void CMainFrame::ArrangeIcons()
{
    // Minimized windows are lined up along the bottom of the MDI area, left
    // to right in the order the windows were opened.
    int x = 0;
    const int bottom = mdiArea_->viewport()->height();
    for (QMdiSubWindow* window : mdiArea_->subWindowList()) {
        if (!window->isMinimized())
            continue;
        const QSize size = window->size();
        window->move(x, bottom - size.height());
        x += size.width();
    }
}

void CMainFrame::CloseActiveDocument()
{
    CView* view = ActiveView();
    CDocument* document = view ? view->GetDocument() : nullptr;
    if (!document || !document->SaveModified())
        return;
    if (CMultiDocTemplate* docTemplate = document->GetDocTemplate())
        docTemplate->CloseDocument(document);
}

void CMainFrame::UpdateTitle()
{
    QString title = sjis::ToUnicode(CMenuResources::String(CMenuResources::kMainFrameResource));
    const CView* view = ActiveView();
    if (const CDocument* document = view ? view->GetDocument() : nullptr)
        title += QStringLiteral(" - ") + sjis::ToUnicode(document->GetTitle());
    if (title != windowTitle())
        setWindowTitle(title);
}

namespace {

// The local files a drag carries; none when it carries anything else.
QStringList DroppedFiles(const QMimeData* data)
{
    QStringList files;
    if (!data || !data->hasUrls())
        return files;
    for (const QUrl& url : data->urls()) {
        if (!url.isLocalFile())
            return {};
        files << url.toLocalFile();
    }
    return files;
}

} // namespace

void CMainFrame::dragEnterEvent(QDragEnterEvent* event)
{
    if (!DroppedFiles(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void CMainFrame::dragMoveEvent(QDragMoveEvent* event)
{
    if (!DroppedFiles(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event)
{
    const QStringList files = DroppedFiles(event->mimeData());
    if (files.isEmpty())
        return;
    event->acceptProposedAction();
    for (const QString& file : files)
        app_.DocTemplate().OpenDocumentFile(file.toStdString());
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    CMultiDocTemplate& docTemplate = app_.DocTemplate();
    if (!docTemplate.SaveAllModified() || !app_.Project().SaveModifiedOnExit()) {
        event->ignore();
        return;
    }
    docTemplate.CloseAllDocuments();
    event->accept();
}

namespace {

// A text field of the bars (the syntax check's messages, a path box) keeps
// the edit keys for itself: Ctrl+C there copies its own text, not the
// editor's.
bool KeepsEditKeys(QWidget* widget, UINT id)
{
    switch (id) {
    case cmd::kEditUndo:
    case cmd::kEditCut:
    case cmd::kEditCopy:
    case cmd::kEditPaste:
    case cmd::kEditSelectAll: break;
    default: return false;
    }
    const bool textField = qobject_cast<QLineEdit*>(widget) || qobject_cast<QAbstractSpinBox*>(widget) ||
                           qobject_cast<QPlainTextEdit*>(widget) || qobject_cast<QTextEdit*>(widget);
    return textField && !dynamic_cast<CView*>(widget);
}

} // namespace

bool CMainFrame::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        // The key is looked at once, where it arrives; a key the focused
        // control ignored and hands on to its parents has been looked at.
        auto* widget = qobject_cast<QWidget*>(watched);
        QWidget* focus = QApplication::focusWidget();
        const bool handedOn = focus && focus != widget && widget && widget->isAncestorOf(focus);
        if (widget && widget->window() == this && !handedOn) {
            auto id = accelerators_.Find(*static_cast<QKeyEvent*>(event));
            if (id && !KeepsEditKeys(widget, *id) && RunAccelerator(*id))
                return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}
