#include "app/CScreenshotRun.h"

#include "app/CKESTRIX_2App.h"
#include "app/CMainFrame.h"
#include "app/builders/CMenuResources.h"
#include "platform/docview/CDocument.h"
#include "platform/docview/CMDIChildWnd.h"
#include "platform/docview/CMultiDocTemplate.h"
#include "platform/docview/CView.h"
#include "platform/help/CHelpWindow.h"
#include "platform/text/Sjis.h"

#include <QApplication>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::string Environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

} // namespace

bool CScreenshotRun::Requested()
{
    return !Environment("KESTRIX_SCREENSHOT").empty();
}

void CScreenshotRun::Start(CKESTRIX_2App& app)
{
    CMainFrame* frame = app.MainFrame();
    if (!frame)
        return;
    const std::string open = Environment("KESTRIX_OPEN");
    if (!open.empty()) {
        // The script fills the document area.
        if (CDocument* document = app.DocTemplate().OpenDocumentFile(open)) {
            if (CView* view = document->FirstView(); view && view->GetParentFrame()) {
                view->GetParentFrame()->showMaximized();
            }
        }
    }
    app.ControlWnd().show();
    app.DebugBar().show();
    frame->raise();
    frame->activateWindow();

    const QString png = QString::fromStdString(Environment("KESTRIX_SCREENSHOT"));
    const std::string show = Environment("KESTRIX_SHOW");
    QWidget* pictured = frame;
    if (show.starts_with("help:")) {
        app.Help().KeywordLookup(sjis::FromUtf8(show.substr(5)));
        if (app.Help().Window())
            pictured = app.Help().Window();
    } else if (show == "settings") {
        // The dialog is modal: it is pictured from within its own loop.
        QTimer::singleShot(0, frame, [frame] { frame->SendCommand(cmd::kSettings); });
        pictured = nullptr;
    }
    QTimer::singleShot(kDelayMilliseconds, frame, [pictured, png] {
        QWidget* window = pictured ? pictured : QApplication::activeModalWidget();
        const bool saved = window && window->grab().save(png, "PNG");
        if (!saved)
            std::fprintf(stderr, "kestrix: could not write %s\n", png.toLocal8Bit().constData());
        QApplication::exit(saved ? 0 : 1);
    });
}
