// Previewing a CGI script through the local web server: the shipped
// server started through "WEB_APP" as a user sets it, the project copied
// under the root with its scripts still executable, the address built and
// handed to the browser, and the page fetched over HTTP from that address.
// The browser launch is the one part observed instead of run.
#include "FreePort.h"
#include "RunFixture.h"

#include "platform/NamedCase.h"
#include "platform/process/ProcessScan.h"
#include "platform/shell/Shell.h"
#include "run/CWebServerRun.h"

#include <arpa/inet.h>
#include <csignal>
#include <dirent.h>
#include <fstream>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using namespace runtest;
namespace fs = std::filesystem;

const std::string kServer = KESTRIX_SOURCE_DIR "/src/res/kestrix-cgi-server";

// GET of an "http://127.0.0.1:port/path" address; the whole response, or
// empty when nothing answers.
std::string HttpGet(const std::string& url)
{
    const std::string rest = url.substr(std::string("http://").size());
    const std::string hostPort = rest.substr(0, rest.find('/'));
    const std::string path = rest.substr(hostPort.size());
    const int port = std::stoi(hostPort.substr(hostPort.find(':') + 1));
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(std::uint16_t(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    std::string response;
    if (::connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
        const std::string request = "GET " + path + " HTTP/1.0\r\nHost: " + hostPort + "\r\n\r\n";
        if (::write(s, request.data(), request.size()) == ssize_t(request.size())) {
            char buffer[4096];
            for (ssize_t n; (n = ::read(s, buffer, sizeof buffer)) > 0;)
                response.append(buffer, std::size_t(n));
        }
    }
    ::close(s);
    return response;
}

// The processes whose command line names the program.
std::vector<pid_t> ProcessesOf(const std::string& program)
{
    std::vector<pid_t> found;
    for (const auto& entry : fs::directory_iterator("/proc")) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos)
            continue;
        std::ifstream cmdline(entry.path() / "cmdline", std::ios::binary);
        const std::string all((std::istreambuf_iterator<char>(cmdline)), std::istreambuf_iterator<char>());
        if (all.find(program + '\0') != std::string::npos)
            found.push_back(pid_t(std::stol(name)));
    }
    return found;
}

class WebServerRunTest : public RunFixture {
protected:
    WebServerRunTest()
    {
        // Each test runs a copy of the shipped server of its own: the
        // program finds a running server by its path, so tests running at
        // the same time would otherwise find, and end, each other's.
        fs::copy_file(kServer, server);
        SetUrlOpener([this](const std::string& url) {
            opened.push_back(url);
            return browserWorks;
        });
    }
    ~WebServerRunTest() override
    {
        SetUrlOpener(nullptr);
        // The server outlives a run on purpose; the test ends it, with
        // lighttpd, through its session.
        for (pid_t pid : ProcessesOf(server))
            ::kill(-::getpgid(pid), SIGTERM);
        EXPECT_TRUE(WaitUntil([this] { return ProcessesOf(server).empty(); }))
            << "the server was left running";
    }

    void Settings(const std::string& app, const std::string& root, const std::string& host)
    {
        settings::WebServerSettings web{app, root, host};
        ASSERT_EQ(settings::SaveWebServerSettings(web), 0u);
        run.LoadSettings();
    }
    // A project outside the root with a CGI script that prints Shift-JIS.
    std::string Project()
    {
        const std::string project = files.file("shop");
        fs::create_directories(project + "/lib");
        std::ofstream(project + "/hello.cgi", std::ios::binary)
            << "#!/usr/bin/perl\nrequire './lib/text.pl';\nprint \"Content-Type: text/plain; "
               "charset=Shift_JIS\\n\\n\", greeting(), \"\\n\";\n";
        std::ofstream(project + "/lib/text.pl", std::ios::binary)
            << "sub greeting { return '" + J("こんにちは、ＣＧＩ") + "' }\n1;\n";
        fs::permissions(project + "/hello.cgi", fs::perms(0755));
        return project;
    }

    TempDir serverDir{"kestrix-run-server"};
    const std::string server = serverDir.file("kestrix-cgi-server");
    TempDir www{"kestrix-run-www"};
    const int port = FreePort();
    ScopedEnv portEnv{"KESTRIX_CGI_PORT", std::to_string(port)};
    const std::string host = "127.0.0.1:" + std::to_string(port);
    CWebServerRun run;
    std::vector<std::string> opened;
    bool browserWorks = true;
};

TEST_F(WebServerRunTest, TheShippedServerServesTheProjectsScriptFromTheAddressTheRunBuilt)
{
    Settings(server, www.path(), host);
    const std::string project = Project();
    ui.AnswerBox(IDOK);
    ui.AnswerBox(IDYES);
    run.RunOnWebServer(project, "hello.cgi");
    ASSERT_EQ(ui.Boxes().size(), 2u);
    EXPECT_EQ(ui.Boxes()[0].Utf8Text(),
              "Webサーバアプリケーションのルートディレクトリ下に指定のファイルがありません。");
    EXPECT_EQ(ui.Boxes()[1].Utf8Text(), "ディレクトリ下にファイルをコピーし実行しますか?");
    EXPECT_EQ(ui.Boxes()[1].Utf8Caption(), "通知");

    // The project lies under the root now, its script still executable.
    const std::string copy = www.file("shop/hello.cgi");
    ASSERT_TRUE(fs::exists(copy));
    EXPECT_TRUE((fs::status(copy).permissions() & fs::perms::owner_exec) != fs::perms::none);
    EXPECT_TRUE(fs::exists(www.file("shop/lib/text.pl")));

    ASSERT_EQ(opened, std::vector<std::string>{"http://" + host + "/shop/hello.cgi"});
    std::string page;
    ASSERT_TRUE(WaitUntil([&] { return (page = HttpGet(opened[0])).find("\r\n\r\n") != std::string::npos; }))
        << "nothing answers at " << opened[0];
    EXPECT_TRUE(page.starts_with("HTTP/1.0 200")) << page;
    EXPECT_EQ(page.substr(page.find("\r\n\r\n") + 4), J("こんにちは、ＣＧＩ") + "\n");
    EXPECT_EQ(ProcessesOf(server).size(), 1u);

    // A second run finds the server running and starts no other; the
    // project is under the root now, so nothing is asked.
    std::ofstream(www.file("shop/hello.cgi"), std::ios::app) << "print \"again\\n\";\n";
    run.RunOnWebServer(www.file("shop"), "hello.cgi");
    EXPECT_EQ(ui.Boxes().size(), 2u);
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[1], opened[0]);
    EXPECT_EQ(ProcessesOf(server).size(), 1u);
    EXPECT_TRUE(HttpGet(opened[1]).ends_with("again\n"));
}

TEST_F(WebServerRunTest, MissingSettingsAreToldAndNothingStarts)
{
    for (int missing = 0; missing < 3; ++missing) {
        Settings(missing == 0 ? "" : server, missing == 1 ? "" : www.path(), missing == 2 ? "" : host);
        ui.AnswerBox(IDOK);
        run.RunOnWebServer(www.path(), "a.cgi");
        ASSERT_EQ(ui.Boxes().size(), std::size_t(missing + 1));
        EXPECT_EQ(ui.Boxes().back().Utf8Text(), "Webサーバアプリケーション情報の設定が行なわれていません");
    }
    EXPECT_TRUE(opened.empty());
    EXPECT_TRUE(ProcessesOf(server).empty());
}

TEST_F(WebServerRunTest, AServerThatCannotStartIsToldAndNoBrowserOpens)
{
    Settings(files.file("no-such-server"), www.path(), host);
    ui.AnswerBox(IDOK);
    run.RunOnWebServer(www.path(), "a.cgi");
    ASSERT_EQ(ui.Boxes().size(), 1u);
    EXPECT_EQ(ui.Boxes()[0].Utf8Text(), "Webサーバーアプリケーションの起動に失敗しました");
    EXPECT_TRUE(opened.empty());
}

TEST_F(WebServerRunTest, DecliningTheCopyCancelsTheRun)
{
    Settings(server, www.path(), host);
    const std::string project = Project();
    ui.AnswerBox(IDOK);
    ui.AnswerBox(IDNO);
    ui.AnswerBox(IDOK);
    run.RunOnWebServer(project, "hello.cgi");
    ASSERT_EQ(ui.Boxes().size(), 3u);
    EXPECT_EQ(ui.Boxes()[2].Utf8Text(), "CGIの実行を中止します");
    EXPECT_TRUE(opened.empty());
    EXPECT_FALSE(fs::exists(www.file("shop")));
}

TEST_F(WebServerRunTest, ACopyThatCannotBeMadeIsAnErrorNotASuccess)
{
    // The root lies inside the project: copying the project there would
    // copy it into itself.
    const std::string project = Project();
    fs::create_directory(project + "/www");
    Settings(server, project + "/www", host);
    ui.AnswerBox(IDOK);
    ui.AnswerBox(IDYES);
    ui.AnswerBox(IDOK);
    run.RunOnWebServer(project, "hello.cgi");
    ASSERT_EQ(ui.Boxes().size(), 3u);
    EXPECT_EQ(ui.Boxes()[2].Utf8Text(), "プロジェクトファイルのコピーに失敗しました");
    EXPECT_EQ(ui.Boxes()[2].caption, "Error");
    EXPECT_TRUE(opened.empty());
}

TEST_F(WebServerRunTest, ABrowserThatCannotBeOpenedIsTold)
{
    Settings(server, www.path(), host);
    browserWorks = false;
    fs::create_directory(www.file("site"));
    ui.AnswerBox(IDOK);
    run.RunOnWebServer(www.file("site"), "a.cgi");
    ASSERT_EQ(ui.Boxes().size(), 1u);
    EXPECT_EQ(ui.Boxes()[0].caption, "Error");
    EXPECT_EQ(ui.Boxes()[0].Utf8Text(), "ブラウザの起動に失敗しました\nhttp://" + host + "/site/a.cgi");
}

struct AddressCase {
    const char* name;
    std::string root, folder, file, address;
};

class Address : public ::testing::TestWithParam<AddressCase> {};

TEST_P(Address, IsThePathBelowTheRootWithSlashes)
{
    const AddressCase& c = GetParam();
    EXPECT_EQ(CWebServerRun::Address("H", c.root, c.folder, c.file), c.address);
}

INSTANTIATE_TEST_SUITE_P(
    Folders, Address,
    ::testing::Values(
        AddressCase{"FolderBelowTheRoot", "/srv/www", "/srv/www/site", "a.cgi", "http://H/site/a.cgi"},
        AddressCase{"FolderIsTheRoot", "/srv/www", "/srv/www", "a.cgi", "http://H/a.cgi"},
        AddressCase{"RootTypedWithATrailingSlash", "/srv/www/", "/srv/www/site", "a.cgi",
                    "http://H/site/a.cgi"},
        AddressCase{"DeeperFolderAndAFileInASubfolder", "/srv/www", "/srv/www/a/b", "cgi/x.pl",
                    "http://H/a/b/cgi/x.pl"},
        AddressCase{"BlanksAndJapaneseAreEncoded", "/srv/www", "/srv/www/my site", "日本.cgi",
                    "http://H/my%20site/%E6%97%A5%E6%9C%AC.cgi"},
        AddressCase{"TheWholeFileSystemAsRoot", "/", "/srv/site", "a.cgi", "http://H/srv/site/a.cgi"}),
    CaseName);

TEST(UnderRoot, MeansTheRootOrAFolderBelowItNotANameThatStartsTheSame)
{
    EXPECT_TRUE(CWebServerRun::IsUnderRoot("/srv/www", "/srv/www"));
    EXPECT_TRUE(CWebServerRun::IsUnderRoot("/srv/www/", "/srv/www/site/"));
    EXPECT_FALSE(CWebServerRun::IsUnderRoot("/srv/www", "/srv/www2/site"));
    EXPECT_FALSE(CWebServerRun::IsUnderRoot("/srv/www", "/home/u/srv/www/site"));
}

} // namespace
