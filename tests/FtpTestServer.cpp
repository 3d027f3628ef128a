#include "FtpTestServer.h"

#include <csignal>
#include <sys/types.h>

FtpTestServer::FtpTestServer(const std::string& root, Options options)
{
    QStringList args{QStringLiteral(KESTRIX_TESTS_DIR "/ftpserver.py"), QString::fromStdString(root)};
    if (!options.mlsd)
        args << QStringLiteral("--no-mlsd");
    if (!options.site)
        args << QStringLiteral("--no-site");
    for (const auto& folder : options.readOnly)
        args << QStringLiteral("--readonly") << QString::fromStdString(folder);
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.start(QStringLiteral("/usr/bin/python3"), args);
    if (!process_.waitForStarted(10000))
        return;
    pid_ = process_.processId();
    while (!process_.canReadLine() && process_.waitForReadyRead(10000)) {
    }
    port_ = process_.readLine().trimmed().toInt();
}

FtpTestServer::~FtpTestServer()
{
    Kill();
}

std::string FtpTestServer::Address() const
{
    return "127.0.0.1:" + std::to_string(port_);
}

void FtpTestServer::Kill()
{
    if (process_.state() != QProcess::NotRunning) {
        process_.kill();
        process_.waitForFinished(10000);
    }
}

void FtpTestServer::Pause()
{
    if (pid_ != 0)
        ::kill(static_cast<pid_t>(pid_), SIGSTOP);
}

void FtpTestServer::Resume()
{
    if (pid_ != 0)
        ::kill(static_cast<pid_t>(pid_), SIGCONT);
}

bool FtpTestServer::Running() const
{
    return pid_ != 0 && process_.state() != QProcess::NotRunning && ::kill(static_cast<pid_t>(pid_), 0) == 0;
}
