// The FTP browser as the user drives it, against a real FTP server on
// loopback: connect, browse, upload, download, delete, create, rename, with
// every message box checked.
#include "FtpTestServer.h"
#include "ScriptedUi.h"
#include "TempDir.h"
#include "ftp/CFtpView.h"
#include "ftp/FtpHooks.h"
#include "platform/registry/SettingsStore.h"
#include "platform/text/Sjis.h"

#include <QMenu>
#include <deque>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

class TestHooks : public FtpHooks {
public:
    std::string projectFolder;
    std::deque<std::optional<std::string>> names;
    std::vector<int> modes;
    std::string GetProjectFolder() const override { return projectFolder; }
    std::optional<std::string> AskName(QWidget*, int mode) override
    {
        modes.push_back(mode);
        auto name = names.front();
        names.pop_front();
        return name;
    }
};

void Write(const std::string& path, const std::string& bytes)
{
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

std::vector<std::string> Texts(const QTreeWidgetItem* item)
{
    std::vector<std::string> texts;
    for (int i = 0; i < item->childCount(); ++i)
        texts.push_back(item->child(i)->text(0).toStdString());
    return texts;
}

QTreeWidgetItem* Child(QTreeWidgetItem* item, const std::string& text)
{
    for (int i = 0; i < item->childCount(); ++i)
        if (item->child(i)->text(0).toStdString() == text)
            return item->child(i);
    return nullptr;
}

// Each command's state in the context menu, by id.
std::map<UINT, bool> MenuStates(QMenu* menu)
{
    std::map<UINT, bool> states;
    for (QAction* action : menu->actions()) {
        if (action->menu())
            for (auto& [id, on] : MenuStates(action->menu()))
                states[id] = on;
        else if (!action->isSeparator())
            states[action->data().toUInt()] = action->isEnabled();
    }
    return states;
}

class FtpViewFlow : public testing::Test {
protected:
    void SetUp() override
    {
        Write(remote.file("z.txt"), "zz");
        Write(remote.file("song.mp3"), "mp3");
        Write(remote.file("photo.JPG"), "JPG");
        Write(remote.file("index.html"), "<html>");
        Write(remote.file("photo.png"), "png");
        Write(remote.file("cgi-bin/a.cgi"), "print 1;");
        fs::create_directories(remote.file("locked"));
        Write(remote.file("locked/keep.txt"), "keep");
        server = std::make_unique<FtpTestServer>(
            remote.path(), FtpTestServer::Options{.mlsd = true, .readOnly = {"locked"}});
        ASSERT_TRUE(server->Started());
        view.SetHooks(&hooks);
    }
    void TearDown() override
    {
        server->Kill();
        EXPECT_FALSE(server->Running());
    }
    void SaveAccount(const std::string& url)
    {
        settings::SaveFtpAccount({url, FtpTestServer::kUser, FtpTestServer::kPassword});
        view.ReadFtpSettings();
    }
    QTreeWidgetItem* ConnectAndRoot()
    {
        SaveAccount(server->Address());
        view.OnCommand(CFtpView::kConnect);
        EXPECT_TRUE(view.IsConnected());
        return view.topLevelItem(0);
    }
    std::vector<std::string> BoxTexts() const
    {
        std::vector<std::string> texts;
        for (const auto& box : ui.Boxes())
            texts.push_back(box.Utf8Text());
        return texts;
    }

    ScriptedUi ui;
    TestHooks hooks;
    TempDir remote{"kestrix-ftp-remote"};
    TempDir local{"kestrix-ftp-local"};
    std::unique_ptr<FtpTestServer> server;
    CFtpView view;
};

TEST_F(FtpViewFlow, OfflineTheViewSaysSoAndOffersOnlyConnect)
{
    ASSERT_EQ(view.topLevelItemCount(), 1);
    EXPECT_EQ(view.topLevelItem(0)->text(0).toStdString(), "現在、FTPには接続されていません");
    view.setCurrentItem(view.topLevelItem(0));
    auto states = MenuStates(view.CreateContextMenu().get());
    // The nine FTP commands and the project's publish, which needs a project.
    EXPECT_EQ(states.size(), 10u);
    for (auto& [id, on] : states)
        EXPECT_EQ(on, id == CFtpView::kConnect) << id;
}

TEST_F(FtpViewFlow, AnEmptyServerSettingIsInvalidAndNoSessionIsMade)
{
    SaveAccount("");
    ui.AnswerBox(IDOK);
    view.OnCommand(CFtpView::kConnect);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"FTPサーバーのアドレスが無効です"});
    EXPECT_FALSE(view.IsConnected());
    EXPECT_EQ(view.topLevelItem(0)->text(0).toStdString(), "FTPセッションが確立していません");
}

TEST_F(FtpViewFlow, AServerThatDoesNotAnswerIsToldAndTheViewStaysOffline)
{
    server->Kill();
    SaveAccount(server->Address());
    ui.AnswerBox(IDOK);
    view.OnCommand(CFtpView::kConnect);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"サーバーへの接続を確立できませんでした。"});
    EXPECT_FALSE(view.IsConnected());
    EXPECT_EQ(view.topLevelItem(0)->text(0).toStdString(), "現在、FTPには接続されていません");
}

TEST_F(FtpViewFlow, ConnectingListsTheTopFolderFoldersFirstThenFilesByKind)
{
    QTreeWidgetItem* root = ConnectAndRoot();
    ASSERT_TRUE(root);
    EXPECT_EQ(root->text(0).toStdString(), "ftp://" + server->Address());
    EXPECT_EQ(view.GetItemPath(root), "/");
    EXPECT_EQ(Texts(root), (std::vector<std::string>{"cgi-bin", "locked", "photo.JPG", "z.txt", "index.html",
                                                     "photo.png", "song.mp3"}));
    EXPECT_EQ(CFtpView::ItemKind(Child(root, "photo.JPG")), 3);
    EXPECT_EQ(CFtpView::ItemKind(Child(root, "photo.png")), 5);

    QTreeWidgetItem* cgi = Child(root, "cgi-bin");
    EXPECT_EQ(Texts(cgi), std::vector<std::string>{"1"}); // not listed yet
    cgi->setExpanded(true);
    EXPECT_EQ(Texts(cgi), std::vector<std::string>{"a.cgi"});
    EXPECT_EQ(view.GetItemPath(cgi->child(0)), "/cgi-bin/a.cgi");

    view.setCurrentItem(nullptr);
    for (auto& [id, on] : MenuStates(view.CreateContextMenu().get()))
        EXPECT_EQ(on, id == CFtpView::kDisconnect) << id;
    view.setCurrentItem(cgi);
    for (auto& [id, on] : MenuStates(view.CreateContextMenu().get()))
        EXPECT_EQ(on, id != CFtpView::kConnect && id != CFtpView::kPublish) << id;

    view.OnCommand(CFtpView::kDisconnect);
    EXPECT_FALSE(view.IsConnected());
    EXPECT_EQ(view.topLevelItem(0)->text(0).toStdString(), "現在、FTPには接続されていません");
    EXPECT_TRUE(ui.Boxes().empty());
}

TEST_F(FtpViewFlow, UploadingAFileTheProjectFolderAndDownloadingBackCarriesEveryByte)
{
    QTreeWidgetItem* root = ConnectAndRoot();
    const std::string script(5000, 'x');
    Write(local.file("new script.cgi"), script);
    view.setCurrentItem(root);
    ui.AnswerFile(local.file("new script.cgi"));
    ui.AnswerBox(IDOK);
    view.OnCommand(CFtpView::kUploadFile);
    EXPECT_EQ(ReadFileBytes(remote.file("new script.cgi")), script);
    ASSERT_TRUE(Child(root, "new script.cgi"));
    EXPECT_EQ(ui.FileDialogs().back().title, sjis::FromUtf8("アップロードファイルの選択"));

    // With a file selected, the project folder goes into that file's folder.
    Write(local.file("project/index.cgi"), "print 2;");
    Write(local.file("project/lib/util.pl"), "1;");
    hooks.projectFolder = local.file("project");
    QTreeWidgetItem* cgi = Child(root, "cgi-bin");
    cgi->setExpanded(true);
    view.setCurrentItem(cgi->child(0));
    ui.AnswerBox(IDOK);
    view.OnCommand(CFtpView::kUploadProject);
    EXPECT_EQ(ReadFileBytes(remote.file("cgi-bin/project/lib/util.pl")), "1;");
    ASSERT_TRUE(Child(cgi, "project"));

    // And the uploaded file comes back byte for byte.
    view.setCurrentItem(Child(root, "new script.cgi"));
    ui.AnswerFile(local.file("back.cgi"));
    ui.AnswerBox(IDOK);
    view.OnCommand(CFtpView::kDownload);
    EXPECT_EQ(ReadFileBytes(local.file("back.cgi")), script);
    EXPECT_EQ(ui.FileDialogs().back().initialName, "new script.cgi");

    // Downloading onto it again asks first; No leaves it alone.
    Write(remote.file("new script.cgi"), "changed");
    ui.AnswerFile(local.file("back.cgi"));
    ui.AnswerBox(IDNO);
    view.OnCommand(CFtpView::kDownload);
    EXPECT_EQ(ReadFileBytes(local.file("back.cgi")), script);

    EXPECT_EQ(
        BoxTexts(),
        (std::vector<std::string>{
            "ファイルのアップロード処理の完了", "ファイルのアップロード処理の完了", "ダウンロード処理の完了",
            "ファイル: '" + local.file("back.cgi") + "' は既に存在しています。\n置き換えますか?"}));
}

TEST_F(FtpViewFlow, DeletingAFolderRemovesItsWholeTreeFilesBeforeAndAfterASubFolder)
{
    Write(remote.file("site/a.txt"), "a");
    Write(remote.file("site/m sub/deep/x.txt"), "x");
    Write(remote.file("site/m sub/y.txt"), "y");
    Write(remote.file("site/z.txt"), "z");
    QTreeWidgetItem* root = ConnectAndRoot();
    view.setCurrentItem(Child(root, "site"));
    ui.AnswerBox(IDOK);
    ui.AnswerBox(IDOK);
    view.OnCommand(CFtpView::kDelete);
    EXPECT_FALSE(fs::exists(remote.file("site")));
    EXPECT_FALSE(Child(root, "site"));
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{
                              "ディレクトリを削除しようとしています。\nこのまま内部ファイル毎削除しますか?",
                              "ディレクトリを削除しました。"}));
}

TEST_F(FtpViewFlow, ARefusedDeleteShowsTheServersReplyAndKeepsTheItem)
{
    QTreeWidgetItem* root = ConnectAndRoot();
    QTreeWidgetItem* locked = Child(root, "locked");
    locked->setExpanded(true);
    view.setCurrentItem(Child(locked, "keep.txt"));
    ui.AnswerBox(IDOK);
    view.OnCommand(CFtpView::kDelete);
    ASSERT_EQ(ui.Boxes().size(), 1u);
    EXPECT_TRUE(ui.Boxes()[0].Utf8Text().starts_with("550")) << ui.Boxes()[0].Utf8Text();
    EXPECT_EQ(ui.Boxes()[0].Utf8Caption(), "Error");
    EXPECT_TRUE(Child(locked, "keep.txt"));

    view.setCurrentItem(locked);
    ui.AnswerBox(IDOK);
    ui.AnswerBox(IDOK);
    view.OnCommand(CFtpView::kDelete);
    EXPECT_EQ(ui.Boxes().back().Utf8Text(), "ディレクトリの削除に失敗しました");
    EXPECT_EQ(ReadFileBytes(remote.file("locked/keep.txt")), "keep");
    EXPECT_TRUE(Child(root, "locked"));
}

TEST_F(FtpViewFlow, RenamingOntoAnExistingNameIsRefusedAndAFreeNameIsTaken)
{
    QTreeWidgetItem* root = ConnectAndRoot();
    view.setCurrentItem(Child(root, "z.txt"));
    hooks.names = {std::string("index.html"), std::string("renamed.txt")};
    ui.AnswerBox(IDOK);
    view.OnCommand(CFtpView::kRename);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"既に同名のファイルが存在します。"});
    EXPECT_EQ(ReadFileBytes(remote.file("index.html")), "<html>");
    view.OnCommand(CFtpView::kRename);
    EXPECT_EQ(ReadFileBytes(remote.file("renamed.txt")), "zz");
    EXPECT_TRUE(Child(root, "renamed.txt"));
    EXPECT_EQ(hooks.modes, (std::vector<int>{0, 0}));
}

TEST_F(FtpViewFlow, CreatingAFolderUnderAFileSelectionPutsItBesideTheFile)
{
    QTreeWidgetItem* root = ConnectAndRoot();
    view.setCurrentItem(Child(root, "z.txt"));
    hooks.names = {std::string("new dir")};
    view.OnCommand(CFtpView::kCreateDirectory);
    EXPECT_TRUE(fs::is_directory(remote.file("new dir")));
    ASSERT_TRUE(Child(root, "new dir"));
    EXPECT_EQ(Texts(root).front(), "cgi-bin");
    EXPECT_EQ(hooks.modes, std::vector<int>{1});
    EXPECT_TRUE(ui.Boxes().empty());
}

} // namespace
