// A bar of the main frame: a dock that can be closed, moved and floated,
// with its pages on tabs along its bottom, labelled in 10-point "ＭＳ　明朝"
// (drawn by an installed Mincho face where that one is missing).
#pragma once

#include <QDockWidget>

class QTabWidget;

class CTabbedBar : public QDockWidget {
    Q_OBJECT
public:
    // Shows the page at the index; an index no page has changes nothing.
    void SelectTab(int index);

    QTabWidget* Tabs() const { return tabs_; }

    static QFont TabFont();

protected:
    CTabbedBar(const QString& name, const QString& title, QWidget* parent);

private:
    QTabWidget* tabs_;
};
