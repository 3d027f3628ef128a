// Times script execution as the user meets it:
//  1. the syntax check of a large real script in the check list against a
//     bare `perl -wc` of the same file (median of several runs each, taken
//     in turns); the ratio check/bare is printed;
//  2. the CPU time the program uses while perl's debugger waits at its
//     prompt for 5 s, as a share of one core;
//  3. a script printing 10 MB into the debug console: the longest time the
//     UI thread went without serving its event loop while the output
//     streamed, the time until all of it was shown, and the time to append
//     the same bytes to a console in one call (the ratio is printed).
//
//   run_bench [SCRIPT]   (default: perl's own perl5db.pl)
#include "platform/registry/SettingsStore.h"
#include "platform/text/Sjis.h"
#include "platform/ui/UiService.h"
#include "run/CDebugScreen.h"
#include "run/CSyntaxCheck.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::time_point since)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - since).count();
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Messages go to the terminal; no box waits for a click.
class TerminalUi : public UiService {
public:
    int MessageBox(QWidget*, const std::string& text, const std::string& caption, UINT) override
    {
        std::fprintf(stderr, "[%s] %s\n", sjis::ToUtf8(caption).c_str(), sjis::ToUtf8(text).c_str());
        return IDOK;
    }
    std::optional<std::string> FileDialog(const FileDialogRequest&) override { return {}; }
    std::optional<std::string> BrowseForFolder(QWidget*, const std::string&) override { return {}; }
    std::optional<COLORREF> ChooseColor(QWidget*, COLORREF) override { return {}; }
    bool PageSetup(QWidget*, QPrinter&) override { return false; }
    bool PrintDialog(QWidget*, QPrinter&) override { return false; }
    void PrintPreview(QWidget*, QPrinter&, const std::function<void(QPrinter*)>&) override {}
};

double BarePerlCheckMs(const std::string& script)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const char* argv[] = {"/usr/bin/perl", "-wc", script.c_str(), nullptr};
    const auto start = Clock::now();
    pid_t pid = 0;
    posix_spawn(&pid, argv[0], &actions, nullptr, const_cast<char**>(argv), environ);
    int status = 0;
    waitpid(pid, &status, 0);
    const double ms = Ms(start);
    posix_spawn_file_actions_destroy(&actions);
    return ms;
}

double CpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void RunEventLoopFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

template <typename Condition> void RunEventLoopUntil(Condition condition)
{
    while (!condition())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
}

} // namespace

int main(int argc, char** argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    const std::string work = std::filesystem::temp_directory_path() / "kestrix-run-bench";
    std::filesystem::create_directories(work);
    setenv("XDG_CONFIG_HOME", work.c_str(), 1);
    QApplication app(argc, argv);
    TerminalUi ui;
    UiService::Install(&ui);
    settings::AppPaths paths;
    paths.perlApp = "/usr/bin/perl";
    settings::SaveAppPaths(paths);

    const std::string script = argc > 1 ? argv[1] : "/usr/share/perl/5.36/perl5db.pl";

    // 1. The syntax check against bare perl.
    {
        CSyntaxCheck check;
        check.LoadPerlPath();
        std::vector<double> bare, ours;
        for (int i = 0; i < 7; ++i) {
            bare.push_back(BarePerlCheckMs(script));
            const auto start = Clock::now();
            check.CheckSyntax(script, script);
            ours.push_back(Ms(start));
        }
        std::printf("syntax check of %s: check list %.1f ms, bare perl -wc %.1f ms, ratio %.2f\n",
                    script.c_str(), Median(ours), Median(bare), Median(ours) / Median(bare));
    }

    // 2. The debugger waiting at its prompt.
    {
        const std::string idle = work + "/idle.cgi";
        std::ofstream(idle) << "my $x = 1;\nprint \"$x\\n\";\n";
        CDebugScreen console;
        console.LoadPerlPath();
        console.RunPerl(idle);
        RunEventLoopUntil([&] { return console.GetTextRange(0, -1).find("DB<1>") != std::string::npos; });
        const double cpuBefore = CpuSeconds();
        const auto start = Clock::now();
        RunEventLoopFor(5000);
        const double cpu = CpuSeconds() - cpuBefore;
        const double wall = Ms(start) / 1000.0;
        std::printf("debugger idle at its prompt for %.1f s: %.3f s CPU, %.2f %% of a core\n", wall, cpu,
                    100.0 * cpu / wall);
        console.StopPerl();
    }

    // 3. Ten megabytes streaming into the console.
    {
        const std::string big = work + "/big.cgi";
        std::ofstream(big) << "my $l = ('x' x 99) . \"\\n\";\nprint $l for 1 .. 104858;\n";
        CDebugScreen console;
        console.resize(800, 300);
        console.show();
        console.LoadPerlPath();
        QElapsedTimer beat;
        double longestStall = 0;
        QTimer ticker;
        ticker.setInterval(1);
        QObject::connect(&ticker, &QTimer::timeout, [&] {
            longestStall = std::max(longestStall, double(beat.nsecsElapsed()) / 1e6);
            beat.restart();
        });
        const auto start = Clock::now();
        console.RunPerl(big, " -w ");
        beat.start();
        ticker.start();
        RunEventLoopUntil([&] { return !console.IsRunning(); });
        const double shown = Ms(start);
        ticker.stop();
        const long length = console.GetTextLength();

        std::string bytes;
        for (int i = 0; i < 104858; ++i)
            bytes += std::string(99, 'x') + "\n";
        CDebugScreen once;
        once.resize(800, 300);
        once.show();
        const auto oneStart = Clock::now();
        once.SetSel(0, 0);
        once.ReplaceSel(bytes);
        QApplication::processEvents();
        const double oneCall = Ms(oneStart);
        std::printf(
            "10 MB of output (%ld positions shown): longest UI stall %.1f ms, all shown after %.0f ms; "
            "one append of the same bytes %.0f ms; ratio %.2f\n",
            length, longestStall, shown, oneCall, shown / oneCall);
    }
    UiService::Install(nullptr);
    std::filesystem::remove_all(work);
    return 0;
}
