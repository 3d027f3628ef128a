#include "app/CControlWnd.h"

#include "platform/CFaceSubstitution.h"

#include "app/CIconPainter.h"
#include "ftp/CFtpView.h"
#include "project/CProjectView.h"

#include <QTabBar>
#include <QTabWidget>

CControlWnd::CControlWnd(QWidget* parent) : QDockWidget(parent)
{
    setObjectName(QStringLiteral("ControlWnd"));
    setWindowTitle(QStringLiteral("Tool Window"));
    setFeatures(DockWidgetClosable | DockWidgetMovable | DockWidgetFloatable);

    tabs_ = new QTabWidget(this);
    tabs_->setTabPosition(QTabWidget::South);
    tabs_->setDocumentMode(true);
    tabs_->tabBar()->setFont(TabFont());
    tabs_->setIconSize(QSize(CIconPainter::kTabIconSize, CIconPainter::kTabIconSize));
    projectView_ = new CProjectView(tabs_);
    ftpView_ = new CFtpView(tabs_);
    tabs_->addTab(projectView_, QIcon(CIconPainter::TabIcon(kProjectTab)), QStringLiteral("ProjectView"));
    tabs_->addTab(ftpView_, QIcon(CIconPainter::TabIcon(kFtpTab)), QStringLiteral("FTPView"));
    tabs_->setCurrentIndex(kProjectTab);
    setWidget(tabs_);
}

QFont CControlWnd::TabFont()
{
    return CFaceSubstitution::Font(QString::fromUtf8("ＭＳ　明朝"), 10);
}

void CControlWnd::SelectTab(int index)
{
    if (index == kProjectTab || index == kFtpTab)
        tabs_->setCurrentIndex(index);
}

QSize CControlWnd::sizeHint() const
{
    return initialSize_;
}
