// A second real FTP server for the tests: vsftpd, run as the test's own
// user (run_as_launching_user) on loopback on a free port, serving a folder
// read-only to anonymous. It offers no MLSD, so clients read its LIST lines.
// Killed and waited for when the object goes.
#pragma once

#include "TempDir.h"

#include <QProcess>
#include <string>

class VsftpdTestServer {
public:
    explicit VsftpdTestServer(const std::string& root);
    ~VsftpdTestServer();
    VsftpdTestServer(const VsftpdTestServer&) = delete;
    VsftpdTestServer& operator=(const VsftpdTestServer&) = delete;

    // False where vsftpd is missing or would not start.
    bool Started() const { return port_ != 0; }
    std::string Address() const { return "127.0.0.1:" + std::to_string(port_); }
    bool Running() const { return process_.state() != QProcess::NotRunning; }
    void Kill();

private:
    TempDir work_{"kestrix-vsftpd"};
    QProcess process_;
    int port_ = 0;
};
