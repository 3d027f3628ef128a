// The benchmarks' loopback FTP server (the tests' pyftpdlib script, run with
// Debian's python) and their stopwatch.
#pragma once

#include <QProcess>
#include <chrono>
#include <functional>
#include <string>

namespace bench {

struct FtpServer {
    QProcess process;
    int port = 0;
    explicit FtpServer(const std::string& root)
    {
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(
            QStringLiteral("/usr/bin/python3"),
            {QStringLiteral(KESTRIX_SOURCE_DIR "/tests/ftpserver.py"), QString::fromStdString(root)});
        process.waitForStarted();
        while (!process.canReadLine() && process.waitForReadyRead(10000)) {
        }
        port = process.readLine().trimmed().toInt();
    }
    ~FtpServer()
    {
        process.kill();
        process.waitForFinished();
    }
    std::string Address() const { return "127.0.0.1:" + std::to_string(port); }
};

inline double Seconds(const std::function<void()>& run)
{
    auto start = std::chrono::steady_clock::now();
    run();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace bench
