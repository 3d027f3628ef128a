// The workspace bar: a dock on the frame's left, resizable and floatable,
// with the project tree and the FTP browser on tabs along its bottom.
#pragma once

#include <QDockWidget>
#include <QSize>

class CFtpView;
class CProjectView;
class QTabWidget;

class CControlWnd : public QDockWidget {
    Q_OBJECT
public:
    static constexpr int kProjectTab = 0;
    static constexpr int kFtpTab = 1;

    explicit CControlWnd(QWidget* parent = nullptr);

    // Shows the page at the index (0 the project tree, 1 the FTP browser);
    // any other index changes nothing.
    void SelectTab(int index);

    // The size the bar takes when it is first docked.
    void SetInitialSize(QSize size) { initialSize_ = size; }
    QSize sizeHint() const override;

    QTabWidget* Tabs() const { return tabs_; }
    CProjectView* ProjectView() const { return projectView_; }
    CFtpView* FtpView() const { return ftpView_; }

    // The tabs' font: 10-point "ＭＳ　明朝", drawn by an installed Mincho
    // face where that one is missing.
    static QFont TabFont();

private:
    QTabWidget* tabs_ = nullptr;
    CProjectView* projectView_ = nullptr;
    CFtpView* ftpView_ = nullptr;
    QSize initialSize_{200, 200};
};
