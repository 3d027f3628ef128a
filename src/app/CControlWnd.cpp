#include "app/CControlWnd.h"

#include "app/builders/CIconPainter.h"
#include "ftp/CFtpView.h"
#include "project/CProjectView.h"

#include <QTabWidget>

CControlWnd::CControlWnd(QWidget* parent)
    : CTabbedBar(QStringLiteral("ControlWnd"), QString(), parent), projectView_(new CProjectView(Tabs())),
      ftpView_(new CFtpView(Tabs()))
{
    Tabs()->setIconSize(QSize(CIconPainter::kTabIconSize, CIconPainter::kTabIconSize));
    Tabs()->addTab(projectView_, QIcon(CIconPainter::TabIcon(kProjectTab)), QStringLiteral("ProjectView"));
    Tabs()->addTab(ftpView_, QIcon(CIconPainter::TabIcon(kFtpTab)), QStringLiteral("FTPView"));
    Tabs()->setCurrentIndex(kProjectTab);
    // The workspace has no title and stays on the left.
    setAllowedAreas(Qt::LeftDockWidgetArea);
}
