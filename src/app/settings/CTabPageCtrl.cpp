#include "app/settings/CTabPageCtrl.h"

#include "app/settings/CSettingPage.h"

#include <QPainter>
#include <QStyleOptionTabWidgetFrame>
#include <QTabBar>
#include <algorithm>

CTabPageCtrl::CTabPageCtrl(QWidget* parent) : QWidget(parent), tabBar_(new QTabBar(this))
{
    tabBar_->setShape(QTabBar::RoundedSouth);
    tabBar_->setDrawBase(false);
    tabBar_->setExpanding(false);
    connect(tabBar_, &QTabBar::currentChanged, this, &CTabPageCtrl::ShowPage);
}

int CTabPageCtrl::AddPage(CSettingPage* page, const QString& title)
{
    page->setParent(this);
    pages_.push_back(page);
    const int index = tabBar_->addTab(title);
    Arrange();
    ShowPage(tabBar_->currentIndex());
    return index;
}

void CTabPageCtrl::SetCurrentIndex(int index)
{
    tabBar_->setCurrentIndex(index);
}

void CTabPageCtrl::ShowPage(int index)
{
    for (std::size_t i = 0; i < pages_.size(); ++i)
        pages_[i]->setVisible(int(i) == index);
}

int CTabPageCtrl::TabHeight() const
{
    return tabBar_->sizeHint().height();
}

QPoint CTabPageCtrl::PagePosition(const QSize& pageSize) const
{
    const int x = (width() - pageSize.width()) / 2;
    const int y = (height() - TabHeight() - pageSize.height()) / 2;
    return {std::max(0, x), std::max(0, y)};
}

void CTabPageCtrl::Arrange()
{
    const int tabHeight = TabHeight();
    const int tabWidth = std::min(width(), tabBar_->sizeHint().width());
    // The tabs overlap the frame by its line, so the selected tab joins the
    // page area above it.
    tabBar_->setGeometry(2, height() - tabHeight - 1, tabWidth, tabHeight);
    for (CSettingPage* page : pages_)
        page->move(PagePosition(page->size()));
}

void CTabPageCtrl::resizeEvent(QResizeEvent*)
{
    Arrange();
}

void CTabPageCtrl::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    QStyleOptionTabWidgetFrame frame;
    frame.initFrom(this);
    frame.shape = QTabBar::RoundedSouth;
    frame.rect = QRect(0, 0, width(), height() - TabHeight());
    frame.tabBarSize = tabBar_->sizeHint();
    frame.tabBarRect = tabBar_->geometry();
    frame.lineWidth = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this);
    style()->drawPrimitive(QStyle::PE_FrameTabWidget, &frame, &painter, this);
}
