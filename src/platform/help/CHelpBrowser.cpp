#include "platform/help/CHelpBrowser.h"

#include "platform/help/HelpCollection.h"

#include <QDesktopServices>

CHelpBrowser::CHelpBrowser(const HelpCollection& collection, QWidget* parent)
    : QTextBrowser(parent), collection_(collection)
{
    setOpenLinks(true);
    setOpenExternalLinks(false);
}

QVariant CHelpBrowser::loadResource(int type, const QUrl& name)
{
    if (name.scheme() == QLatin1String("qthelp"))
        return collection_.FileData(name);
    return QTextBrowser::loadResource(type, name);
}

void CHelpBrowser::doSetSource(const QUrl& name, QTextDocument::ResourceType type)
{
    // Pages of the collection are shown here; anything else (the web, mail)
    // goes to the program the desktop names for it.
    if (!name.scheme().isEmpty() && name.scheme() != QLatin1String("qthelp")) {
        QDesktopServices::openUrl(name);
        return;
    }
    QTextBrowser::doSetSource(name, type);
}
