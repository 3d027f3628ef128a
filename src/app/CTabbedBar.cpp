#include "app/CTabbedBar.h"

#include "platform/ui/CFaceSubstitution.h"

#include <QTabBar>
#include <QTabWidget>

CTabbedBar::CTabbedBar(const QString& name, const QString& title, QWidget* parent)
    : QDockWidget(parent), tabs_(new QTabWidget(this))
{
    setObjectName(name);
    setWindowTitle(title);
    setFeatures(DockWidgetClosable | DockWidgetMovable | DockWidgetFloatable);
    tabs_->setTabPosition(QTabWidget::South);
    tabs_->setDocumentMode(true);
    tabs_->tabBar()->setFont(TabFont());
    setWidget(tabs_);
}

QFont CTabbedBar::TabFont()
{
    return CFaceSubstitution::Font(QString::fromUtf8("ＭＳ　明朝"), 10);
}

void CTabbedBar::SelectTab(int index)
{
    if (index >= 0 && index < tabs_->count())
        tabs_->setCurrentIndex(index);
}
