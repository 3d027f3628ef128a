// The transfer engine against a real FTP server on loopback: whole trees
// both ways, every byte compared, and each way a transfer can go wrong.
#include "FtpTestServer.h"
#include "RecordingSink.h"
#include "TempDir.h"
#include "VsftpdTestServer.h"
#include "ftp/CFtpTransfer.h"
#include "platform/text/Sjis.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>

namespace fs = std::filesystem;

namespace {

std::string Pattern(std::size_t size, unsigned seed)
{
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 131 + seed * 7 + i / 977) & 0xFF);
    return bytes;
}

// Every regular file under a folder, by its path below it, with its bytes.
std::map<std::string, std::string> Tree(const std::string& root)
{
    std::map<std::string, std::string> files;
    for (auto& entry : fs::recursive_directory_iterator(root)) {
        std::string rel = fs::relative(entry.path(), root).string();
        files[rel + (entry.is_directory() ? "/" : "")] =
            entry.is_directory() ? "" : ReadFileBytes(entry.path().string());
    }
    return files;
}

void Write(const std::string& path, const std::string& bytes)
{
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

const std::string kSjisName = "\x93\xFA\x8B\x4C \x95\x5C.cgi"; // 日記 表.cgi

class FtpTransferFlow : public testing::Test {
protected:
    void SetUp() override { Start({}); }
    void TearDown() override
    {
        if (server) {
            server->Kill();
            EXPECT_FALSE(server->Running());
        }
    }
    void Start(FtpTestServer::Options options)
    {
        server.reset();
        server = std::make_unique<FtpTestServer>(remote.path(), options);
        ASSERT_TRUE(server->Started());
    }
    FtpTransferRequest Request(bool download, bool directory, std::string remotePath, std::string localPath)
    {
        FtpTransferRequest r;
        r.download = download;
        r.directory = directory;
        r.server = server->Address();
        r.user = FtpTestServer::kUser;
        r.password = FtpTestServer::kPassword;
        r.remotePath = std::move(remotePath);
        r.localPath = std::move(localPath);
        return r;
    }
    FtpTransferResult Run(const FtpTransferRequest& request)
    {
        CFtpTransfer transfer(request, sink, cancel);
        return transfer.Run();
    }

    TempDir remote{"kestrix-ftp-remote"};
    TempDir local{"kestrix-ftp-local"};
    std::unique_ptr<FtpTestServer> server;
    RecordingSink sink;
    std::atomic<bool> cancel{false};
};

TEST_F(FtpTransferFlow, ADeepTreeGoesUpAndComesBackWithEveryByteAndName)
{
    std::string project = local.file("my site");
    Write(project + "/index.html", Pattern(5000, 1));
    Write(project + "/empty.txt", "");
    Write(project + "/" + kSjisName, Pattern(70000, 2));
    std::string deep = project;
    for (int i = 0; i < 8; ++i) {
        deep += "/level " + std::to_string(i);
        Write(deep + "/f" + std::to_string(i) + ".pl", Pattern(1024 * i + 1, 3 + i));
    }
    fs::create_directories(project + "/empty folder");

    auto up = Run(Request(false, true, "/", project));
    EXPECT_EQ(up.end, FtpTransferEnd::Completed) << sjis::ToUtf8(up.errorText);
    EXPECT_EQ(Tree(remote.file("my site")), Tree(project));
    EXPECT_EQ(sink.animations, 1);

    std::string back = local.file("back");
    auto down = Run(Request(true, true, "/my site", back));
    EXPECT_EQ(down.end, FtpTransferEnd::Completed) << sjis::ToUtf8(down.errorText);
    EXPECT_EQ(Tree(back), Tree(project));
}

TEST_F(FtpTransferFlow, AFileDownloadReportsItsProgressToOneHundredPercent)
{
    const std::string bytes = Pattern(3 * 1024 * 1024 + 5, 9);
    Write(remote.file("big.bin"), bytes);
    auto result = Run(Request(true, false, "/big.bin", local.file("big.bin")));
    ASSERT_EQ(result.end, FtpTransferEnd::Completed);
    EXPECT_EQ(ReadFileBytes(local.file("big.bin")), bytes);
    EXPECT_EQ(sink.ranges.back(), bytes.size());
    ASSERT_FALSE(sink.percents.empty());
    EXPECT_EQ(sink.percents.back(), 100);
    EXPECT_TRUE(std::is_sorted(sink.percents.begin(), sink.percents.end()));
    EXPECT_EQ(sink.lastPos, bytes.size());
    EXPECT_EQ(sink.captions.back(), "big.binのアップロードの完了");
    EXPECT_EQ(fs::directory_iterator(local.path())->path().filename(), "big.bin"); // no temporary left
}

TEST_F(FtpTransferFlow, AServerKilledMidDownloadFailsAndLeavesTheOldFileAsItWas)
{
    Write(remote.file("big.bin"), Pattern(24 * 1024 * 1024, 4));
    Write(local.file("big.bin"), "the old contents");
    sink.onPosition = [&](std::uint64_t bytes) {
        if (bytes > 1024 * 1024)
            server->Kill();
    };
    auto result = Run(Request(true, false, "/big.bin", local.file("big.bin")));
    EXPECT_EQ(result.end, FtpTransferEnd::Failed);
    EXPECT_TRUE(
        sjis::ToUtf8(result.errorText).starts_with("ファイルのダウンロード中にエラーが発生しました, Error:"))
        << sjis::ToUtf8(result.errorText);
    EXPECT_EQ(ReadFileBytes(local.file("big.bin")), "the old contents");
    EXPECT_EQ(Tree(local.path()).size(), 1u);
}

TEST_F(FtpTransferFlow, CancellingADownloadKeepsNoPartAndCancellingAnUploadKeepsTheServersPart)
{
    Write(remote.file("big.bin"), Pattern(8 * 1024 * 1024, 5));
    sink.onPosition = [&](std::uint64_t bytes) {
        if (bytes > 512 * 1024)
            cancel = true;
    };
    EXPECT_EQ(Run(Request(true, false, "/big.bin", local.file("big.bin"))).end, FtpTransferEnd::Cancelled);
    EXPECT_TRUE(Tree(local.path()).empty());

    cancel = false;
    Write(local.file("up.bin"), Pattern(8 * 1024 * 1024, 6));
    EXPECT_EQ(Run(Request(false, false, "/", local.file("up.bin"))).end, FtpTransferEnd::Cancelled);
    auto partial = fs::file_size(remote.file("up.bin"));
    EXPECT_GT(partial, 0u);
    EXPECT_LT(partial, 8u * 1024 * 1024);
}

TEST_F(FtpTransferFlow, AMissingRemoteFileIsToldOnceAndFails)
{
    auto result = Run(Request(true, false, "/nothing.txt", local.file("nothing.txt")));
    EXPECT_EQ(result.end, FtpTransferEnd::Failed);
    EXPECT_EQ(result.errorText, "");
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].text, "指定されたファイルが見つかりません。");
    EXPECT_EQ(sink.messages[0].caption, "通知");
    EXPECT_FALSE(fs::exists(local.file("nothing.txt")));
}

TEST_F(FtpTransferFlow, UploadingAFolderWhoseNameIsTakenSendsNothingAndFails)
{
    fs::create_directories(remote.file("site"));
    Write(local.file("site/a.cgi"), "print 1;");
    auto result = Run(Request(false, true, "/", local.file("site")));
    EXPECT_EQ(result.end, FtpTransferEnd::Failed);
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].text, "ディレクトリの作成に失敗しました");
    EXPECT_EQ(sink.messages[0].caption, "Error");
    EXPECT_FALSE(fs::exists(remote.file("site/a.cgi")));
}

TEST_F(FtpTransferFlow, LocalFailuresEndAsFailuresNotAsFinished)
{
    auto unreadable = Run(Request(false, false, "/", local.file("no such file.cgi")));
    EXPECT_EQ(unreadable.end, FtpTransferEnd::Failed);
    EXPECT_EQ(sjis::ToUtf8(unreadable.errorText), "ファイルの転送中にエラーが発生しました, Error:2");

    Write(remote.file("a.txt"), "a");
    auto uncreatable = Run(Request(true, false, "/a.txt", local.file("no folder/a.txt")));
    EXPECT_EQ(uncreatable.end, FtpTransferEnd::Failed);
    EXPECT_EQ(sjis::ToUtf8(uncreatable.errorText),
              "ファイルのダウンロード開始時にエラーが発生しました, Error:2");
}

TEST_F(FtpTransferFlow, AServerRefusalShowsItsReplyOnALineOfItsOwn)
{
    fs::create_directories(remote.file("locked"));
    Start({.mlsd = true, .readOnly = {"locked"}});
    Write(local.file("a.cgi"), "print 1;");
    auto result = Run(Request(false, false, "/locked", local.file("a.cgi")));
    EXPECT_EQ(result.end, FtpTransferEnd::Failed);
    EXPECT_TRUE(sjis::ToUtf8(result.errorText)
                    .starts_with("リモートファイルの指定の際にエラーが発生しました, Error:\n550"))
        << sjis::ToUtf8(result.errorText);
    EXPECT_FALSE(fs::exists(remote.file("locked/a.cgi")));

    FtpTransferRequest wrong = Request(true, false, "/a", local.file("a"));
    wrong.password = "not it";
    auto refused = Run(wrong);
    EXPECT_EQ(refused.end, FtpTransferEnd::Failed);
    EXPECT_TRUE(
        sjis::ToUtf8(refused.errorText).starts_with("サーバへの接続の際にエラーが発生しました, Error:\n530"))
        << sjis::ToUtf8(refused.errorText);
    EXPECT_EQ(refused.errorText.find("not it"), std::string::npos);
}

TEST_F(FtpTransferFlow, AListedNameWithABackslashIsRefusedAndNothingIsWrittenForIt)
{
    Write(remote.file("site/good.txt"), "good");
    Write(remote.file("site/..\\evil.txt"), "evil");
    auto result = Run(Request(true, true, "/site", local.file("site")));
    EXPECT_EQ(result.end, FtpTransferEnd::Failed);
    EXPECT_EQ(sjis::ToUtf8(result.errorText), "ファイル： ..\\evil.txt は無効です。");
    for (auto& [path, bytes] : Tree(local.path()))
        EXPECT_EQ(path.find("evil"), std::string::npos) << path;
}

TEST_F(FtpTransferFlow, ListingsReadAsLinesWorkAsWellAsMlsd)
{
    Start({.mlsd = false, .readOnly = {}});
    Write(remote.file("site/sub dir/" + kSjisName), Pattern(4097, 8));
    Write(remote.file("site/empty"), "");
    auto result = Run(Request(true, true, "/site", local.file("site")));
    EXPECT_EQ(result.end, FtpTransferEnd::Completed) << sjis::ToUtf8(result.errorText);
    EXPECT_EQ(Tree(local.file("site")), Tree(remote.file("site")));
}

TEST(FtpTransferOnVsftpd, AWholeTreeComesDownFromAServerThatOnlySpeaksList)
{
    TempDir remote("kestrix-vsftpd-root");
    TempDir local("kestrix-ftp-local");
    Write(remote.file("site/sub dir/a.cgi"), "print 1;\n");
    Write(remote.file("site/empty.txt"), "");
    Write(remote.file("site/" + kSjisName), Pattern(50000, 11));
    for (int i = 0; i < 6; ++i)
        Write(remote.file("site/d/" + std::string(i, 'e') + "/f" + std::to_string(i)), Pattern(3000 + i, i));
    VsftpdTestServer server(remote.path());
    if (!server.Started())
        GTEST_SKIP() << "vsftpd could not be started";
    RecordingSink sink;
    std::atomic<bool> cancel{false};
    FtpTransferRequest request;
    request.server = server.Address(); // anonymous: no user
    request.directory = true;
    // Run as the test's own user, vsftpd cannot change its root: remote
    // paths are the machine's own.
    request.remotePath = remote.file("site");
    request.localPath = local.file("site");
    auto result = CFtpTransfer(request, sink, cancel).Run();
    EXPECT_EQ(result.end, FtpTransferEnd::Completed) << sjis::ToUtf8(result.errorText);
    EXPECT_EQ(Tree(local.file("site")), Tree(remote.file("site")));

    // The server refuses writes: the upload fails with its reply.
    Write(local.file("up.cgi"), "x");
    FtpTransferRequest upload = request;
    upload.download = false;
    upload.directory = false;
    upload.remotePath = remote.file("site");
    upload.localPath = local.file("up.cgi");
    auto refused = CFtpTransfer(upload, sink, cancel).Run();
    EXPECT_EQ(refused.end, FtpTransferEnd::Failed);
    EXPECT_TRUE(sjis::ToUtf8(refused.errorText).find("Error:\n5") != std::string::npos)
        << sjis::ToUtf8(refused.errorText);
    server.Kill();
    EXPECT_FALSE(server.Running());
}

} // namespace
