#include "platform/process/CChildProcess.h"

#include "platform/base/WinTypes.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTimer>
#include <cerrno>
#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString Local(const std::string& bytes)
{
    return QString::fromLocal8Bit(bytes.data(), qsizetype(bytes.size()));
}

// The reason a program could not be started, in the system's codes: a
// missing program and one that may not be run are told apart, as the
// system's own process creation does.
unsigned StartFailureCode(const std::string& program)
{
    struct stat st {};
    if (::stat(program.c_str(), &st) != 0)
        return errno == EACCES ? ERROR_ACCESS_DENIED : ERROR_FILE_NOT_FOUND;
    if (S_ISDIR(st.st_mode) || ::access(program.c_str(), X_OK) != 0)
        return ERROR_ACCESS_DENIED;
    return ERROR_FILE_NOT_FOUND;
}

} // namespace

CChildProcess::CChildProcess(QObject* parent) : QObject(parent) {}

CChildProcess::~CChildProcess()
{
    Terminate();
}

bool CChildProcess::Start(const ChildLaunch& launch, unsigned& error)
{
    error = 0;
    Terminate();
    process_ = std::make_unique<QProcess>();
    QProcess& p = *process_;
    p.setProgram(Local(launch.program));
    QStringList arguments;
    for (const std::string& argument : launch.arguments)
        arguments << Local(argument);
    p.setArguments(arguments);
    if (!launch.workingFolder.empty())
        p.setWorkingDirectory(Local(launch.workingFolder));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TERM"), QStringLiteral("dumb"));
    p.setProcessEnvironment(environment);
    if (launch.input == ChildInput::None)
        p.setStandardInputFile(QProcess::nullDevice());
    p.setProcessChannelMode(QProcess::SeparateChannels);
    // A session of its own: the child has no controlling terminal and leads
    // a process group that Terminate ends as a whole.
    p.setChildProcessModifier([] { ::setsid(); });

    connect(&p, &QProcess::readyReadStandardOutput, this, [this] { Deliver(ChildStream::Output); });
    connect(&p, &QProcess::readyReadStandardError, this, [this] { Deliver(ChildStream::Error); });
    connect(&p, &QProcess::finished, this,
            [this](int code, QProcess::ExitStatus status) { Finished(code, status == QProcess::CrashExit); });

    p.start(QIODevice::ReadWrite);
    if (!p.waitForStarted(-1)) {
        error = StartFailureCode(launch.program);
        process_.reset();
        return false;
    }
    finished_ = false;
    return true;
}

bool CChildProcess::IsRunning() const
{
    return process_ && !finished_;
}

qint64 CChildProcess::ProcessId() const
{
    return process_ ? process_->processId() : 0;
}

bool CChildProcess::Write(std::string_view bytes)
{
    if (!IsRunning())
        return false;
    return process_->write(bytes.data(), qint64(bytes.size())) == qint64(bytes.size());
}

void CChildProcess::CloseInput()
{
    if (IsRunning())
        process_->closeWriteChannel();
}

void CChildProcess::Deliver(ChildStream stream)
{
    if (!process_)
        return;
    const QByteArray bytes =
        stream == ChildStream::Output ? process_->readAllStandardOutput() : process_->readAllStandardError();
    if (!bytes.isEmpty() && onOutput)
        onOutput(stream, std::string_view(bytes.constData(), std::size_t(bytes.size())));
}

void CChildProcess::Finished(int exitCode, bool crashed)
{
    // What the child wrote just before it ended is still in the pipes or
    // in the process's buffers: deliver it before the end.
    Deliver(ChildStream::Output);
    Deliver(ChildStream::Error);
    if (finished_)
        return;
    finished_ = true;
    // The child's session may hold more processes it started; they do not
    // outlive the run.
    if (const qint64 pid = process_->processId(); pid > 0)
        ::kill(-pid_t(pid), SIGKILL);
    if (onFinished)
        onFinished(ChildExit{exitCode, crashed});
}

void CChildProcess::Terminate()
{
    if (!process_)
        return;
    // The object and its signals go first, so that nothing is reported
    // about a run that was ended on purpose.
    std::unique_ptr<QProcess> process = std::move(process_);
    process->disconnect(this);
    const bool wasRunning = !finished_;
    finished_ = true;
    if (wasRunning && process->state() != QProcess::NotRunning) {
        if (const qint64 pid = process->processId(); pid > 0)
            ::kill(-pid_t(pid), SIGKILL);
        process->waitForFinished(-1);
    }
}

bool CChildProcess::WaitForFinished(int timeoutMs)
{
    if (!IsRunning())
        return true;
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    QMetaObject::Connection done =
        connect(process_.get(), &QProcess::finished, &loop, &QEventLoop::quit, Qt::QueuedConnection);
    if (timeoutMs >= 0)
        timer.start(timeoutMs);
    loop.exec();
    disconnect(done);
    return !IsRunning();
}
