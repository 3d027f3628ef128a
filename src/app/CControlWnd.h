// The workspace bar: a dock on the frame's left with the project tree and
// the FTP browser on its tabs.
#pragma once

#include "app/CTabbedBar.h"

#include <QSize>

class CFtpView;
class CProjectView;

class CControlWnd : public CTabbedBar {
    Q_OBJECT
public:
    static constexpr int kProjectTab = 0;
    static constexpr int kFtpTab = 1;

    explicit CControlWnd(QWidget* parent = nullptr);

    // The size the bar takes when it is first docked.
    void SetInitialSize(QSize size) { initialSize_ = size; }
    QSize sizeHint() const override { return initialSize_; }

    CProjectView* ProjectView() const { return projectView_; }
    CFtpView* FtpView() const { return ftpView_; }

private:
    CProjectView* projectView_;
    CFtpView* ftpView_;
    QSize initialSize_{200, 200};
};
