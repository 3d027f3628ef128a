// The publish command in the running program: in the file menu's project
// group and in the FTP tab's menu, enabled while a project is open; it runs
// the publish dialog, the transfer and the report on the project's files,
// and a reason's double-click opens the script at its line.
#include "AppFixture.h"
#include "FtpTestServer.h"

#include "app/CControlWnd.h"
#include "ftp/CFtpView.h"
#include "platform/registry/SettingsStore.h"
#include "project/CProjectData.h"
#include "project/CProjectView.h"
#include "publish/CPublishDLG.h"
#include "publish/CPublishReportDLG.h"

#include <QLineEdit>
#include <QTreeWidget>
#include <sys/stat.h>

using namespace apptest;

namespace {

class PublishCommand : public AppFixture {
protected:
    CProjectView& Tree() const { return *App().ControlWnd().ProjectView(); }

    void OpenSite()
    {
        mkdir(files_.file("site").c_str(), 0755);
        files_.write("site/form.cgi",
                     "#!/usr/bin/perl\nprint \"Content-Type: text/plain\\n\\n\";\nmy $x = ;\n");
        files_.write("site/index.html", "<p>");
        CProjectData data;
        for (const char* name : {"form.cgi", "index.html"}) {
            auto entry = std::make_unique<PROJECT_ENTRY>();
            entry->SetPath(J(files_.file(std::string("site/") + name).c_str()));
            entry->kind = IsHtmlFileName(name) ? PROJECT_ENTRY::kHtml : PROJECT_ENTRY::kScript;
            data.AppendEntry(std::move(entry));
        }
        data.SetFolder(files_.file("site"));
        data.SetName("site");
        ASSERT_TRUE(data.Save());
        ui.AnswerFile(data.DefaultPath());
        Frame().SendCommand(32771);
        ASSERT_TRUE(Tree().Scans().WaitForIdle(10000));
    }
    bool FtpMenuEnabled(UINT id) const
    {
        auto menu = App().ControlWnd().FtpView()->CreateContextMenu();
        std::function<QAction*(QMenu*)> find = [&](QMenu* m) -> QAction* {
            for (QAction* action : m->actions()) {
                if (action->menu()) {
                    if (QAction* found = find(action->menu()))
                        return found;
                } else if (action->data().toUInt() == id) {
                    return action;
                }
            }
            return nullptr;
        };
        QAction* action = find(menu.get());
        return action && action->isEnabled();
    }

    TempDir remote{"kestrix-app-remote"};
    FtpTestServer ftp{remote.path()};
};

TEST_F(PublishCommand, IsEnabledInBothMenusOnlyWhileAProjectIsOpen)
{
    EXPECT_FALSE(ItemEnabled(128, 32820));
    EXPECT_FALSE(FtpMenuEnabled(32820));
    OpenSite();
    EXPECT_TRUE(ItemEnabled(128, 32820));
    EXPECT_TRUE(FtpMenuEnabled(32820));
    Frame().SendCommand(32779);
    EXPECT_FALSE(ItemEnabled(128, 32820));
}

TEST_F(PublishCommand, PublishesTheOpenProjectAndAReasonOpensItsScriptAtTheLine)
{
    ASSERT_TRUE(ftp.Started());
    settings::FtpAccount account{ftp.Address(), FtpTestServer::kUser, FtpTestServer::kPassword};
    ASSERT_EQ(settings::SaveFtpAccount(account), 0u);
    settings::AppPaths paths;
    paths.perlApp = "/usr/bin/perl";
    ASSERT_EQ(settings::SaveAppPaths(paths), 0u);
    OpenSite();

    std::string planned, reported;
    WhenDialog<CPublishDLG>([&](CPublishDLG& dialog) {
        QTreeWidget* table = dialog.PlanTable();
        for (int i = 0; i < table->topLevelItemCount(); ++i)
            planned += table->topLevelItem(i)->text(0).toStdString() + ":" +
                       table->topLevelItem(i)->text(1).toStdString() + " ";
        // The reason's double-click: the script comes forward.
        QTreeWidget* reasons = dialog.IssueList();
        ASSERT_GT(reasons->topLevelItemCount(), 0);
        emit reasons->itemDoubleClicked(reasons->topLevelItem(0), 0);
        dialog.RemoteFolderEdit()->setText("/pub");
        ui.AnswerBox(IDYES);
        WhenDialog<CPublishReportDLG>(
            [&](CPublishReportDLG& report) {
                reported = report.SummaryText().toStdString();
                report.accept();
            },
            1000);
        dialog.PublishButton()->click();
    });
    Frame().SendCommand(32820);

    EXPECT_EQ(planned, "form.cgi:新規 index.html:新規 ");
    ASSERT_NE(ActiveDocument(), nullptr);
    EXPECT_EQ(ActiveDocument()->GetPathName(), files_.file("site/form.cgi"));
    EXPECT_EQ(reported, "2 "
                        "個のファイルを公開しました。\n公開先のURLが指定されていないため、スクリプトの動作は"
                        "確認していません。");
    EXPECT_EQ(ReadFileBytes(remote.file("pub/index.html")), "<p>");
    ASSERT_EQ(ui.Boxes().size(), 1u);
    EXPECT_TRUE(ui.Boxes()[0].Utf8Text().starts_with("公開を止める問題のあるスクリプトが 1 個あります"));
}

} // namespace
