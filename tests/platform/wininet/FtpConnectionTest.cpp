// The FTP stand-in against a real server on loopback, read both by MLSD and
// by LIST lines.
#include "FtpTestServer.h"
#include "TempDir.h"
#include "platform/wininet/CFtpConnection.h"
#include "platform/wininet/CFtpFileFind.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <thread>

namespace fs = std::filesystem;

namespace {

std::string Pattern(std::size_t size)
{
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 131 + i / 977) & 0xFF);
    return bytes;
}

std::unique_ptr<CFtpConnection> Connect(const FtpTestServer& server)
{
    auto connection =
        CFtpConnection::Connect(server.Address(), FtpTestServer::kUser, FtpTestServer::kPassword);
    EXPECT_TRUE(connection) << (connection ? "" : connection.error().response);
    return connection ? std::move(*connection) : nullptr;
}

std::string Download(CFtpConnection& connection, const std::string& path)
{
    EXPECT_TRUE(connection.OpenFile(path, CFtpConnection::FileAccess::Read));
    std::string bytes;
    char block[1024];
    for (;;) {
        auto n = connection.ReadFile(block, sizeof block);
        EXPECT_TRUE(n);
        if (!n || *n == 0)
            break;
        bytes.append(block, *n);
    }
    EXPECT_TRUE(connection.CloseFile());
    return bytes;
}

void Upload(CFtpConnection& connection, const std::string& path, const std::string& bytes)
{
    ASSERT_TRUE(connection.OpenFile(path, CFtpConnection::FileAccess::Write));
    for (std::size_t at = 0; at < bytes.size(); at += 1024)
        ASSERT_TRUE(connection.WriteFile(bytes.data() + at, std::min<std::size_t>(1024, bytes.size() - at)));
    ASSERT_TRUE(connection.CloseFile());
}

class FtpConnectionOnRealServer : public testing::TestWithParam<bool> {
protected:
    TempDir root{"kestrix-ftp-root"};
};

TEST_P(FtpConnectionOnRealServer, FilesGoUpAndComeBackByteForByteWithTheirNames)
{
    FtpTestServer server(root.path(), {.mlsd = GetParam(), .readOnly = {}});
    ASSERT_TRUE(server.Started());
    {
        auto connection = Connect(server);
        ASSERT_TRUE(connection);
        EXPECT_EQ(connection->UsesMlsd(), GetParam());
        const std::string sjisName = "\x93\xFA\x8B\x4C \x95\x5C.txt"; // 日記 表.txt
        const std::string big = Pattern(300 * 1024 + 17);
        Upload(*connection, "/" + sjisName, big);
        Upload(*connection, "/empty file", "");
        ASSERT_TRUE(connection->CreateDirectory("/sub dir"));
        Upload(*connection, "/sub dir/a.cgi", "print 1;\n");

        EXPECT_EQ(ReadFileBytes(root.file(sjisName)), big);
        EXPECT_EQ(Download(*connection, "/" + sjisName), big);
        EXPECT_EQ(Download(*connection, "/empty file"), "");

        auto listing = connection->List("/");
        ASSERT_TRUE(listing);
        std::vector<FtpFindData> real;
        for (const auto& e : *listing)
            if (e.name != "." && e.name != "..")
                real.push_back(e);
        std::sort(real.begin(), real.end(), [](auto& a, auto& b) { return a.name < b.name; });
        EXPECT_EQ(real, (std::vector<FtpFindData>{
                            {"empty file", false, 0}, {"sub dir", true, 0}, {sjisName, false, big.size()}}));

        auto found = connection->Find("/sub dir/a.cgi");
        ASSERT_TRUE(found && *found);
        EXPECT_EQ((*found)->size, 9u);
        auto missing = connection->Find("/sub dir/none");
        ASSERT_TRUE(missing);
        EXPECT_FALSE(*missing);

        CFtpFileFind find(*connection);
        ASSERT_TRUE(find.FindFile("/sub dir/*"));
        bool more = true;
        std::vector<std::string> paths;
        while (more) {
            more = find.FindNextFile();
            if (!find.IsDots())
                paths.push_back(find.GetFilePath());
        }
        EXPECT_EQ(paths, std::vector<std::string>{"/sub dir/a.cgi"});

        EXPECT_TRUE(connection->Rename("/sub dir/a.cgi", "/sub dir/b.cgi"));
        EXPECT_TRUE(fs::exists(root.file("sub dir/b.cgi")));
        EXPECT_TRUE(connection->Remove("/sub dir/b.cgi"));
        EXPECT_TRUE(connection->RemoveDirectory("/sub dir"));
        EXPECT_FALSE(fs::exists(root.file("sub dir")));
        EXPECT_EQ(connection->GetCurrentDirectoryAsURL(), "ftp://" + server.Address() + "/");
    }
    server.Kill();
    EXPECT_FALSE(server.Running());
}

INSTANTIATE_TEST_SUITE_P(ListingStyles, FtpConnectionOnRealServer, testing::Values(true, false),
                         [](const auto& info) { return info.param ? "Mlsd" : "List"; });

TEST(FtpConnect, TheStatusCallbackSeesResolvingResolvedAndConnected)
{
    TempDir root("kestrix-ftp-root");
    FtpTestServer server(root.path());
    ASSERT_TRUE(server.Started());
    std::vector<std::pair<DWORD, std::string>> seen;
    auto connection =
        CFtpConnection::Connect(server.Address(), "kx", "pa ss",
                                [&](DWORD s, const std::string& info) { seen.emplace_back(s, info); });
    ASSERT_TRUE(connection);
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0], std::make_pair(INTERNET_STATUS_RESOLVING_NAME, std::string("127.0.0.1")));
    EXPECT_EQ(seen[1], std::make_pair(INTERNET_STATUS_NAME_RESOLVED, std::string("127.0.0.1")));
    EXPECT_EQ(seen[2], std::make_pair(INTERNET_STATUS_CONNECTED_TO_SERVER, server.Address()));
}

TEST(FtpConnect, AWrongPasswordFailsWithTheServersReplyAndNeverEchoesThePassword)
{
    TempDir root("kestrix-ftp-root");
    FtpTestServer server(root.path());
    ASSERT_TRUE(server.Started());
    auto connection = CFtpConnection::Connect(server.Address(), "kx", "wrong secret");
    ASSERT_FALSE(connection);
    EXPECT_EQ(connection.error().code, ERROR_INTERNET_EXTENDED_ERROR);
    EXPECT_TRUE(connection.error().response.starts_with("530")) << connection.error().response;
    EXPECT_EQ(connection.error().response.find("wrong secret"), std::string::npos);
}

// A server that turns the session away and then waits: the program must
// hang up, or the server keeps a connection for every failed attempt (and
// a busy server counts them against its limit). A server that hangs up in
// the middle of a reply of several lines is a lost connection, not a wait
// for the rest of the reply without end.
TEST(FtpConnect, AServerThatTurnsTheSessionAwaySeesTheConnectionClosed)
{
    const struct {
        const char* replies;
        const char* reply;
        bool serverHangsUp;
    } cases[] = {
        {"421 Too many users\r\n", "421 Too many users", false},
        {"220 ready\r\n530 Login incorrect\r\n", "530 Login incorrect", false},
        {"220-Welcome\r\n", "", true},
        {"220 ready\r\n331 password\r\n230-Logged in\r\n230-", "", true},
        // Two megabytes of a greeting that never ends, the server waiting.
        {nullptr, "", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.replies ? c.replies : "a greeting without end");
        const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        ASSERT_EQ(::listen(listener, 1), 0);
        ASSERT_EQ(::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length), 0);
        bool hungUp = false;
        std::thread server([&] {
            const int control = ::accept(listener, nullptr, nullptr);
            std::string replies = c.replies ? c.replies : "220-Welcome\r\n";
            while (!c.replies && replies.size() < 2 * 1024 * 1024)
                replies += "220-Another line of the greeting that never ends\r\n";
            // The program may hang up before taking the whole of a greeting without end.
            const ssize_t sent = ::send(control, replies.data(), replies.size(), MSG_NOSIGNAL);
            if (c.replies) {
                ASSERT_EQ(sent, ssize_t(replies.size()));
            }
            if (c.serverHangsUp)
                ::shutdown(control, SHUT_WR);
            char buffer[256];
            pollfd wait{control, POLLIN, 0};
            while (::poll(&wait, 1, 10000) == 1) {
                if (::recv(control, buffer, sizeof buffer, 0) <= 0) {
                    hungUp = true;
                    break;
                }
            }
            ::close(control);
        });
        auto connection =
            CFtpConnection::Connect("127.0.0.1:" + std::to_string(ntohs(address.sin_port)), "kx", "pa ss");
        server.join();
        ::close(listener);
        ASSERT_FALSE(connection);
        if (c.serverHangsUp || !c.replies) {
            EXPECT_EQ(connection.error().code, ERROR_INTERNET_CONNECTION_ABORTED);
        } else {
            EXPECT_EQ(connection.error().code, ERROR_INTERNET_EXTENDED_ERROR);
            EXPECT_TRUE(connection.error().response.starts_with(c.reply)) << connection.error().response;
        }
        EXPECT_TRUE(hungUp);
    }
}

TEST(FtpConnect, NothingListeningIsCannotConnectAndABadHostIsNotResolved)
{
    int port = 0;
    {
        TempDir root("kestrix-ftp-root");
        FtpTestServer server(root.path());
        port = server.Port();
    }
    auto refused = CFtpConnection::Connect("127.0.0.1:" + std::to_string(port), "kx", "pa ss");
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.error().code, ERROR_INTERNET_CANNOT_CONNECT);
    auto unknown = CFtpConnection::Connect("no-such-host.invalid", "kx", "pa ss");
    ASSERT_FALSE(unknown);
    EXPECT_EQ(unknown.error().code, ERROR_INTERNET_NAME_NOT_RESOLVED);
}

TEST(FtpCommands, ARefusedChangeReturnsFalseWithTheServersReply)
{
    TempDir root("kestrix-ftp-root");
    fs::create_directories(root.file("locked/inner"));
    root.write("locked/keep.txt", "keep");
    FtpTestServer server(root.path(), {.mlsd = true, .readOnly = {"locked"}});
    ASSERT_TRUE(server.Started());
    auto connection = Connect(server);
    ASSERT_TRUE(connection);
    EXPECT_FALSE(connection->Remove("/locked/keep.txt"));
    EXPECT_TRUE(connection->LastResponse().starts_with("550")) << connection->LastResponse();
    EXPECT_FALSE(connection->RemoveDirectory("/locked/inner"));
    EXPECT_FALSE(connection->Rename("/locked/keep.txt", "/locked/moved.txt"));
    EXPECT_FALSE(connection->CreateDirectory("/locked/new"));
    EXPECT_EQ(connection->LastError().code, ERROR_INTERNET_EXTENDED_ERROR);
    EXPECT_FALSE(connection->Remove("/no such file"));
    EXPECT_EQ(ReadFileBytes(root.file("locked/keep.txt")), "keep");
    EXPECT_TRUE(fs::exists(root.file("locked/inner")));
    // After refusals the connection still works.
    EXPECT_EQ(Download(*connection, "/locked/keep.txt"), "keep");
}

TEST(FtpTransfer, AServerKilledMidDownloadIsAFailureNotAnEndOfFile)
{
    TempDir root("kestrix-ftp-root");
    root.write("big.bin", Pattern(32 * 1024 * 1024));
    FtpTestServer server(root.path());
    ASSERT_TRUE(server.Started());
    auto connection = Connect(server);
    ASSERT_TRUE(connection);
    ASSERT_TRUE(connection->OpenFile("/big.bin", CFtpConnection::FileAccess::Read));
    char block[1024];
    ASSERT_TRUE(connection->ReadFile(block, sizeof block));
    server.Kill();
    bool failed = false;
    for (int i = 0; i < 64 * 1024 && !failed; ++i) {
        auto n = connection->ReadFile(block, sizeof block);
        if (!n || *n == 0)
            failed = !n || !connection->CloseFile();
    }
    EXPECT_TRUE(failed);
}

} // namespace
