#include "app/CScreenshotRun.h"

#include "app/CKESTRIX_2App.h"
#include "app/CMainFrame.h"
#include "platform/docview/CDocument.h"
#include "platform/docview/CMDIChildWnd.h"
#include "platform/docview/CMultiDocTemplate.h"
#include "platform/docview/CView.h"

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
    QTimer::singleShot(kDelayMilliseconds, frame, [frame, png] {
        const bool saved = frame->grab().save(png, "PNG");
        if (!saved)
            std::fprintf(stderr, "kestrix: could not write %s\n", png.toLocal8Bit().constData());
        QApplication::exit(saved ? 0 : 1);
    });
}
