// What the publish tests share: a settings hive and a state folder of the
// test's own, a project folder, a real FTP server (pyftpdlib) whose root is
// served by the shipped CGI server (lighttpd with mod_cgi) running scripts
// as a hosting server does, and a sink that records what the upload reports.
#pragma once

#include "FreePort.h"
#include "FtpTestServer.h"
#include "ScriptedUi.h"
#include "TempDir.h"

#include "ftp/FtpTransferSink.h"
#include "platform/text/Sjis.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <arpa/inet.h>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace publishtest {

namespace fs = std::filesystem;

inline std::string J(const char* utf8)
{
    return sjis::FromUtf8(utf8);
}

inline bool PortAnswers(int port)
{
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(std::uint16_t(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool ok = ::connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(s);
    return ok;
}

// The shipped CGI server in a folder, running each script by its own "#!"
// line and only when it is executable. It runs from a copy of its own, so
// that the preview's tests, which end every server started from the shipped
// path, and these never take each other's server.
class CgiServer {
public:
    explicit CgiServer(const std::string& root)
    {
        fs::copy_file(KESTRIX_SOURCE_DIR "/src/res/kestrix-cgi-server", copy_.file("kestrix-cgi-server"));
        fs::permissions(copy_.file("kestrix-cgi-server"), fs::perms(0755));
        port_ = FreePort();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("KESTRIX_CGI_PORT", QString::number(port_));
        env.insert("KESTRIX_CGI_EXEC", "1");
        process_.setProcessEnvironment(env);
        process_.setWorkingDirectory(QString::fromStdString(root));
        process_.setProcessChannelMode(QProcess::ForwardedChannels);
        process_.start(QString::fromStdString(copy_.file("kestrix-cgi-server")), QStringList{});
        QElapsedTimer clock;
        clock.start();
        while (!PortAnswers(port_) && clock.elapsed() < 10000)
            ::usleep(20000);
    }
    ~CgiServer()
    {
        // The script ends lighttpd with it on TERM.
        if (process_.state() != QProcess::NotRunning) {
            ::kill(static_cast<pid_t>(process_.processId()), SIGTERM);
            process_.waitForFinished(10000);
        }
    }
    std::string Url() const { return "http://127.0.0.1:" + std::to_string(port_); }
    bool Started() const { return PortAnswers(port_); }

private:
    TempDir copy_{"kestrix-publish-cgi"};
    QProcess process_;
    int port_ = 0;
};

class Sink : public FtpTransferSink {
public:
    std::vector<std::string> captions; // UTF-8
    std::vector<int> percents;
    std::function<void(std::uint64_t)> onPosition;

    void SetStatusText(const std::string&) override {}
    void SetCaption(const std::string& text) override { captions.push_back(sjis::ToUtf8(text)); }
    void SetProgressRange(std::uint64_t) override {}
    void SetProgressPos(std::uint64_t bytes) override
    {
        if (onPosition)
            onPosition(bytes);
    }
    void ShowPercent(int percent) override { percents.push_back(percent); }
    void ShowRate(double) override {}
    void ShowTimeLeft(std::uint64_t, std::uint64_t, std::uint64_t) override {}
    void ClearProgressLines() override {}
    void PlayAnimation() override {}
    void ShowMessage(const std::string&, const std::string&, UINT) override {}
};

// The four scripts and the page of the tests' site.
inline const std::string kCrLfScript =
    "#!/usr/bin/perl\r\nprint \"Content-Type: text/plain\\n\\n\";\r\nprint \"crlf ok\\n\";\r\n";
inline const std::string kBrokenScript =
    "#!/usr/bin/perl\nprint \"Content-Type: text/plain\\n\\n\";\nmy $x = ;\nprint \"never\\n\";\n";
inline const std::string kPlainScript =
    "#!/usr/bin/perl\nprint \"Content-Type: text/plain\\n\\n\";\nprint \"plain ok\\n\";\n";
inline const std::string kPage = "<html><body>top page</body></html>\r\n";

class PublishFixture : public ::testing::Test {
protected:
    // Writes a file of the project; mode as given.
    std::string Write(const std::string& name, const std::string& bytes, fs::perms mode = fs::perms(0644))
    {
        const std::string path = project.file(name);
        fs::create_directories(fs::path(path).parent_path());
        std::ofstream(path, std::ios::binary) << bytes;
        fs::permissions(path, mode);
        return path;
    }
    // The site: a CR LF script, one that does not compile, one without its
    // execute permission, and a page.
    std::vector<std::string> Site()
    {
        return {Write("crlf.cgi", kCrLfScript, fs::perms(0755)),
                Write("broken.cgi", kBrokenScript, fs::perms(0755)),
                Write("cgi/plain.pl", kPlainScript, fs::perms(0644)), Write("index.html", kPage)};
    }

    TempDir config{"kestrix-publish-config"};
    ScopedEnv xdg{"XDG_CONFIG_HOME", config.path()};
    TempDir state{"kestrix-publish-state"};
    ScopedEnv xdgState{"XDG_STATE_HOME", state.path()};
    TempDir project{"kestrix-publish-project"};
    TempDir www{"kestrix-publish-www"};
    ScriptedUi ui;
};

} // namespace publishtest
