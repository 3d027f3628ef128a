#include "app/CDebugBar.h"

#include "app/CControlWnd.h"

#include "run/CDebugScreen.h"
#include "run/CSyntaxCheck.h"

#include <QTabBar>
#include <QTabWidget>

CDebugBar::CDebugBar(QWidget* parent) : QDockWidget(parent)
{
    setObjectName(QStringLiteral("DebugBar"));
    setWindowTitle(QStringLiteral("Debug Window"));
    setFeatures(DockWidgetClosable | DockWidgetMovable | DockWidgetFloatable);

    tabs_ = new QTabWidget(this);
    tabs_->setTabPosition(QTabWidget::South);
    tabs_->setDocumentMode(true);
    // Both bars label their tabs in the same 10-point Mincho.
    tabs_->tabBar()->setFont(CControlWnd::TabFont());
    syntaxCheck_ = new CSyntaxCheck(tabs_);
    debugScreen_ = new CDebugScreen(tabs_);
    tabs_->addTab(syntaxCheck_, QStringLiteral("SyntaxCheck"));
    tabs_->addTab(debugScreen_, QStringLiteral("DebugScreen"));
    tabs_->setCurrentIndex(kSyntaxCheckTab);
    setWidget(tabs_);
}

void CDebugBar::SelectTab(int index)
{
    if (index == kSyntaxCheckTab || index == kDebugScreenTab)
        tabs_->setCurrentIndex(index);
}
