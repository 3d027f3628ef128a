// The help window: the contents, the index and the full-text search of the
// help collection on the left, the page on the right. The program keeps one;
// asking for a page or the index brings it to the front.
#pragma once

#include <QWidget>

class CHelpBrowser;
class HelpCollection;
class QHelpContentWidget;
class QHelpIndexWidget;
class QLineEdit;
class QTabWidget;
class QUrl;

class CHelpWindow : public QWidget {
    Q_OBJECT
public:
    // The collection must be open and outlive the window.
    explicit CHelpWindow(HelpCollection& collection, QWidget* parent = nullptr);

    // Shows the page and brings the window to the front.
    void ShowPage(const QUrl& url);
    // Shows the index with the keyword typed into its line (the index list
    // narrowed to the entries starting with it).
    void ShowIndex(const QString& keyword);

    // The page shown: its title and text.
    QString PageTitle() const;
    QString PageText() const;
    QUrl PageUrl() const;
    // The index tab is the one in front and its line reads this.
    QString IndexText() const;
    bool IndexShown() const;

private:
    void BringToFront();
    void FilterIndex(const QString& text);
    void SyncContents();

    HelpCollection& collection_;
    QTabWidget* tabs_ = nullptr;
    QHelpContentWidget* contents_ = nullptr;
    QHelpIndexWidget* index_ = nullptr;
    QLineEdit* indexLine_ = nullptr;
    QWidget* indexPage_ = nullptr;
    CHelpBrowser* browser_ = nullptr;
    bool searchIndexed_ = false;
};
