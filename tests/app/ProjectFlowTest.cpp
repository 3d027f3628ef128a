// Projects in the running program: the file menu's project commands reach
// the project tree with their states, a new file joins the open project,
// typing in a script keeps its subs current in the tree, and closing the
// program with a modified project asks while the main window still stands.
#include "AppFixture.h"

#include "app/CControlWnd.h"
#include "app/CNameInputDlg.h"
#include "app/CVersionsDlg.h"
#include "app/builders/CMenuResources.h"
#include "app/settings/CSettingDlg.h"
#include "editor/CKESTRIX_2View.h"
#include "project/CProjectView.h"

#include <QLineEdit>
#include <QTest>
#include <QTreeWidget>
#include <sys/stat.h>

using namespace apptest;

namespace {

class ProjectFlow : public AppFixture {
protected:
    CProjectView& Tree() const { return *App().ControlWnd().ProjectView(); }

    // A project "site" of two scripts, opened through the file menu.
    void OpenSite()
    {
        mkdir(files_.file("site").c_str(), 0755);
        files_.write("site/form.cgi", "#!/usr/bin/perl\nsub parse_form {\n}\n");
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
    QStringList Subs(const char* script) const
    {
        QStringList names;
        for (const std::string& name : CProjectView::SubNames(Tree().FindChildItem(nullptr, script)))
            names << QString::fromStdString(name);
        return names;
    }
};

TEST_F(ProjectFlow, OpeningAProjectEnablesCloseAndANewFileJoinsItAndEnablesSave)
{
    EXPECT_FALSE(ItemEnabled(128, 32779));
    OpenSite();
    EXPECT_EQ(App().GetProjectFolder(), files_.file("site"));
    EXPECT_EQ(Subs("form.cgi"), QStringList{"parse_form"});
    EXPECT_TRUE(ItemEnabled(128, 32779));
    EXPECT_FALSE(ItemEnabled(128, 32789));

    WhenDialog<CNameInputDlg>([](CNameInputDlg& dialog) {
        dialog.findChild<QLineEdit*>(QStringLiteral("1000"))->setText("added.pl");
        Press(dialog, IDOK);
    });
    Frame().SendCommand(57600);
    EXPECT_NE(Tree().FindChildItem(nullptr, "added.pl"), nullptr);
    EXPECT_TRUE(ItemEnabled(128, 32789));

    Frame().SendCommand(32789);
    EXPECT_FALSE(ItemEnabled(128, 32789));
    EXPECT_EQ(ReadFileBytes(files_.file("site/site.dat")).size(), 16u + 3 * 264);

    Frame().SendCommand(32779);
    EXPECT_FALSE(ItemEnabled(128, 32779));
    EXPECT_EQ(Tree().topLevelItemCount(), 0);
    EXPECT_TRUE(ui.Boxes().empty());
}

TEST_F(ProjectFlow, TypingADeclarationInAnOpenScriptListsItsSub)
{
    OpenSite();
    QTreeWidgetItem* script = Tree().FindChildItem(nullptr, "form.cgi");
    // Opened from a sub: the script comes up with the declaration selected.
    Tree().OnDoubleClick(script->child(0));
    auto* view = dynamic_cast<CKESTRIX_2View*>(ActiveView());
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->GetSelText(), "sub parse_form");

    view->SetSel(-1, -1);
    view->SetSel(view->GetTextLength(), view->GetTextLength());
    QTest::keyClick(view, Qt::Key_Return);
    Type(view, QStringLiteral("sub typed_here {"));
    ASSERT_TRUE(Tree().Scans().WaitForIdle(10000));
    EXPECT_EQ(Subs("form.cgi"), (QStringList{"parse_form", "typed_here"}));
    view->GetDocument()->SetModifiedFlag(false);
}

TEST_F(ProjectFlow, AProjectScriptRestoredFromAPreviousVersionListsItsSubsAgain)
{
    OpenSite();
    const std::string script = files_.file("site/form.cgi");
    const std::string original = ReadFileBytes(script);
    Tree().OnDoubleClick(Tree().FindChildItem(nullptr, "form.cgi")->child(0));
    auto* view = dynamic_cast<CKESTRIX_2View*>(ActiveView());
    ASSERT_NE(view, nullptr);
    view->SetSel(view->GetTextLength(), view->GetTextLength());
    QTest::keyClick(view, Qt::Key_Return);
    Type(view, QStringLiteral("sub typed_here {"));
    ASSERT_TRUE(Frame().SendCommand(57603));
    ASSERT_TRUE(Tree().Scans().WaitForIdle(10000));
    EXPECT_EQ(Subs("form.cgi"), (QStringList{"parse_form", "typed_here"}));

    WhenDialog<CVersionsDlg>([](CVersionsDlg& dialog) {
        ASSERT_EQ(dialog.List()->topLevelItemCount(), 1);
        Press(dialog, CVersionsDlg::kRestore);
    });
    ASSERT_TRUE(Frame().SendCommand(cmd::kFileVersions));
    ASSERT_TRUE(Tree().Scans().WaitForIdle(10000));
    EXPECT_EQ(Subs("form.cgi"), QStringList{"parse_form"});
    ASSERT_TRUE(Frame().SendCommand(57603));
    EXPECT_EQ(ReadFileBytes(script), original);
    EXPECT_TRUE(ui.Boxes().empty());
}

TEST_F(ProjectFlow, ClosingTheProgramWithAModifiedProjectAsksWhileTheWindowIsShown)
{
    OpenSite();
    Tree().SetModified(true);
    // The question comes from the frame's close, while the frame is shown.
    bool shownWhenAsked = false;
    ui.AnswerBox(IDYES);
    EXPECT_TRUE(Frame().isVisible());
    Frame().close();
    shownWhenAsked = ui.Boxes().size() == 1 && !Template().Documents().size();
    EXPECT_TRUE(shownWhenAsked);
    ASSERT_EQ(ui.Boxes().size(), 1u);
    EXPECT_EQ(ui.Boxes()[0].Utf8Text(), "プロジェクトが変更されています、保存しますか？");
    EXPECT_EQ(ui.Boxes()[0].Utf8Caption(), "通知");
    EXPECT_EQ(ui.Boxes()[0].buttons, MB_YESNO);
    EXPECT_FALSE(Frame().isVisible());
    EXPECT_FALSE(Tree().IsModified());
    EXPECT_EQ(ReadFileBytes(files_.file("site/site.dat")).size(), 16u + 2 * 264);
}

TEST_F(ProjectFlow, AProjectThatCannotBeSavedOnExitKeepsTheProgramOpen)
{
    OpenSite();
    Tree().SetModified(true);
    Tree().SetFolder(files_.file("vanished"));
    ui.AnswerBox(IDYES);
    ui.AnswerBox(IDOK);
    Frame().close();
    ASSERT_EQ(ui.Boxes().size(), 2u);
    EXPECT_EQ(ui.Boxes()[1].Utf8Text(), "ファイルオープンに失敗しました");
    EXPECT_TRUE(Frame().isVisible());

    ui.AnswerBox(IDNO);
    Frame().close();
    EXPECT_FALSE(Frame().isVisible());
    EXPECT_EQ(ui.Boxes().size(), 3u) << "No closes without asking again at the end";
}

} // namespace

namespace {

TEST_F(ProjectFlow, SettingsOkMakesTheTreeReadTheHtmlEditorAgain)
{
    EXPECT_EQ(Tree().HtmlEditorPath(), "");
    ui.AnswerBox(IDOK);
    WhenDialog<CSettingDlg>([](CSettingDlg& dialog) {
        dialog.findChild<QLineEdit*>(QStringLiteral("1020"))->setText("/usr/bin/htmled");
        Press(dialog, IDOK);
    });
    Frame().SendCommand(32781);
    EXPECT_EQ(Tree().HtmlEditorPath(), "/usr/bin/htmled");
}

} // namespace
