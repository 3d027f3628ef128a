// The page view of the help window: a text browser that reads its pages and
// pictures out of the help collection (qthelp: addresses) and hands links to
// the web to the desktop's browser.
#pragma once

#include <QTextBrowser>

class HelpCollection;

class CHelpBrowser : public QTextBrowser {
    Q_OBJECT
public:
    CHelpBrowser(const HelpCollection& collection, QWidget* parent = nullptr);

    QVariant loadResource(int type, const QUrl& name) override;
    void doSetSource(const QUrl& name, QTextDocument::ResourceType type) override;

private:
    const HelpCollection& collection_;
};
