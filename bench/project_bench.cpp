// Opens a project of real scripts and measures what the user feels: the
// longest stall of the event loop while the project opens and its scripts
// are scanned (the largest gap between the ticks of a 1 ms timer), and the
// time until every script's subs are listed in the tree, against grep
// counting declaration lines over the same files in the same run.
//
// The scripts are copies of the installed perl's modules, numbered so that
// no two share a name, in a project folder under the system's temporary
// folder that is removed afterwards. Exits non-zero when the tree lists no
// subs or misses a script.
//
//   project_bench [COUNT] [MODULE_FOLDER]     (defaults 500, /usr/share/perl/5.36)
#include "platform/richedit/CRichEditCtrl.h"
#include "platform/text/Sjis.h"
#include "project/CProjectView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::vector<fs::path> Modules(const fs::path& root, std::size_t count)
{
    std::vector<fs::path> found;
    for (const auto& entry :
         fs::recursive_directory_iterator(root, fs::directory_options::follow_directory_symlink |
                                                    fs::directory_options::skip_permission_denied))
        if (entry.is_regular_file() && entry.path().extension() == ".pm")
            found.push_back(entry.path());
    std::sort(found.begin(), found.end());
    if (found.size() > count)
        found.resize(count);
    return found;
}

// Milliseconds grep takes to count declaration lines in the files.
double GrepMs(const std::vector<std::string>& files, long& lines)
{
    QStringList args{"-c", "^\\s*sub "};
    for (const std::string& file : files)
        args << QString::fromStdString(file);
    QElapsedTimer timer;
    timer.start();
    QProcess grep;
    grep.start("grep", args);
    grep.waitForFinished(-1);
    const double ms = timer.nsecsElapsed() / 1e6;
    lines = 0;
    for (const QByteArray& line : grep.readAllStandardOutput().split('\n'))
        if (const auto colon = line.lastIndexOf(':'); colon >= 0)
            lines += line.mid(colon + 1).toLong();
    return ms;
}

} // namespace

int main(int argc, char** argv)
{
    const std::size_t count = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 500;
    const fs::path root = argc > 2 ? argv[2] : "/usr/share/perl/5.36";
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);

    const fs::path folder = fs::temp_directory_path() / ("kestrix-project-bench-" + std::to_string(getpid()));
    const fs::path project = folder / "bench";
    fs::create_directories(project);
    std::vector<std::string> files;
    CProjectData data;
    int n = 0;
    for (const fs::path& module : Modules(root, count)) {
        char prefix[16];
        std::snprintf(prefix, sizeof prefix, "%03d_", n++);
        const fs::path copy = project / (prefix + module.filename().string());
        fs::copy_file(module, copy, fs::copy_options::overwrite_existing);
        files.push_back(copy.string());
        auto entry = std::make_unique<PROJECT_ENTRY>();
        entry->SetPath(sjis::FromUtf8(copy.string()));
        data.AppendEntry(std::move(entry));
    }
    data.SetFolder(project.string());
    data.SetName("bench");
    if (!data.Save()) {
        std::fprintf(stderr, "cannot write the project file\n");
        return 1;
    }

    long grepLines = 0;
    GrepMs(files, grepLines); // the same warm page cache for both
    const double grepMs = GrepMs(files, grepLines);

    CProjectView tree;
    tree.resize(300, 600);
    tree.show();
    QApplication::processEvents();

    // The ticker runs throughout; the project opens on the loop's next turn.
    QElapsedTimer clock;
    clock.start();
    qint64 lastTick = 0;
    qint64 longestGapNs = 0;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    ticker.setInterval(1);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        longestGapNs = std::max(longestGapNs, now - lastTick);
        lastTick = now;
    });
    double listedMs = -1;
    double openedMs = -1;
    QElapsedTimer open;
    QTimer::singleShot(5, [&] {
        open.start();
        tree.Load(data.DefaultPath());
        tree.RebuildTree();
        tree.StartSubScans();
        openedMs = open.nsecsElapsed() / 1e6;
    });
    QTimer watch;
    watch.setInterval(0);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (open.isValid() && tree.Scans().Pending() == 0 && tree.SourceFilesItem()) {
            listedMs = open.nsecsElapsed() / 1e6;
            watch.stop();
            QTimer::singleShot(20, &app, &QApplication::quit);
        }
    });
    lastTick = clock.nsecsElapsed();
    ticker.start();
    watch.start();
    app.exec();

    // What a rescan from typing costs the window: the copy of the editor's
    // whole text that is handed to the worker, on a script of all the
    // modules' first 1 MB.
    std::string big;
    for (const std::string& file : files) {
        if (big.size() > (1 << 20))
            break;
        std::ifstream in(file, std::ios::binary);
        big.append(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    CRichEditCtrl editor;
    editor.StreamIn(StreamFormat::Text, big);
    QString copied = editor.toPlainText(); // the first read settles the control
    QElapsedTimer copy;
    copy.start();
    copied = editor.toPlainText();
    const double copyMs = copy.nsecsElapsed() / 1e6;
    QElapsedTimer rescan;
    rescan.start();
    tree.RescanText(tree.SourceFilesItem()->child(0)->text(0).toStdString(), copied);
    const double handOffMs = rescan.nsecsElapsed() / 1e6;

    long listedSubs = 0;
    int scripts = 0;
    for (int i = 0; i < tree.SourceFilesItem()->childCount(); ++i, ++scripts)
        listedSubs += tree.SourceFilesItem()->child(i)->childCount();
    tree.CloseProject();
    fs::remove_all(folder);

    std::printf("scripts                   %d\n", scripts);
    std::printf("subs listed               %ld (grep counts %ld declaration lines)\n", listedSubs, grepLines);
    std::printf("tree shown after          %.1f ms (read, rebuild, scans started)\n", openedMs);
    std::printf("all subs listed after     %.1f ms\n", listedMs);
    std::printf("grep -c over the files    %.1f ms\n", grepMs);
    std::printf("ratio to grep             %.2f (target <= 2)\n", listedMs / grepMs);
    std::printf("longest event-loop stall  %.1f ms (target <= 50)\n", longestGapNs / 1e6);
    std::printf("rescan text copy          %.1f ms for %zu bytes, hand-off %.2f ms\n", copyMs, big.size(),
                handOffMs);
    return scripts == int(files.size()) && listedSubs > 0 ? 0 : 1;
}
