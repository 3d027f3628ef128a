#include "app/CRunningInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <unistd.h>

namespace {

// The request: one UTF-8 path per line, an empty line at the end; the
// answer: "ok\n" once the paths are taken.
constexpr char kAnswer[] = "ok\n";

QString Environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? QString::fromLocal8Bit(value) : QString();
}

} // namespace

CRunningInstance::CRunningInstance(QObject* parent) : QObject(parent) {}

CRunningInstance::~CRunningInstance() = default;

QString CRunningInstance::ChannelName()
{
    QString config = Environment("XDG_CONFIG_HOME");
    if (config.isEmpty())
        config = Environment("HOME") + QStringLiteral("/.config");
    const QString key = config + QLatin1Char('\n') + Environment("DISPLAY") + QLatin1Char('\n') +
                        Environment("WAYLAND_DISPLAY");
    const QByteArray hash = QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    return QStringLiteral("kestrix-%1-%2").arg(::getuid()).arg(QString::fromLatin1(hash));
}

bool CRunningInstance::HandOver(const std::vector<std::string>& files, int timeoutMilliseconds)
{
    QLocalSocket socket;
    socket.connectToServer(ChannelName());
    if (!socket.waitForConnected(timeoutMilliseconds))
        return false;
    QByteArray request;
    for (const std::string& file : files) {
        // The running program has its own current folder: names go as
        // absolute paths (a file: address as it is).
        std::string path = file;
        std::error_code ec;
        if (!path.starts_with("file:") && !path.empty())
            path = std::filesystem::absolute(path, ec).lexically_normal().string();
        if (path.find('\n') != std::string::npos)
            continue;
        request += QByteArray::fromStdString(path) + '\n';
    }
    request += '\n';
    socket.write(request);
    if (!socket.waitForBytesWritten(timeoutMilliseconds))
        return false;
    QByteArray answer;
    while (answer.size() < qsizetype(sizeof kAnswer - 1) && socket.waitForReadyRead(timeoutMilliseconds))
        answer += socket.readAll();
    return answer == kAnswer;
}

bool CRunningInstance::Listen(FilesHandler onFiles)
{
    // The lock says which program owns the channel; a lock left by a
    // program that ended without releasing it is taken over (QLockFile
    // sees that its process is gone), and so is the socket it left.
    QString folder = Environment("XDG_RUNTIME_DIR");
    if (folder.isEmpty())
        folder = QDir::tempPath();
    lock_ = std::make_unique<QLockFile>(folder + QLatin1Char('/') + ChannelName() + QStringLiteral(".lock"));
    lock_->setStaleLockTime(0);
    if (!lock_->tryLock(0)) {
        lock_.reset();
        return false;
    }
    onFiles_ = std::move(onFiles);
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    QLocalServer::removeServer(ChannelName());
    if (!server_->listen(ChannelName()))
        return false;
    connect(server_, &QLocalServer::newConnection, this, &CRunningInstance::OnConnection);
    return true;
}

void CRunningInstance::OnConnection()
{
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        auto buffer = std::make_shared<QByteArray>();
        connect(socket, &QLocalSocket::readyRead, this, [this, socket, buffer] {
            *buffer += socket->readAll();
            // The request ends with an empty line.
            if (*buffer != "\n" && !buffer->endsWith("\n\n"))
                return;
            std::vector<std::string> files;
            for (const QByteArray& line : buffer->split('\n'))
                if (!line.isEmpty())
                    files.push_back(line.toStdString());
            buffer->clear();
            socket->write(kAnswer);
            socket->flush();
            if (onFiles_)
                onFiles_(files);
        });
    }
}
