#include "PublishFixture.h"

#include "ftp/CFtpTransfer.h"
#include "publish/CPublishReportDLG.h"
#include "publish/PublishChecks.h"
#include "publish/PublishUpload.h"
#include "publish/PublishVerify.h"

#include <sys/stat.h>

namespace {

using namespace publishtest;

class PublishUploadTest : public PublishFixture {
protected:
    PublishUploadRequest Request(const PublishPlan& plan)
    {
        PublishUploadRequest request{
            ftp.Address(), FtpTestServer::kUser, FtpTestServer::kPassword, "/site", {}};
        for (const auto& item : plan.items)
            if (item.Goes())
                request.items.push_back(item);
        return request;
    }
    PublishUploadResult Upload(const PublishPlan& plan)
    {
        PublishUpload upload(Request(plan), sink, cancel);
        return upload.Run();
    }
    static int ModeOf(const std::string& path)
    {
        struct stat st {};
        return ::stat(path.c_str(), &st) == 0 ? static_cast<int>(st.st_mode & 0777) : -1;
    }
    // Every file under the server's site folder whose name is a temporary.
    std::vector<std::string> Temporaries() const
    {
        std::vector<std::string> found;
        for (const auto& entry : fs::recursive_directory_iterator(www.path()))
            if (entry.path().filename().string().ends_with(".kx-part"))
                found.push_back(entry.path().string());
        return found;
    }
    bool WaitUntilNoTemporaries()
    {
        for (int i = 0; i < 100 && !Temporaries().empty(); ++i)
            ::usleep(20000);
        return Temporaries().empty();
    }
    const PublishProbe& Probe(const std::vector<PublishProbe>& probes, const std::string& relative)
    {
        for (const auto& probe : probes)
            if (probe.relativePath == relative)
                return probe;
        ADD_FAILURE() << relative << " was not asked for";
        static PublishProbe none;
        return none;
    }

    FtpTestServer ftp{www.path()};
    Sink sink;
    std::atomic<bool> cancel{false};
};

TEST_F(PublishUploadTest, APublishedSiteAnswersOverHttpAsTheChecksForesaw)
{
    ASSERT_TRUE(ftp.Started());
    CgiServer web(www.path());
    ASSERT_TRUE(web.Started());
    const PublishPlan plan = PublishPlan::Build(project.path(), Site(), {});
    const auto issues = PublishChecks::Check(plan, "/usr/bin/perl", "/usr/bin/perl");

    const PublishUploadResult result = Upload(plan);
    ASSERT_EQ(result.end, FtpTransferEnd::Completed) << sjis::ToUtf8(result.errorText);
    EXPECT_EQ(result.sent.size(), 4u);
    EXPECT_FALSE(result.siteRefused);
    EXPECT_TRUE(result.chmodFailed.empty());
    EXPECT_TRUE(Temporaries().empty());
    // The script went with LF, the page byte for byte; scripts 755, the page 644
    // (the local plain.pl has no execute permission).
    EXPECT_EQ(ReadFileBytes(www.file("site/crlf.cgi")).find('\r'), std::string::npos);
    EXPECT_EQ(ReadFileBytes(www.file("site/index.html")), kPage);
    EXPECT_EQ(ModeOf(www.file("site/cgi/plain.pl")), 0755);
    EXPECT_EQ(ModeOf(www.file("site/index.html")), 0644);
    EXPECT_EQ(ModeOf(project.file("cgi/plain.pl")), 0644);
    EXPECT_NE(ReadFileBytes(project.file("crlf.cgi")).find('\r'), std::string::npos);

    std::vector<PublishItem> scripts;
    for (const auto& item : plan.items)
        if (item.IsScript())
            scripts.push_back(item);
    const auto probes = PublishVerify::Run(web.Url() + "/site/", scripts, issues, result.siteRefused);
    EXPECT_EQ(Probe(probes, "crlf.cgi").status, 200);
    EXPECT_EQ(Probe(probes, "cgi/plain.pl").status, 200);
    EXPECT_EQ(Probe(probes, "cgi/plain.pl").url, web.Url() + "/site/cgi/plain.pl");
    const PublishProbe& broken = Probe(probes, "broken.cgi");
    EXPECT_EQ(broken.status, 500);
    EXPECT_EQ(broken.reason, "Internal Server Error");
    EXPECT_FALSE(broken.firstLines.empty());
    ASSERT_FALSE(broken.causes.empty());
    EXPECT_TRUE(sjis::ToUtf8(broken.causes.front()).starts_with("syntax error at  line 3"))
        << broken.causes.front();
    EXPECT_TRUE(Probe(probes, "crlf.cgi").causes.empty());
}

TEST_F(PublishUploadTest, TheSameScriptsSentAsTheFtpBrowserSendsThemFailOnTheServer)
{
    // What the publish guards against, on the same servers: the project
    // folder uploaded by the FTP browser's engine, byte for byte. Even with
    // its permission set by hand the CR LF script answers 500, and so does
    // the script without its permission.
    ASSERT_TRUE(ftp.Started());
    CgiServer web(www.path());
    Site();
    fs::create_directories(www.file("raw"));
    FtpTransferRequest browser;
    browser.download = false;
    browser.directory = true;
    browser.server = ftp.Address();
    browser.user = FtpTestServer::kUser;
    browser.password = FtpTestServer::kPassword;
    browser.remotePath = "/raw";
    browser.localPath = project.path();
    ASSERT_EQ(CFtpTransfer(browser, sink, cancel).Run().end, FtpTransferEnd::Completed);
    const std::string uploaded = www.file("raw/" + fs::path(project.path()).filename().string());
    ASSERT_EQ(ReadFileBytes(uploaded + "/crlf.cgi"), kCrLfScript);
    fs::permissions(uploaded + "/crlf.cgi", fs::perms(0755));
    PublishItem crlf, plain;
    crlf.relativePath = "crlf.cgi";
    plain.relativePath = "cgi/plain.pl";
    const auto probes = PublishVerify::Run(web.Url() + "/raw/" + fs::path(uploaded).filename().string(),
                                           {crlf, plain}, {}, false);
    EXPECT_EQ(Probe(probes, "crlf.cgi").status, 500);
    EXPECT_EQ(Probe(probes, "cgi/plain.pl").status, 500);
    EXPECT_EQ(Probe(probes, "crlf.cgi").causes.size(), 3u);
}

TEST_F(PublishUploadTest, AServerWithoutSiteCommandsIsAskedOnceAndTheReportBlamesThePermission)
{
    FtpTestServer::Options noSite;
    noSite.site = false;
    FtpTestServer plain(www.path(), noSite);
    ASSERT_TRUE(plain.Started());
    CgiServer web(www.path());
    const PublishPlan plan = PublishPlan::Build(project.path(), {Write("cgi/plain.pl", kPlainScript)}, {});
    PublishUploadRequest request = Request(plan);
    request.server = plain.Address();
    PublishUpload upload(request, sink, cancel);
    const PublishUploadResult result = upload.Run();
    ASSERT_EQ(result.end, FtpTransferEnd::Completed) << sjis::ToUtf8(result.errorText);
    EXPECT_TRUE(result.siteRefused);
    EXPECT_TRUE(result.siteReply.starts_with("500")) << result.siteReply;
    EXPECT_TRUE(result.chmodFailed.empty());
    // The server's own permission: not executable, so the script fails there,
    // and the report says why.
    EXPECT_EQ(ModeOf(www.file("site/cgi/plain.pl")) & 0111, 0);
    const auto probes = PublishVerify::Run(web.Url() + "/site", plan.items, {}, result.siteRefused);
    ASSERT_EQ(probes.size(), 1u);
    EXPECT_EQ(probes[0].status, 500);
    ASSERT_EQ(probes[0].causes.size(), 1u);
    EXPECT_EQ(sjis::ToUtf8(probes[0].causes[0]),
              "サーバが SITE CHMOD を受け付けないため、実行権限 (755) が付いていない可能性があります。");
    const CPublishReportDLG report(result, 1, probes, false);
    EXPECT_TRUE(report.SummaryText().startsWith(
        "1 個のファイルを公開しました。\nサーバが SITE コマンドを受け付けないため、権限 (755/644) "
        "を設定できませんでした: 500"))
        << report.SummaryText().toStdString();
}

TEST_F(PublishUploadTest, CancellingInTheMiddleOfAFileLeavesTheOldFileAndNoTemporary)
{
    ASSERT_TRUE(ftp.Started());
    const std::string big = "#!/usr/bin/perl\n" + std::string(400000, '#') + "\n";
    fs::create_directories(www.file("site"));
    std::ofstream(www.file("site/big.cgi"), std::ios::binary) << "old";
    const PublishPlan plan = PublishPlan::Build(project.path(), {Write("big.cgi", big)}, {});
    sink.onPosition = [this](std::uint64_t bytes) {
        if (bytes > 100000)
            cancel = true;
    };
    const PublishUploadResult result = Upload(plan);
    EXPECT_EQ(result.end, FtpTransferEnd::Cancelled);
    EXPECT_TRUE(result.sent.empty());
    EXPECT_EQ(ReadFileBytes(www.file("site/big.cgi")), "old");
    EXPECT_TRUE(WaitUntilNoTemporaries());
}

TEST_F(PublishUploadTest, AServerKilledMidPublishLeavesEveryFileOldOrNewNeverHalf)
{
    // The server dies once 300 KB of the four files have been written.
    FtpTestServer doomed(www.path());
    ASSERT_TRUE(doomed.Started());
    fs::create_directories(www.file("site"));
    std::vector<std::string> files, fresh;
    for (int i = 0; i < 4; ++i) {
        const std::string name = "page" + std::to_string(i) + ".cgi";
        std::ofstream(www.file("site/" + name), std::ios::binary) << "old " << i;
        fresh.push_back("#!/usr/bin/perl\n# " + std::to_string(i) + "\n" + std::string(200000, 'x') + "\n");
        files.push_back(Write(name, fresh.back()));
    }
    const PublishPlan plan = PublishPlan::Build(project.path(), files, {});
    PublishUploadRequest request = Request(plan);
    request.server = doomed.Address();
    std::uint64_t killedAt = 0;
    sink.onPosition = [&](std::uint64_t bytes) {
        if (bytes > 300000 && !killedAt) {
            killedAt = bytes;
            doomed.Kill();
        }
    };
    PublishUpload upload(request, sink, cancel);
    const PublishUploadResult result = upload.Run();
    EXPECT_GT(killedAt, 0u);
    EXPECT_EQ(result.end, FtpTransferEnd::Failed);
    EXPECT_FALSE(result.errorText.empty());
    EXPECT_LT(result.sent.size(), 4u);
    for (int i = 0; i < 4; ++i) {
        const std::string name = "page" + std::to_string(i) + ".cgi";
        const std::string now = ReadFileBytes(www.file("site/" + name));
        const bool wasSent = std::find(result.sent.begin(), result.sent.end(), name) != result.sent.end();
        EXPECT_EQ(now, wasSent ? fresh[i] : "old " + std::to_string(i)) << name << " is half-written";
    }
    // The temporary of the file cut off could not be removed: it is said.
    EXPECT_EQ(result.temporariesLeft.size(), 1u);
}

} // namespace
