// The project tree as a user meets it: opening a project of scripts lists
// them with their subs, files join and leave it, the pop-up menu offers
// what the selected item takes, double-clicks open scripts, pages and
// subs, and closing asks what it must.
#include "ProjectFixture.h"

#include "platform/registry/SettingsStore.h"
#include "project/SubScanner.h"

#include <QApplication>
#include <filesystem>

using namespace projecttest;
using Lines = std::vector<std::string>;

namespace {

class ProjectView : public ProjectFixture {};

TEST_F(ProjectView, OpeningAProjectListsItsFilesSortedWithTheSubsOfEachScript)
{
    Open(MakeProject({{"zeta.cgi", "#!/usr/bin/perl\nsub parse_form {\n}\nsub alpha { }\n"},
                      {"index.html", "<html>sub nothing</html>"},
                      {"alpha.pl", "print 1;\n"},
                      {"about.htm", ""}}));
    EXPECT_EQ(Shape(), (Lines{"site", "Source Files", "  alpha.pl", "  zeta.cgi", "    alpha",
                              "    parse_form", "Html Files", "  about.htm", "  index.html"}));
    EXPECT_EQ(CProjectView::ImageOf(tree_.topLevelItem(0)), CProjectView::kProjectImage);
    EXPECT_EQ(CProjectView::ImageOf(tree_.SourceFilesItem()), CProjectView::kGroupImage);
    EXPECT_EQ(CProjectView::ImageOf(Script("zeta.cgi")), CProjectView::kScriptImage);
    EXPECT_EQ(CProjectView::ImageOf(Script("zeta.cgi")->child(0)), CProjectView::kSubImage);
    EXPECT_EQ(CProjectView::ImageOf(tree_.FindChildItem(tree_.HtmlFilesItem(), "index.html")),
              CProjectView::kHtmlImage);
    EXPECT_EQ(tree_.Name(), "site");
    EXPECT_FALSE(tree_.IsModified());
}

TEST_F(ProjectView, AProjectFileThatIsNotOneChangesNothing)
{
    Open(MakeProject({{"a.cgi", ""}}));
    const Lines before = Shape();
    ui_.AnswerFile(dir_.write("junk.dat", "not a project at all"));
    ui_.AnswerBox(IDOK);
    tree_.OpenProject();
    EXPECT_EQ(LastBox(), "プロジェクトデータではありません。");
    EXPECT_EQ(Shape(), before);
}

TEST_F(ProjectView, FilesJoinTheProjectByTheirGroupAndASecondFileOfTheSameNameIsRefused)
{
    Open(MakeProject({{"form.cgi", ""}}));
    mkdir(dir_.file("other").c_str(), 0755);
    const std::string page = dir_.write("other/form.html", "<p>");
    const std::string upper = dir_.write("other/PAGE.HTML", "\nsub shouted {}\n");
    const std::string twin = dir_.write("other/form.cgi", "\nsub twin {}\n");

    EXPECT_TRUE(tree_.AddFile(page));
    EXPECT_TRUE(tree_.AddFile(upper));
    ui_.AnswerBox(IDOK);
    EXPECT_FALSE(tree_.AddFile(twin));
    EXPECT_EQ(LastBox(), "選択されたファイルの同名のファイルが既に登録されています。");
    ASSERT_TRUE(tree_.Scans().WaitForIdle(10000));

    EXPECT_EQ(Shape(), (Lines{"site", "Source Files", "  form.cgi", "  PAGE.HTML", "    shouted",
                              "Html Files", "  form.html"}));
    EXPECT_TRUE(tree_.IsModified());
    EXPECT_EQ(ReadFileBytes(dir_.file("site/PAGE.HTML")), "\nsub shouted {}\n") << "copied into the folder";
    EXPECT_EQ(ReadFileBytes(dir_.file("site/form.cgi")), "") << "the refused twin did not overwrite it";
    ASSERT_EQ(tree_.Entries().size(), 3u);
    EXPECT_EQ(tree_.Entries()[2]->Path(), J(dir_.file("site/PAGE.HTML")));
    EXPECT_FALSE(tree_.Entries()[2]->IsHtml());
}

TEST_F(ProjectView, AFileWhosePathWouldNotFitAnEntryIsRefusedWithAMessage)
{
    Open(MakeProject({}));
    const std::string longName(255, 'n');
    const std::string file = dir_.write(longName.substr(0, 200) + ".cgi", "");
    // The project folder plus the name passes 259 bytes only in a deep
    // folder: make the project's folder long instead.
    tree_.SetFolder(dir_.file(std::string(250, 'f')));
    ui_.AnswerBox(IDOK);
    EXPECT_FALSE(tree_.AddFile(file));
    EXPECT_EQ(LastBox().substr(0, LastBox().find('\n')),
              "パスが長すぎるため、プロジェクトに登録できません。");
    EXPECT_TRUE(tree_.Entries().empty());
    EXPECT_FALSE(tree_.IsModified());
}

TEST_F(ProjectView, RemovingTheSelectedFileDropsItsEntryAndItsSubsButKeepsTheFile)
{
    Open(MakeProject({{"a.cgi", "\nsub one {}\n"}, {"b.cgi", ""}}));
    tree_.setCurrentItem(Script("a.cgi"));
    tree_.OnCommand(CProjectView::kRemoveFileCommand);
    EXPECT_EQ(Shape(), (Lines{"site", "Source Files", "  b.cgi", "Html Files"}));
    ASSERT_EQ(tree_.Entries().size(), 1u);
    EXPECT_EQ(tree_.Entries()[0]->FileName(), "b.cgi");
    EXPECT_TRUE(tree_.IsModified());
    EXPECT_TRUE(std::filesystem::exists(dir_.file("site/a.cgi")));

    tree_.setCurrentItem(tree_.SourceFilesItem());
    tree_.RemoveSelectedFile();
    EXPECT_EQ(tree_.Entries().size(), 1u) << "a group is not a file";
}

TEST_F(ProjectView, RemovingOneOfTwoItemsOfTheSamePathLeavesTheOtherItsEntry)
{
    Open(MakeProject({{"same.cgi", ""}}));
    // A project that lists one path twice, as two files of one name from
    // different folders make it.
    auto twin = std::make_unique<PROJECT_ENTRY>(*tree_.Entries()[0]);
    tree_.AppendEntry(std::move(twin));
    tree_.RebuildTree();
    QTreeWidgetItem* second = tree_.SourceFilesItem()->child(1);
    tree_.setCurrentItem(second);
    PROJECT_ENTRY* kept = CProjectView::EntryOf(tree_.SourceFilesItem()->child(0));
    tree_.RemoveSelectedFile();
    ASSERT_EQ(tree_.Entries().size(), 1u);
    EXPECT_EQ(tree_.Entries()[0].get(), kept);
}

TEST_F(ProjectView, ClosingAModifiedProjectAsksToSaveAndEmptiesTheTree)
{
    const std::string file = MakeProject({{"a.cgi", ""}});
    Open(file);
    tree_.SetModified(true);
    host_.editorWindows = true;
    ui_.AnswerBox(IDYES); // close the editor windows
    ui_.AnswerBox(IDYES); // save
    tree_.OnCommand(CProjectView::kCloseCommand);
    ASSERT_EQ(ui_.Boxes().size(), 2u);
    EXPECT_EQ(ui_.Boxes()[0].Utf8Text(), "表示中の子ウィンドウを全て閉じますか?");
    EXPECT_EQ(ui_.Boxes()[0].icon, MB_ICONINFORMATION);
    EXPECT_EQ(ui_.Boxes()[1].Utf8Text(), "プロジェクトの内容が変更されています。保存しますか？");
    EXPECT_EQ(ui_.Boxes()[1].buttons, MB_YESNO);
    EXPECT_EQ(ui_.Boxes()[1].icon, 0u);
    EXPECT_EQ(host_.closedEditorWindows, 1);
    EXPECT_EQ(tree_.topLevelItemCount(), 0);
    EXPECT_TRUE(tree_.Name().empty());
    EXPECT_TRUE(tree_.Folder().empty());
    EXPECT_FALSE(tree_.IsModified());
}

TEST_F(ProjectView, ClosingWithTheBarFloatingOrNoEditorAsksNothing)
{
    Open(MakeProject({{"a.cgi", ""}}));
    tree_.CloseProject();
    EXPECT_TRUE(ui_.Boxes().empty());
    EXPECT_EQ(host_.closedEditorWindows, 0);
}

TEST(ProjectViewMenu, OffersTheCommandsTheSelectedItemTakes)
{
    using V = std::vector<UINT>;
    EXPECT_EQ(CProjectView::ContextCommands(CProjectView::kScriptImage),
              (V{32775, 32776, 32779, 0, 32790, 32794}));
    EXPECT_EQ(CProjectView::ContextCommands(CProjectView::kHtmlImage), (V{32775, 32776, 32779, 0, 32794}));
    EXPECT_EQ(CProjectView::ContextCommands(CProjectView::kProjectImage), (V{32775, 32779, 0}));
    EXPECT_EQ(CProjectView::ContextCommands(CProjectView::kGroupImage), (V{32775, 32779, 0}));
    EXPECT_TRUE(CProjectView::ContextCommands(CProjectView::kSubImage).empty());
    EXPECT_TRUE(CProjectView::ContextCommands(-1).empty());
}

TEST_F(ProjectView, DebugAndRunHandTheFolderAndTheFileNameOver)
{
    Open(MakeProject({{"a.cgi", ""}}));
    tree_.OnCommand(CProjectView::kDebugCommand);
    EXPECT_TRUE(host_.runs.empty()) << "nothing selected";
    tree_.setCurrentItem(Script("a.cgi"));
    tree_.OnCommand(CProjectView::kDebugCommand);
    tree_.OnCommand(CProjectView::kRunCommand);
    EXPECT_EQ(host_.runs,
              (Lines{"debug " + dir_.file("site") + " a.cgi", "web " + dir_.file("site") + " a.cgi"}));
}

TEST_F(ProjectView, DoubleClickOpensAScriptWithoutSubsOnly)
{
    Open(MakeProject({{"plain.cgi", "print 1;\n"}, {"subs.cgi", "\nsub a {}\n"}}));
    tree_.OnDoubleClick(Script("subs.cgi"));
    EXPECT_TRUE(host_.opened.empty());
    tree_.OnDoubleClick(Script("plain.cgi"));
    EXPECT_EQ(host_.opened, Lines{dir_.file("site/plain.cgi")});
}

TEST_F(ProjectView, DoubleClickOnASubSelectsItsOwnDeclarationNotALongerName)
{
    const std::string text = "#!/usr/bin/perl\nsub foobar {\n}\nsub foo {\n}\n";
    Open(MakeProject({{"s.cgi", text}}));
    QTreeWidgetItem* script = Script("s.cgi");
    ASSERT_EQ(CProjectView::SubNames(script), (Lines{"foo", "foobar"}));
    tree_.OnDoubleClick(script->child(0));
    ASSERT_EQ(host_.opened, Lines{dir_.file("site/s.cgi")});
    CRichEditCtrl& editor = *host_.editors.begin()->second;
    EXPECT_EQ(editor.GetSelText(), "sub foo");
    long start = 0, end = 0;
    editor.GetSel(start, end);
    EXPECT_EQ(start, long(text.find("sub foo {")));
}

TEST_F(ProjectView, DoubleClickOnAPageUsesTheHtmlEditorOrTheDesktop)
{
    Open(MakeProject({{"index.html", "<p>"}}));
    QTreeWidgetItem* page = tree_.FindChildItem(tree_.HtmlFilesItem(), "index.html");
    tree_.OnDoubleClick(page);
    settings::SaveAppPaths({"/usr/bin/htmled", ""});
    EXPECT_TRUE(tree_.LoadAppSettings());
    tree_.OnDoubleClick(page);
    EXPECT_EQ(host_.started, (Lines{"desktop " + dir_.file("site/index.html"),
                                    "/usr/bin/htmled index.html in " + dir_.file("site")}));
    settings::SaveAppPaths({"", ""});
}

TEST_F(ProjectView, AProjectFromAnotherMachineLoadsAndItsMissingFilesSayWhenOpened)
{
    const std::string kHeader("KESTRIX\0\x33\x33\x33\x33\x33\x33\xF3\x3F", 16);
    std::string entry(264, '\0');
    const std::string windowsPath = "D:\\web\\shop\\cart.cgi";
    entry.replace(4, windowsPath.size(), windowsPath);
    mkdir(dir_.file("shop").c_str(), 0755);
    Open(dir_.write("shop/shop.dat", kHeader + entry));
    EXPECT_EQ(Shape(), (Lines{"shop", "Source Files", "  cart.cgi", "Html Files"}));
    ui_.AnswerBox(IDOK);
    tree_.OnDoubleClick(Script("cart.cgi"));
    EXPECT_EQ(LastBox(), "ファイルが見つかりません。\n" + windowsPath);
    EXPECT_TRUE(host_.opened.empty());
}

TEST_F(ProjectView, EditsAddAndRemoveSubsOfTheScriptWithTheEditorsTitle)
{
    Open(MakeProject({{"s.cgi", "\nsub a {}\n"}}));
    tree_.AddSubsFromText("s.cgi", "\nsub a {}\nsub b {}\n");
    EXPECT_EQ(CProjectView::SubNames(Script("s.cgi")), (Lines{"a", "a", "b"})) << "a pasted repeat is listed";
    tree_.RemoveSubsInText("s.cgi", "\nsub a {}\n");
    EXPECT_EQ(CProjectView::SubNames(Script("s.cgi")), (Lines{"a", "b"}));
    tree_.AddSubsFromText("other.cgi", "\nsub z {}\n");
    EXPECT_EQ(CProjectView::SubNames(Script("s.cgi")), (Lines{"a", "b"}))
        << "a title of no script changes nothing";
}

TEST_F(ProjectView, ARescanMakesTheSubsFollowTheText)
{
    Open(MakeProject({{"s.cgi", "sub first {}\n\nsub  spaced {}\n"}}));
    EXPECT_EQ(CProjectView::SubNames(Script("s.cgi")), (Lines{"first", "spaced"}))
        << "opening and rescanning list the same subs";
    tree_.AddSubsFromText("s.cgi", "\nsub dup {}\nsub dup {}\n");
    tree_.RescanSubs("s.cgi", "sub first {}\nsub dup {}\nsub fresh {}\n");
    ASSERT_TRUE(tree_.Scans().WaitForIdle(10000));
    EXPECT_EQ(CProjectView::SubNames(Script("s.cgi")), (Lines{"dup", "dup", "first", "fresh"}));
    tree_.RescanSubs("s.cgi", "\n");
    ASSERT_TRUE(tree_.Scans().WaitForIdle(10000));
    EXPECT_EQ(CProjectView::SubNames(Script("s.cgi")), (Lines{"dup"})) << "one item of a repeat per rescan";
}

TEST_F(ProjectView, RescansWhileTypingEndWithTheNewestText)
{
    Open(MakeProject({{"s.cgi", ""}}));
    for (int i = 0; i < 200; ++i)
        tree_.RescanSubs("s.cgi", "\nsub typed" + std::to_string(i) + " {}\n");
    ASSERT_TRUE(tree_.Scans().WaitForIdle(10000));
    EXPECT_EQ(CProjectView::SubNames(Script("s.cgi")), (Lines{"typed199"}));
}

TEST_F(ProjectView, ScansRacingACloseOrAReopenNeverTouchTheNewTree)
{
    std::string big;
    for (int i = 0; i < 2000; ++i)
        big += "\nsub s" + std::to_string(i) + " {}\n";
    const std::string file = MakeProject({{"big.cgi", big}, {"small.cgi", "\nsub only {}\n"}});
    for (int round = 0; round < 100; ++round) {
        ui_.AnswerFile(file);
        tree_.OpenProject();
        tree_.RescanSubs("big.cgi", big + "\nsub extra {}\n");
        tree_.RescanSubs("small.cgi", "\nsub other {}\n");
        if (round % 2)
            QApplication::processEvents();
        if (round % 3 == 0) {
            tree_.CloseProject();
            EXPECT_EQ(tree_.topLevelItemCount(), 0);
        }
    }
    ui_.AnswerFile(file);
    tree_.OpenProject();
    ASSERT_TRUE(tree_.Scans().WaitForIdle(20000));
    EXPECT_EQ(Script("big.cgi")->childCount(), 2000);
    EXPECT_EQ(CProjectView::SubNames(Script("small.cgi")), Lines{"only"});
}

TEST_F(ProjectView, AScanOfARemovedScriptLeavesTheTreeAlone)
{
    Open(MakeProject({{"a.cgi", ""}, {"b.cgi", ""}}));
    tree_.RescanSubs("a.cgi", "\nsub late {}\n");
    tree_.setCurrentItem(Script("a.cgi"));
    tree_.RemoveSelectedFile();
    ASSERT_TRUE(tree_.Scans().WaitForIdle(10000));
    EXPECT_EQ(Shape(), (Lines{"site", "Source Files", "  b.cgi", "Html Files"}));
}

} // namespace

namespace {

TEST_F(ProjectView, ARescanOfJapaneseTextFindsTheNamesItsShiftJisBytesDeclare)
{
    Open(MakeProject({{"j.cgi", ""}}));
    const std::string text =
        J("# 日本語のコメント sub not_this\nsub ab日本cd {}\nｱsub no {}\n\tsub ソース {}\nsub ok_ｶﾅ {}\n");
    tree_.RescanSubs("j.cgi", text);
    ASSERT_TRUE(tree_.Scans().WaitForIdle(10000));
    std::vector<std::string> fromBytes = subscan::ScanSubs(text);
    std::sort(fromBytes.begin(), fromBytes.end());
    EXPECT_EQ(CProjectView::SubNames(Script("j.cgi")), fromBytes);
    EXPECT_EQ(fromBytes, (std::vector<std::string>{"ab", "not_this", "ok_"}));
}

} // namespace
