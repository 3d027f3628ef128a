// The child frame of one view in the main frame's MDI area. Its window text
// is the document's title (numbered ":1", ":2" when a document has several
// frames).
#pragma once

#include "platform/docview/CCmdTarget.h"

#include <QMdiSubWindow>
#include <string>

class CView;

class CMDIChildWnd : public QMdiSubWindow, public CCmdTarget {
    Q_OBJECT
public:
    explicit CMDIChildWnd(QWidget* parent = nullptr);
    ~CMDIChildWnd() override;

    void SetView(CView* view);
    CView* GetActiveView() const { return view_; }
    // The window text as code page 932 (the document's title).
    std::string GetWindowText() const;
    void SetWindowText(const std::string& cp932);
    // The first placement of a new frame (x, y, width, height in pixels).
    virtual QRect InitialGeometry() const { return QRect(5, 5, 450, 300); }

protected:
    // Closing the last frame of a modified document asks whether to save it.
    void closeEvent(QCloseEvent* event) override;

private:
    CView* view_ = nullptr;
};
