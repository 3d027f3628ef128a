#include "VsftpdTestServer.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>

VsftpdTestServer::VsftpdTestServer(const std::string& root)
{
    if (!std::filesystem::exists("/usr/sbin/vsftpd"))
        return;
    int port = 0;
    {
        QTcpServer probe;
        if (!probe.listen(QHostAddress::LocalHost, 0))
            return;
        port = probe.serverPort();
    }
    std::filesystem::create_directories(work_.file("empty"));
    // vsftpd refuses an anonymous root that anonymous could write to.
    ::chmod(root.c_str(), 0555);
    const std::string config = work_.file("vsftpd.conf");
    std::ofstream(config) << "listen=YES\nlisten_address=127.0.0.1\nlisten_port=" << port
                          << "\nbackground=NO\nanonymous_enable=YES\nlocal_enable=NO\nwrite_enable=NO\n"
                             "anon_root="
                          << root << "\nno_anon_password=YES\nrun_as_launching_user=YES\n"
                          << "secure_chroot_dir=" << work_.file("empty")
                          << "\nconnect_from_port_20=NO\nport_enable=YES\nseccomp_sandbox=NO\n"
                             "isolate=NO\nisolate_network=NO\nxferlog_enable=NO\n";
    ::chmod(config.c_str(), 0600);
    process_.start(QStringLiteral("/usr/sbin/vsftpd"), {QString::fromStdString(config)});
    if (!process_.waitForStarted(5000))
        return;
    for (int i = 0; i < 100; ++i) {
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(port));
        if (socket.waitForConnected(100) && socket.waitForReadyRead(1000)) {
            port_ = port;
            return;
        }
        if (process_.state() == QProcess::NotRunning)
            return;
        process_.waitForFinished(50);
    }
}

VsftpdTestServer::~VsftpdTestServer()
{
    Kill();
}

void VsftpdTestServer::Kill()
{
    if (process_.state() != QProcess::NotRunning) {
        process_.kill();
        process_.waitForFinished(5000);
    }
}
