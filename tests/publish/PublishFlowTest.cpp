#include "PublishFixture.h"

#include "ftp/CFtpTransferDLG.h"
#include "platform/registry/SettingsStore.h"
#include "publish/CPublishDLG.h"
#include "publish/CPublishReportDLG.h"
#include "publish/CPublishRun.h"
#include "publish/PublishHooks.h"

#include <QLineEdit>
#include <QTimer>
#include <QTreeWidget>

namespace {

using namespace publishtest;

class RecordingHooks : public PublishHooks {
public:
    std::vector<std::pair<std::string, int>> opened;
    void OpenAtLine(const std::string& path, int line) override { opened.emplace_back(path, line); }
};

// What the user saw in a dialog, row by row, each row's columns joined by "|".
std::vector<std::string> Rows(QTreeWidget* tree)
{
    std::vector<std::string> rows;
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        QStringList cells;
        for (int c = 0; c < tree->columnCount(); ++c)
            cells << tree->topLevelItem(i)->text(c);
        rows.push_back(cells.join('|').toStdString());
    }
    return rows;
}

class PublishFlowTest : public PublishFixture {
protected:
    PublishFlowTest()
    {
        settings::FtpAccount account{ftp.Address(), FtpTestServer::kUser, FtpTestServer::kPassword};
        EXPECT_EQ(settings::SaveFtpAccount(account), 0u);
        settings::AppPaths paths;
        paths.perlApp = "/usr/bin/perl";
        EXPECT_EQ(settings::SaveAppPaths(paths), 0u);
        run.showDialog = [this](QDialog& dialog) {
            if (auto* plan = dynamic_cast<CPublishDLG*>(&dialog)) {
                planRows = Rows(plan->PlanTable());
                issueRows = Rows(plan->IssueList());
                if (onPlan)
                    onPlan(*plan);
                return plan->result();
            }
            auto& report = dynamic_cast<CPublishReportDLG&>(dialog);
            summary = report.SummaryText().toStdString();
            reportRows = Rows(report.Table());
            detail = report.DetailText().toStdString();
            return 0;
        };
    }

    FtpTestServer ftp{www.path()};
    CgiServer web{www.path()};
    RecordingHooks hooks;
    CPublishRun run{hooks, nullptr};
    std::function<void(CPublishDLG&)> onPlan;
    std::vector<std::string> planRows, issueRows, reportRows;
    std::string summary, detail;
};

TEST_F(PublishFlowTest, ANewcomerPublishesASiteAndTheReportMatchesWhatABrowserSees)
{
    ASSERT_TRUE(ftp.Started());
    ASSERT_TRUE(web.Started());
    const auto files = Site();
    onPlan = [&](CPublishDLG& plan) {
        // The first time the fields are empty but for the server's perl.
        EXPECT_EQ(plan.ServerPerlEdit()->text().toStdString(), "/usr/bin/perl");
        plan.RemoteFolderEdit()->setText("site");
        plan.PublicUrlEdit()->setText(QString::fromStdString(web.Url() + "/site/"));
        // The reason in the list opens the script at its line.
        int brokenRow = -1;
        for (std::size_t i = 0; i < plan.Issues().size(); ++i)
            if (plan.Issues()[i].relativePath == "broken.cgi" && brokenRow < 0)
                brokenRow = static_cast<int>(i);
        plan.OpenIssue(brokenRow);
        // The syntax error stops the publish; the user insists the second time.
        ui.AnswerBox(IDNO);
        plan.OnPublish();
        EXPECT_NE(plan.result(), QDialog::Accepted);
        ui.AnswerBox(IDYES);
        plan.OnPublish();
    };
    EXPECT_EQ(run.Run(project.path(), files), CPublishRun::End::Published);

    EXPECT_EQ(planRows, (std::vector<std::string>{"crlf.cgi|新規|CR LF → LF|755", "broken.cgi|新規||755",
                                                  "cgi/plain.pl|新規||755", "index.html|新規||644"}));
    ASSERT_FALSE(issueRows.empty());
    EXPECT_TRUE(issueRows[0].starts_with("broken.cgi|3|エラー|syntax error at  line 3")) << issueRows[0];
    ASSERT_EQ(hooks.opened.size(), 1u);
    EXPECT_EQ(hooks.opened[0], std::make_pair(project.file("broken.cgi"), 3));
    ASSERT_EQ(ui.Boxes().size(), 2u);
    EXPECT_EQ(ui.Boxes()[0].Utf8Text(),
              "公開を止める問題のあるスクリプトが 1 個あります (構文エラー、「#!」行)。"
              "このままではサーバでエラーになります。\nそれでも公開しますか？");

    EXPECT_EQ(summary, "4 個のファイルを公開しました。");
    ASSERT_EQ(reportRows.size(), 3u);
    EXPECT_TRUE(reportRows[0].starts_with("crlf.cgi|200 OK|"));
    EXPECT_TRUE(reportRows[1].starts_with("broken.cgi|500 Internal Server Error|"));
    EXPECT_TRUE(reportRows[2].starts_with("cgi/plain.pl|200 OK|"));
    // The failing script is shown first: its address, the answer, the cause.
    EXPECT_TRUE(detail.starts_with(web.Url() + "/site/broken.cgi\n")) << detail;
    EXPECT_NE(detail.find("考えられる原因:\n・syntax error at  line 3"), std::string::npos) << detail;
    EXPECT_EQ(ReadFileBytes(www.file("site/index.html")), kPage);
    // The settings are kept for the project.
    EXPECT_EQ(PublishSettings::Load(project.path()).remoteFolder, "site");
}

TEST_F(PublishFlowTest, UnchangedFilesAreNotSentTheSecondTime)
{
    ASSERT_TRUE(ftp.Started());
    const auto files = Site();
    PublishSettings::Save(project.path(), {"/site", web.Url() + "/site", "/usr/bin/perl"});
    onPlan = [&](CPublishDLG& plan) {
        ui.AnswerBox(IDYES);
        plan.OnPublish();
    };
    ASSERT_EQ(run.Run(project.path(), files), CPublishRun::End::Published);
    EXPECT_EQ(run.Upload().sent.size(), 4u);

    // Only the changed page goes; the scripts stay as they are on the server.
    Write("index.html", "<html>second</html>\n");
    std::ofstream(www.file("site/crlf.cgi"), std::ios::app) << "# changed on the server\n";
    onPlan = [&](CPublishDLG& plan) { plan.OnPublish(); };
    ASSERT_EQ(run.Run(project.path(), files), CPublishRun::End::Published);
    EXPECT_EQ(run.Upload().sent, std::vector<std::string>{"index.html"});
    EXPECT_EQ(planRows[0], "crlf.cgi|変更なし||755");
    EXPECT_TRUE(run.Probes().empty());
    EXPECT_NE(ReadFileBytes(www.file("site/crlf.cgi")).find("changed on the server"), std::string::npos);

    // Nothing left to send: said, and nothing happens.
    onPlan = [&](CPublishDLG& plan) {
        ui.AnswerBox(IDOK);
        plan.OnPublish();
    };
    EXPECT_EQ(run.Run(project.path(), files), CPublishRun::End::Cancelled);
    EXPECT_EQ(ui.Boxes().back().Utf8Text(),
              "公開するファイルはありません。どのファイルも前回の公開から変更されていません。");
}

TEST_F(PublishFlowTest, CancellingTheTransferDialogKeepsTheOldFilesAndTheRestGoesNextTime)
{
    ASSERT_TRUE(ftp.Started());
    PublishSettings::Save(project.path(), {"/site", "", "/usr/bin/perl"});
    fs::create_directories(www.file("site"));
    constexpr int kFiles = 5;
    std::vector<std::string> files;
    for (int i = 0; i < kFiles; ++i) {
        const std::string name = "big" + std::to_string(i) + ".cgi";
        std::ofstream(www.file("site/" + name), std::ios::binary) << "old";
        files.push_back(Write(name, "#!/usr/bin/perl\n" + std::string(4 << 20, '#') + "\n", fs::perms(0755)));
    }
    // Once the transfer dialog shows its first file the line stalls (the
    // server is stopped), the user presses 取り消し, and the line comes back.
    std::function<void()> cancelWhenShown = [&] {
        auto* transfer = qobject_cast<CFtpTransferDLG*>(QApplication::activeModalWidget());
        if (!transfer || transfer->CaptionText().isEmpty()) {
            QTimer::singleShot(5, cancelWhenShown);
            return;
        }
        ftp.Pause();
        transfer->reject();
        EXPECT_TRUE(transfer->CancelRequested());
        ftp.Resume();
    };
    onPlan = [&](CPublishDLG& plan) {
        plan.OnPublish();
        QTimer::singleShot(5, cancelWhenShown);
    };
    EXPECT_EQ(run.Run(project.path(), files), CPublishRun::End::Cancelled);
    EXPECT_LT(run.Upload().sent.size(), std::size_t(kFiles));
    EXPECT_TRUE(summary.starts_with("公開を取り消しました。")) << summary;
    for (int i = 0; i < kFiles; ++i) {
        const std::string name = "big" + std::to_string(i) + ".cgi";
        const auto& sent = run.Upload().sent;
        const bool went = std::find(sent.begin(), sent.end(), name) != sent.end();
        EXPECT_EQ(ReadFileBytes(www.file("site/" + name)), went ? ReadFileBytes(files[i]) : "old") << name;
    }

    // The next publish sends only what did not go.
    const std::size_t wentBefore = run.Upload().sent.size();
    onPlan = [&](CPublishDLG& plan) {
        EXPECT_EQ(plan.Plan().CountGoing(), kFiles - wentBefore);
        plan.reject();
    };
    EXPECT_EQ(run.Run(project.path(), files), CPublishRun::End::Cancelled);
}

TEST_F(PublishFlowTest, APublishThatCannotReachTheServerSaysSoAndRecordsNothing)
{
    const auto files = Site();
    ftp.Kill();
    PublishSettings::Save(project.path(), {"/site", "", "/usr/bin/perl"});
    onPlan = [&](CPublishDLG& plan) {
        ui.AnswerBox(IDYES);
        plan.OnPublish();
    };
    EXPECT_EQ(run.Run(project.path(), files), CPublishRun::End::Failed);
    EXPECT_TRUE(summary.starts_with("公開は途中で失敗しました。0 / 4 個のファイルを送りました。")) << summary;
    EXPECT_NE(summary.find("FTPサーバに接続できません。"), std::string::npos) << summary;
    const PublishRecord record =
        PublishRecord::Load(PublishRecord::PathFor(project.path()), ftp.Address() + "/site");
    EXPECT_EQ(record.Size(), 0u);
}

TEST_F(PublishFlowTest, WithoutAnFtpServerInTheSettingsThePublishDialogSaysWhereToSetIt)
{
    settings::FtpAccount none;
    ASSERT_EQ(settings::SaveFtpAccount(none), 0u);
    onPlan = [&](CPublishDLG& plan) {
        ui.AnswerBox(IDOK);
        plan.OnPublish();
    };
    EXPECT_EQ(run.Run(project.path(), Site()), CPublishRun::End::Cancelled);
    ASSERT_EQ(ui.Boxes().size(), 1u);
    EXPECT_EQ(
        ui.Boxes()[0].Utf8Text(),
        "FTPサーバが設定されていません。設定の FTP ページでサーバ、ユーザ、パスワードを指定してください。");
}

} // namespace
