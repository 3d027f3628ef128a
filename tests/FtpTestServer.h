// A real FTP server (pyftpdlib, run by /usr/bin/python3) on loopback on a
// free port, serving a folder of the test's own; killed and waited for when
// the object goes, and checked to be gone.
#pragma once

#include <QProcess>
#include <string>
#include <vector>

class FtpTestServer {
public:
    struct Options {
        bool mlsd = true;
        // Folders under the root the user may read but not change.
        std::vector<std::string> readOnly;
        // Whether the server answers SITE commands (SITE CHMOD).
        bool site = true;
    };

    static constexpr const char* kUser = "kx";
    static constexpr const char* kPassword = "pa ss";

    // Starts the server on root; Started() tells whether it came up.
    FtpTestServer(const std::string& root, Options options);
    explicit FtpTestServer(const std::string& root) : FtpTestServer(root, Options{}) {}
    ~FtpTestServer();
    FtpTestServer(const FtpTestServer&) = delete;
    FtpTestServer& operator=(const FtpTestServer&) = delete;

    bool Started() const { return port_ != 0; }
    int Port() const { return port_; }
    // "127.0.0.1:port", as the "FTP_URL" setting holds it.
    std::string Address() const;
    // Kills the server at once (SIGKILL), as a crash would.
    void Kill();
    // Stops the server where it is (SIGSTOP) and lets it go on (SIGCONT):
    // a transfer then waits as it would on a stalled line.
    void Pause();
    void Resume();
    // Whether the server process is still running.
    bool Running() const;

private:
    QProcess process_;
    int port_ = 0;
    qint64 pid_ = 0;
};
