// Upload and download speed of the FTP transfer dialog against curl on the
// same loopback server (pyftpdlib, active mode for both) in the same run:
// one 100 MB file and a tree of 1,000 small files, each way. While the
// dialog transfers, a 5 ms timer on the user-interface thread records the
// longest gap between its ticks: the longest the window stood still.
//
//   build/bench/ftp_bench [megabytes=100] [files=1000]
#include "ftp/CFtpTransferDLG.h"
#include "ftp/FtpHooks.h"
#include "platform/ui/UiService.h"

#include "BenchFtpServer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

using bench::Seconds;
using Server = bench::FtpServer;

struct DialogRun {
    double seconds = 0;
    qint64 longestStallMs = 0;
    int result = 0;
};

DialogRun RunDialog(const Server& server, bool download, bool directory, const std::string& remote,
                    const std::string& local)
{
    FtpHooks hooks;
    CFtpTransferDLG dialog(hooks);
    dialog.request.server = server.Address();
    dialog.request.user = "kx";
    dialog.request.password = "pa ss";
    dialog.request.download = download;
    dialog.request.directory = directory;
    dialog.request.remotePath = remote;
    dialog.request.localPath = local;
    DialogRun run;
    QElapsedTimer since;
    auto begin = std::chrono::steady_clock::now();
    QTimer tick;
    tick.setInterval(5);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        qint64 gap = since.restart();
        if (gap > run.longestStallMs && std::getenv("FTP_BENCH_TRACE"))
            std::fprintf(stderr, "stall %lld ms at %.3f s\n", static_cast<long long>(gap),
                         std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count());
        run.longestStallMs = std::max(run.longestStallMs, gap);
    });
    since.start();
    tick.start();
    run.seconds = Seconds([&] { run.result = dialog.DoModal(); });
    return run;
}

void Curl(const QStringList& args)
{
    QProcess curl;
    curl.start(QStringLiteral("curl"), QStringList{"-s", "-S", "-P", "-", "-u", "kx:pa ss"} + args);
    curl.waitForFinished(-1);
    if (curl.exitCode() != 0)
        std::fprintf(stderr, "curl failed: %s\n", curl.readAllStandardError().constData());
}

void WriteFile(const std::string& path, std::size_t size, unsigned seed)
{
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 131 + seed) & 0xFF);
    std::ofstream(path, std::ios::binary) << bytes;
}

void Report(const char* what, double bytes, double ours, double curl, qint64 stall)
{
    std::printf("%-28s %9.1f MB/s  curl %9.1f MB/s  ratio %5.2f  longest UI stall %3lld ms\n", what,
                bytes / ours / 1e6, bytes / curl / 1e6, curl / ours, static_cast<long long>(stall));
}

} // namespace

int main(int argc, char** argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    const std::size_t megabytes = argc > 1 ? std::stoul(argv[1]) : 100;
    const int files = argc > 2 ? std::stoi(argv[2]) : 1000;

    QTemporaryDir work;
    const std::string root = work.filePath("remote").toStdString();
    const std::string local = work.filePath("local").toStdString();
    fs::create_directories(root);
    fs::create_directories(local);
    Server server(root);
    if (!server.port) {
        std::fprintf(stderr, "the FTP server did not start\n");
        return 1;
    }
    const std::string base = "ftp://" + server.Address() + "/";

    // One large file.
    const double big = static_cast<double>(megabytes) * 1024 * 1024;
    WriteFile(local + "/big.bin", megabytes * 1024 * 1024, 1);
    DialogRun up = RunDialog(server, false, false, "/", local + "/big.bin");
    fs::rename(root + "/big.bin", root + "/big-curl.bin");
    double curlUp = Seconds([&] {
        Curl({"-T", QString::fromStdString(local + "/big.bin"), QString::fromStdString(base)});
    });
    fs::remove(local + "/big.bin");
    DialogRun down = RunDialog(server, true, false, "/big-curl.bin", local + "/big.bin");
    double curlDown = Seconds([&] {
        Curl({QString::fromStdString(base + "big.bin"), "-o",
              QString::fromStdString(local + "/big-curl.bin")});
    });
    if (up.result != 1 || down.result != 1)
        std::fprintf(stderr, "a large-file transfer failed\n");

    // A tree of small files, ten folders of files/10 each, 1 to 4 KB.
    const std::string tree = local + "/tree";
    QStringList curlUpArgs{"--ftp-create-dirs"};
    QStringList curlDownArgs{"--create-dirs"};
    double treeBytes = 0;
    for (int i = 0; i < files; ++i) {
        std::string folder = "d" + std::to_string(i % 10);
        std::string name = folder + "/f" + std::to_string(i) + ".cgi";
        fs::create_directories(tree + "/" + folder);
        std::size_t size = 1024 + static_cast<std::size_t>(i % 4) * 1024;
        treeBytes += static_cast<double>(size);
        WriteFile(tree + "/" + name, size, static_cast<unsigned>(i));
        curlUpArgs << "-T" << QString::fromStdString(tree + "/" + name)
                   << QString::fromStdString(base + "curltree/" + name);
        curlDownArgs << QString::fromStdString(base + "tree/" + name) << "-o"
                     << QString::fromStdString(local + "/curltree/" + name);
    }
    DialogRun treeUp = RunDialog(server, false, true, "/", tree);
    double curlTreeUp = Seconds([&] { Curl(curlUpArgs); });
    DialogRun treeDown = RunDialog(server, true, true, "/tree", local + "/tree-back");
    double curlTreeDown = Seconds([&] { Curl(curlDownArgs); });
    if (treeUp.result != 1 || treeDown.result != 1)
        std::fprintf(stderr, "a tree transfer failed\n");

    std::printf("FTP on loopback, active mode, pyftpdlib; %zu MB file, %d-file tree\n", megabytes, files);
    Report("large file upload", big, up.seconds, curlUp, up.longestStallMs);
    Report("large file download", big, down.seconds, curlDown, down.longestStallMs);
    Report("small-file tree upload", treeBytes, treeUp.seconds, curlTreeUp, treeUp.longestStallMs);
    Report("small-file tree download", treeBytes, treeDown.seconds, curlTreeDown, treeDown.longestStallMs);
    std::printf("(ratio: our throughput over curl's)\n");
    return 0;
}
