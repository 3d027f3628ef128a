#include "app/CKESTRIX_2App.h"
#include "app/CRunningInstance.h"
#include "app/CScreenshotRun.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

bool HasDisplay()
{
    auto set = [](const char* name) {
        const char* value = std::getenv(name);
        return value && *value;
    };
    return set("QT_QPA_PLATFORM") || set("DISPLAY") || set("WAYLAND_DISPLAY");
}

} // namespace

int main(int argc, char** argv)
{
    if (!HasDisplay()) {
        std::fputs("kestrix: no display found (DISPLAY is not set); to run without a screen use a "
                   "virtual one: xvfb-run -a kestrix\n",
                   stderr);
        return 1;
    }
    QApplication qt(argc, argv);
    // Files named on the command line open in editor windows: in those of
    // the program already running on the same settings, when there is one.
    std::vector<std::string> files;
    for (const QString& argument : QCoreApplication::arguments().mid(1))
        files.push_back(argument.toStdString());
    const bool screenshot = CScreenshotRun::Requested();
    if (!files.empty() && !screenshot && CRunningInstance::HandOver(files))
        return 0;
    CKESTRIX_2App app;
    if (!app.InitInstance())
        return 1;
    CRunningInstance running;
    if (!screenshot)
        running.Listen(
            [&app](const std::vector<std::string>& handed) { app.OpenCommandLineFiles(handed, true); });
    app.OpenCommandLineFiles(files);
    // Only for the documentation's picture (scripts/screenshot).
    if (CScreenshotRun::Requested())
        CScreenshotRun::Start(app);
    return qt.exec();
}
