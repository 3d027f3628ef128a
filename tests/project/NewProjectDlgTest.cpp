// The new-project dialog and the command behind it: the files listed in
// the order the user sees them, every check of OK, and the folder made, the
// files copied and the project file written, or a clear message why not.
#include "ProjectFixture.h"

#include "project/CNewProjectDlg.h"

#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QTimer>
#include <QTreeWidget>

using namespace projecttest;
using Lines = std::vector<std::string>;

namespace {

class NewProject : public ProjectFixture {
protected:
    NewProject() : dialog_(host_) {}

    void Add(const std::string& path)
    {
        ui_.AnswerFile(path);
        dialog_.OnAdd();
    }
    Lines Listed() const
    {
        Lines lines;
        for (int i = 0; i < dialog_.FileList()->topLevelItemCount(); ++i)
            lines.push_back(dialog_.FileList()->topLevelItem(i)->text(0).toStdString());
        return lines;
    }
    // Runs the new-project command, filling the dialog in with fill once
    // it is shown.
    bool RunCommand(const std::function<void(CNewProjectDlg&)>& fill)
    {
        QTimer::singleShot(0, [&] {
            auto* shown = qobject_cast<CNewProjectDlg*>(QApplication::activeModalWidget());
            if (!shown) {
                ADD_FAILURE() << "no dialog";
                return;
            }
            fill(*shown);
            if (shown->isVisible())
                shown->reject();
        });
        return tree_.NewProject();
    }

    CNewProjectDlg dialog_;
};

TEST_F(NewProject, TheDialogIsLaidOutFromItsTemplate)
{
    EXPECT_EQ(dialog_.windowTitle().toStdString(), "プロジェクトの新規作成");
    EXPECT_EQ(dialog_.FileList()->headerItem()->text(0).toStdString(), "登録済みファイル");
    EXPECT_EQ(dialog_.FileList()->columnWidth(0), 200);
}

TEST_F(NewProject, AddedFilesGoToTheTopAndTheColumnFollowsTheWidestPath)
{
    Add("/src/a.cgi");
    Add("/src/b.html");
    Add("/src/c.pl");
    EXPECT_EQ(Listed(), (Lines{"/src/c.pl", "/src/b.html", "/src/a.cgi"}));
    EXPECT_EQ(dialog_.ColumnWidth(), 200);
    const std::string wide = "/src/" + std::string(120, 'w') + ".cgi";
    Add(wide);
    EXPECT_GT(dialog_.ColumnWidth(), 200);
    EXPECT_EQ(dialog_.FileList()->columnWidth(0), dialog_.ColumnWidth());

    dialog_.FileList()->setCurrentItem(dialog_.FileList()->topLevelItem(0));
    dialog_.OnRemove();
    EXPECT_EQ(Listed(), (Lines{"/src/c.pl", "/src/b.html", "/src/a.cgi"}));
    EXPECT_GT(dialog_.FileList()->columnWidth(0), 200) << "the column keeps its width";
}

TEST_F(NewProject, TheSamePathInAnyLetterCaseIsListedOnce)
{
    Add("/src/Form.cgi");
    ui_.AnswerBox(IDOK);
    Add("/SRC/form.CGI");
    EXPECT_EQ(LastBox(), "指定のファイルは既に登録されています");
    EXPECT_EQ(Listed(), Lines{"/src/Form.cgi"});
}

TEST_F(NewProject, OkWantsANameThenALocation)
{
    ui_.AnswerBox(IDOK);
    dialog_.OnOK();
    EXPECT_EQ(LastBox(), "プロジェクト名が入力されていません。");
    dialog_.NameEdit()->setText("shop");
    ui_.AnswerBox(IDOK);
    dialog_.OnOK();
    EXPECT_EQ(LastBox(), "プロジェクトフォルダの位置が設定されていません");
    EXPECT_EQ(dialog_.result(), 0);
}

TEST_F(NewProject, AnExistingFolderOfTheNameIsReusedOnlyOnYes)
{
    mkdir(dir_.file("shop").c_str(), 0755);
    dialog_.NameEdit()->setText("shop");
    dialog_.LocationEdit()->setText(QString::fromStdString(dir_.path()));
    ui_.AnswerBox(IDNO);
    dialog_.OnOK();
    EXPECT_EQ(LastBox(), "既に同名のプロジェクトがあります。上書きしますか?");
    EXPECT_TRUE(dialog_.NameEdit()->text().isEmpty()) << "No empties the name";
    dialog_.NameEdit()->setText("shop");
    ui_.AnswerBox(IDYES);
    dialog_.OnOK();
    EXPECT_EQ(dialog_.Folder(), dir_.file("shop"));
    EXPECT_EQ(dialog_.ProjectName(), "shop");
}

TEST_F(NewProject, ACancelledBrowseEmptiesTheLocation)
{
    dialog_.LocationEdit()->setText("/somewhere");
    ui_.AnswerFolder(std::nullopt);
    dialog_.OnBrowse();
    EXPECT_TRUE(dialog_.LocationEdit()->text().isEmpty());
    ui_.AnswerFolder(dir_.path());
    dialog_.OnBrowse();
    EXPECT_EQ(dialog_.LocationEdit()->text().toStdString(), dir_.path());
}

TEST_F(NewProject, TheCommandMakesTheFolderCopiesTheFilesAndListsThemWithTheirSubs)
{
    mkdir(dir_.file("src").c_str(), 0755);
    const std::string a = dir_.write("src/a.cgi", "\nsub alpha {}\n");
    const std::string b = dir_.write("src/b.html", "<p>");
    const std::string c = dir_.write("src/Upper.HTML", "\nsub upper {}\n");
    ASSERT_TRUE(RunCommand([&](CNewProjectDlg& dialog) {
        for (const std::string& path : {a, b, c}) {
            ui_.AnswerFile(path);
            dialog.OnAdd();
        }
        dialog.NameEdit()->setText("shop");
        dialog.LocationEdit()->setText(QString::fromStdString(dir_.path()));
        dialog.OnOK();
    }));
    ASSERT_TRUE(tree_.Scans().WaitForIdle(10000));
    EXPECT_EQ(Shape(), (Lines{"shop", "Source Files", "  a.cgi", "    alpha", "  Upper.HTML", "    upper",
                              "Html Files", "  b.html"}));
    EXPECT_EQ(ReadFileBytes(dir_.file("shop/a.cgi")), "\nsub alpha {}\n");
    ASSERT_EQ(tree_.Entries().size(), 3u);
    EXPECT_EQ(tree_.Entries()[0]->Path(), J(dir_.file("shop/Upper.HTML"))) << "entries in list order";
    EXPECT_EQ(tree_.Entries()[2]->Path(), J(dir_.file("shop/a.cgi")));
    EXPECT_EQ(ReadFileBytes(dir_.file("shop/shop.dat")).size(), 16u + 3 * 264);
    EXPECT_FALSE(tree_.IsModified());
}

TEST_F(NewProject, AFolderThatCannotBeMadeSaysSoAndLeavesNoProject)
{
    ui_.AnswerBox(IDOK);
    EXPECT_FALSE(RunCommand([&](CNewProjectDlg& dialog) {
        dialog.NameEdit()->setText("shop");
        dialog.LocationEdit()->setText(QString::fromStdString(dir_.file("no/such")));
        dialog.OnOK();
    }));
    EXPECT_EQ(LastBox().substr(0, LastBox().find('\n')), "プロジェクトフォルダを作成できません。");
    EXPECT_EQ(tree_.topLevelItemCount(), 0);
    EXPECT_TRUE(tree_.Name().empty());
}

TEST_F(NewProject, AFileThatCannotBeCopiedIsNamedAndLeftOut)
{
    const std::string there = dir_.write("there.cgi", "");
    const std::string gone = dir_.file("gone.cgi");
    ui_.AnswerBox(IDOK);
    ASSERT_TRUE(RunCommand([&](CNewProjectDlg& dialog) {
        for (const std::string& path : {there, gone}) {
            ui_.AnswerFile(path);
            dialog.OnAdd();
        }
        dialog.NameEdit()->setText("p");
        dialog.LocationEdit()->setText(QString::fromStdString(dir_.path()));
        dialog.OnOK();
    }));
    EXPECT_EQ(LastBox(), "次のファイルをプロジェクトフォルダへコピーできませんでした。\n" + gone);
    EXPECT_EQ(Shape(), (Lines{"p", "Source Files", "  there.cgi", "Html Files"}));
    EXPECT_EQ(tree_.Entries().size(), 1u);
}

TEST_F(NewProject, CancelChangesNothing)
{
    Open(MakeProject({{"a.cgi", ""}}));
    const Lines before = Shape();
    EXPECT_FALSE(RunCommand([](CNewProjectDlg& dialog) { dialog.reject(); }));
    EXPECT_EQ(Shape(), before);
}

} // namespace
