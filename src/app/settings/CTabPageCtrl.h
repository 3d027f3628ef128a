// The settings dialog's tab control: tabs along the bottom edge over a
// framed area that shows one page at a time, each page centred in it.
#pragma once

#include <QWidget>
#include <vector>

class CSettingPage;
class QTabBar;

class CTabPageCtrl : public QWidget {
    Q_OBJECT
public:
    explicit CTabPageCtrl(QWidget* parent = nullptr);

    // Adds a page under a new tab; the control takes the page over.
    int AddPage(CSettingPage* page, const QString& title);

    const std::vector<CSettingPage*>& Pages() const { return pages_; }
    QTabBar* TabBar() const { return tabBar_; }
    void SetCurrentIndex(int index);

    // Where the pages sit: centred in the area above the tabs (at the top
    // left edge when the area is smaller than a page).
    QPoint PagePosition(const QSize& pageSize) const;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void ShowPage(int index);
    void Arrange();
    int TabHeight() const;

    QTabBar* tabBar_;
    std::vector<CSettingPage*> pages_;
};
