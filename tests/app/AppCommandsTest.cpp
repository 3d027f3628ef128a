// The application's commands as the user meets them: new files with and
// without a project, opening files and the recent-file list, leaving the
// program with unsaved changes, the settings, the version dialog, the help
// and the project commands.
#include "AppFixture.h"

#include "platform/help/CHelpWindow.h"

#include "app/CAboutDlg.h"
#include "app/CNameInputDlg.h"
#include "app/CRecentFileList.h"
#include "app/settings/CSettingDlg.h"
#include "editor/CKESTRIX_2View.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontMetricsF>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <vector>

namespace {

using namespace apptest;
using namespace std::string_literals;

// A project tree that records what the application asks of it.
class FakeProject : public ProjectHost {
public:
    explicit FakeProject(std::vector<std::string>* log = nullptr) : log_(log) {}
    std::string GetProjectFolder() const override { return folder; }
    void AddFile(const std::string& path) override { added.push_back(path); }
    void OpenProject() override { calls.push_back("open"); }
    void NewProject() override { calls.push_back("new"); }
    void SaveProject() override { calls.push_back("save"); }
    void CloseProject() override { calls.push_back("close"); }
    bool IsProjectModified() const override { return modified; }
    bool HasProjectName() const override { return named; }
    void ReloadAppSettings() override
    {
        if (log_)
            log_->push_back("project");
    }

    std::string folder;
    bool modified = false;
    bool named = false;
    std::vector<std::string> added;
    std::vector<std::string> calls;

private:
    std::vector<std::string>* log_;
};

// A part that re-reads its settings, noting when it did and what the tip
// switch was then.
class FakeReader : public SettingsReader {
public:
    FakeReader(std::string name, std::vector<std::string>& log, CSyntaxColorizer& colorizer)
        : name_(std::move(name)), log_(log), colorizer_(colorizer)
    {
    }
    void ReloadSettings() override
    {
        log_.push_back(name_);
        tipSwitchSeen = colorizer_.TipSwitch();
    }
    int tipSwitchSeen = -1;

private:
    std::string name_;
    std::vector<std::string>& log_;
    CSyntaxColorizer& colorizer_;
};

class AppCommandsTest : public AppFixture {
protected:
    void UseProject(const std::string& folder)
    {
        project.folder = folder;
        App().SetProjectHost(&project);
    }
    // Answers the name dialog with a name, as typed; checks its caption.
    void AnswerName(const QString& name)
    {
        WhenDialog<CNameInputDlg>([name](CNameInputDlg& dialog) {
            EXPECT_EQ(dialog.windowTitle(), Q("新しいファイル名の入力"));
            dialog.findChild<QLineEdit*>(QStringLiteral("1000"))->setText(name);
            Press(dialog, IDOK);
        });
    }
    QStringList RecentItems(UINT menu) const
    {
        QStringList items;
        QMenuBar* bar = Frame().MenuBar(menu);
        for (UINT id = 57616; id < 57620; ++id)
            if (QAction* action = CMenuBuilder::FindAction(bar, id))
                items << action->text();
        return items;
    }

    FakeProject project;
};

TEST_F(AppCommandsTest, NewFileWithoutAProjectOpensNumberedUntitledDocuments)
{
    EXPECT_TRUE(Frame().SendCommand(57600));
    EXPECT_TRUE(Frame().SendCommand(57600));
    ASSERT_EQ(OpenDocuments(), 2u);
    EXPECT_EQ(WindowTitles(), Lines({"KESTRI1", "KESTRI2"}));
    EXPECT_EQ(ActiveDocument()->GetPathName(), "");
    EXPECT_EQ(Template().GetDocString(3), J("KESTRI ﾌｧｲﾙ (*.cgi)"));
    EXPECT_EQ(Template().GetDocString(4), ".cgi");
    EXPECT_EQ(Template().GetDocString(6), "KESTRI Document");
    EXPECT_EQ(Template().ResourceId(), 129u);
    EXPECT_TRUE(ui.Boxes().empty());
}

TEST_F(AppCommandsTest, NewFileInAProjectIsCreatedEmptyAndJoinsTheProjectUnopened)
{
    UseProject(files_.path());
    AnswerName(QStringLiteral("new.cgi"));
    EXPECT_TRUE(Frame().SendCommand(57600));
    const std::string path = files_.file("new.cgi");
    EXPECT_TRUE(std::filesystem::exists(path));
    EXPECT_EQ(std::filesystem::file_size(path), 0u);
    EXPECT_EQ(project.added, std::vector<std::string>{path});
    EXPECT_EQ(OpenDocuments(), 0u);
    EXPECT_TRUE(ui.Boxes().empty());

    // A half-width katakana name is a single-byte name; on disk it is the
    // same name in the system's UTF-8.
    AnswerName(Q("ｻﾝﾌﾟﾙ.pl"));
    Frame().SendCommand(57600);
    EXPECT_TRUE(std::filesystem::exists(files_.file("ｻﾝﾌﾟﾙ.pl")));
    ASSERT_EQ(project.added.size(), 2u);
    EXPECT_EQ(project.added[1], files_.file("ｻﾝﾌﾟﾙ.pl"));

    // Cancel creates nothing.
    WhenDialog<CNameInputDlg>([](CNameInputDlg& dialog) { Press(dialog, IDCANCEL); });
    Frame().SendCommand(57600);
    EXPECT_EQ(project.added.size(), 2u);
}

TEST_F(AppCommandsTest, NewFileOverAnExistingOneAsksAndNoKeepsItsContent)
{
    UseProject(files_.path());
    const std::string path = files_.write("old.cgi", "print 1;\n");

    ui.AnswerBox(IDNO);
    AnswerName(QStringLiteral("old.cgi"));
    Frame().SendCommand(57600);
    ASSERT_EQ(ui.Boxes().size(), 1u);
    EXPECT_EQ(ui.Boxes()[0].Utf8Text(), "「old.cgi」は既にあります。空のファイルで置き換えますか？");
    EXPECT_EQ(ui.Boxes()[0].Utf8Caption(), "通知");
    EXPECT_EQ(ui.Boxes()[0].buttons, MB_YESNO);
    EXPECT_EQ(ui.Boxes()[0].icon, MB_ICONQUESTION);
    EXPECT_EQ(ReadFileBytes(path), "print 1;\n");
    EXPECT_TRUE(project.added.empty());

    ui.AnswerBox(IDYES);
    AnswerName(QStringLiteral("old.cgi"));
    Frame().SendCommand(57600);
    EXPECT_EQ(ui.Boxes().size(), 2u);
    EXPECT_EQ(ReadFileBytes(path), "");
    EXPECT_EQ(project.added, std::vector<std::string>{path});
}

TEST_F(AppCommandsTest, NewFileThatCannotBeCreatedSaysWhyAndStaysOutOfTheProject)
{
    UseProject(files_.file("gone"));
    ui.AnswerBox(IDOK);
    AnswerName(QStringLiteral("a.cgi"));
    Frame().SendCommand(57600);
    ASSERT_EQ(ui.Boxes().size(), 1u);
    EXPECT_EQ(ui.Boxes()[0].caption, "Error");
    EXPECT_EQ(ui.Boxes()[0].Utf8Text(), "「a.cgi」を作成できません。\n指定されたファイルが見つかりません。");
    EXPECT_TRUE(project.added.empty());
    EXPECT_FALSE(std::filesystem::exists(files_.file("gone")));
}

TEST_F(AppCommandsTest, OpenAsksForACgiFileAndReopeningActivatesItsWindow)
{
    const std::string first = files_.write("first.cgi", "#!/usr/bin/perl\nprint \"1\";\n");
    const std::string second = files_.write("second.pl", "print \"2\";\n");

    CDocument* document = OpenFile(first);
    ASSERT_NE(document, nullptr);
    ASSERT_EQ(ui.FileDialogs().size(), 1u);
    const FileDialogRequest& request = ui.FileDialogs()[0];
    EXPECT_EQ(request.kind, FileDialogKind::Open);
    EXPECT_EQ(request.owner, &Frame());
    EXPECT_EQ(sjis::ToUtf8(request.title), "ファイルを開く");
    EXPECT_EQ(request.filter, "CGI File (*.cgi;*.pl)|*.cgi;*.pl|TEXT File (*.txt;*.rtf)|*.txt;*.rtf||");
    EXPECT_EQ(request.defaultExtension, "");
    EXPECT_EQ(request.flags, 0x0Eu);
    EXPECT_EQ(document->GetPathName(), first);
    EXPECT_EQ(ActiveTitle(), QStringLiteral("first.cgi"));
    EXPECT_EQ(Frame().CurrentMenu(), 129u);

    OpenFile(second);
    EXPECT_EQ(ActiveTitle(), QStringLiteral("second.pl"));
    EXPECT_EQ(OpenFile(first), document);
    EXPECT_EQ(OpenDocuments(), 2u);
    EXPECT_EQ(ActiveTitle(), QStringLiteral("first.cgi"));

    // Cancelling the dialog opens nothing.
    ui.AnswerFile(std::nullopt);
    Frame().SendCommand(57601);
    EXPECT_EQ(OpenDocuments(), 2u);
    EXPECT_TRUE(ui.Boxes().empty());
}

TEST_F(AppCommandsTest, RecentFilesAreKeptInTheHiveAndListedInBothMenus)
{
    const std::string a = files_.write("a.cgi", "print 1;\n");
    const std::string b = files_.write("b.cgi", "print 2;\n");
    EXPECT_EQ(RecentItems(128), Lines({"最近使ったﾌｧｲﾙ"}));

    OpenFile(a);
    OpenFile(b);
    const char* key = CRecentFileList::kKeyPath;
    EXPECT_STORED(key, "File1", REG_SZ, b + '\0');
    EXPECT_STORED(key, "File2", REG_SZ, a + '\0');
    EXPECT_STORED(key, "File3", REG_SZ, "\0"s);
    EXPECT_STORED(key, "File4", REG_SZ, "\0"s);
    const QStringList expected{QStringLiteral("&1 ") + QString::fromStdString(b),
                               QStringLiteral("&2 ") + QString::fromStdString(a)};
    EXPECT_EQ(RecentItems(128), expected);
    EXPECT_EQ(RecentItems(129), expected);
    // The items sit where the placeholder was, between two separators.
    QMenu* file = CMenuBuilder::FindPopup(Frame().MenuBar(129), 57616);
    const QList<QAction*> actions = file->actions();
    const qsizetype at = actions.indexOf(CMenuBuilder::FindAction(Frame().MenuBar(129), 57616));
    EXPECT_TRUE(actions[at - 1]->isSeparator());
    EXPECT_TRUE(actions[at + 2]->isSeparator());
    EXPECT_EQ(CMenuBuilder::CommandId(actions[at + 3]), 57665u);

    // The next run finds the list again; choosing an entry opens it and
    // moves it to the top.
    Restart();
    EXPECT_EQ(RecentItems(128), expected);
    EXPECT_TRUE(ItemEnabled(128, 57617));
    CMenuBuilder::FindAction(Frame().MenuBar(128), 57617)->trigger();
    QApplication::processEvents();
    ASSERT_NE(ActiveDocument(), nullptr);
    EXPECT_EQ(ActiveDocument()->GetPathName(), a);
    EXPECT_EQ(RecentItems(129), (QStringList{QStringLiteral("&1 ") + QString::fromStdString(a),
                                             QStringLiteral("&2 ") + QString::fromStdString(b)}));
    EXPECT_STORED(key, "File1", REG_SZ, a + '\0');
}

TEST_F(AppCommandsTest, RecentFileListKeepsFourAndDropsAFileThatIsGone)
{
    std::vector<std::string> paths;
    for (const char* name : {"1.cgi", "2.cgi", "3.cgi", "4.cgi", "5.cgi"})
        paths.push_back(files_.write(name, "print 1;\n"));
    for (const std::string& path : paths)
        OpenFile(path);
    EXPECT_EQ(RecentItems(129).size(), 4);
    EXPECT_EQ(App().RecentFiles().Entries(),
              (std::vector<std::string>{paths[4], paths[3], paths[2], paths[1]}));

    // A file deleted since: the document says it cannot be opened, and the
    // entry leaves the list and the hive.
    Template().CloseAllDocuments();
    std::filesystem::remove(paths[3]);
    ui.AnswerBox(IDOK);
    Frame().SendCommand(57617);
    QApplication::processEvents();
    ASSERT_EQ(ui.Boxes().size(), 1u);
    EXPECT_EQ(ui.Boxes()[0].caption, "Error");
    EXPECT_EQ(App().RecentFiles().Entries(), (std::vector<std::string>{paths[4], paths[2], paths[1]}));
    EXPECT_EQ(RecentItems(129).size(), 3);
    EXPECT_STORED(CRecentFileList::kKeyPath, "File4", REG_SZ, "\0"s);
}

TEST_F(AppCommandsTest, ExitWithUnsavedChangesAsksAndCancelKeepsTheProgramRunning)
{
    Frame().SendCommand(57600);
    auto* editor = dynamic_cast<CKESTRIX_2View*>(ActiveView());
    ASSERT_NE(editor, nullptr);
    QTest::keyClicks(editor, QStringLiteral("print 1;"));
    ASSERT_TRUE(ActiveDocument()->IsModified());

    ui.AnswerBox(IDCANCEL);
    EXPECT_TRUE(Frame().SendCommand(57665));
    ASSERT_EQ(ui.Boxes().size(), 1u);
    EXPECT_EQ(ui.Boxes()[0].Utf8Text(), "KESTRI1 への変更を保存しますか?");
    EXPECT_EQ(ui.Boxes()[0].buttons, MB_YESNOCANCEL);
    EXPECT_TRUE(Frame().isVisible());
    EXPECT_EQ(OpenDocuments(), 1u);

    // Closing the frame itself asks the same.
    ui.AnswerBox(IDCANCEL);
    EXPECT_FALSE(Frame().close());
    EXPECT_EQ(ui.Boxes().size(), 2u);
    EXPECT_TRUE(Frame().isVisible());

    ui.AnswerBox(IDNO);
    Frame().SendCommand(57665);
    EXPECT_EQ(ui.Boxes().size(), 3u);
    EXPECT_FALSE(Frame().isVisible());
    EXPECT_EQ(OpenDocuments(), 0u);
}

TEST_F(AppCommandsTest, ExitWithoutChangesAsksNothing)
{
    Frame().SendCommand(57600);
    Frame().SendCommand(57665);
    EXPECT_FALSE(Frame().isVisible());
    EXPECT_TRUE(ui.Boxes().empty());
}

TEST_F(AppCommandsTest, SettingsOkMakesEachPartReadItsSettingsThenSetsTheTipSwitch)
{
    std::vector<std::string> log;
    FakeProject tree(&log);
    FakeReader ftp("ftp", log, App().Colorizer());
    FakeReader debug("debug", log, App().Colorizer());
    FakeReader syntax("syntax", log, App().Colorizer());
    App().SetProjectHost(&tree);
    App().SetSettingsReaders(&ftp, &debug, &syntax);
    ASSERT_EQ(App().Colorizer().TipSwitch(), 1) << "no TIP_Flag stored: the switch starts on";

    // Cancel: nobody reads anything.
    WhenDialog<CSettingDlg>([](CSettingDlg& dialog) { Press(dialog, IDCANCEL); });
    EXPECT_TRUE(Frame().SendCommand(32781));
    EXPECT_TRUE(log.empty());

    // OK with the tips switched off (the dialog opens with them on, as the
    // editor has them without stored settings).
    ui.AnswerBox(IDOK);
    QWidget* parent = nullptr;
    WhenDialog<CSettingDlg>([&parent](CSettingDlg& dialog) {
        parent = dialog.parentWidget();
        QCheckBox* tips = dialog.findChild<QCheckBox*>(QStringLiteral("1028"));
        EXPECT_TRUE(tips->isChecked());
        tips->setChecked(false);
        Press(dialog, IDOK);
    });
    Frame().SendCommand(32781);
    EXPECT_EQ(parent, &Frame());
    ASSERT_EQ(ui.Boxes().size(), 1u);
    EXPECT_EQ(ui.Boxes()[0].Utf8Text(), "設定を保存しました");
    EXPECT_EQ(log, (std::vector<std::string>{"ftp", "project", "debug", "syntax"}));
    EXPECT_EQ(syntax.tipSwitchSeen, 1) << "the switch is set after the parts have read";
    EXPECT_EQ(App().Colorizer().TipSwitch(), 0);

    ui.AnswerBox(IDOK);
    WhenDialog<CSettingDlg>([](CSettingDlg& dialog) {
        dialog.findChild<QCheckBox*>(QStringLiteral("1028"))->setChecked(true);
        Press(dialog, IDOK);
    });
    Frame().SendCommand(32781);
    EXPECT_EQ(log.size(), 8u);
    EXPECT_EQ(App().Colorizer().TipSwitch(), 1);

    App().SetProjectHost(nullptr);
    App().SetSettingsReaders(nullptr, nullptr, nullptr);
}

// The colour and point size of the character at a position of an editor.
std::pair<COLORREF, LONG> FormatAt(CKESTRIX_2View* view, long pos)
{
    view->SetSel(pos, pos + 1);
    const CharFormat format = view->GetCharFormat();
    view->SetSel(0, 0);
    return {(format.effects & CFE_AUTOCOLOR) ? 0 : format.color, format.heightTwips};
}

TEST_F(AppCommandsTest, SettingsOkAppliesToTheOpenScriptsAndUnchangedChangesNothing)
{
    files_.write("s.cgi", "print 1;\t# note\n");
    CDocument* document = OpenFile(files_.file("s.cgi"));
    auto* view = dynamic_cast<CKESTRIX_2View*>(ActiveView());
    ASSERT_NE(view, nullptr);
    const long print = view->FindText(FR_DOWN, 0, -1, "print");
    const long note = view->FindText(FR_DOWN, 0, -1, "#");
    const auto printBefore = FormatAt(view, print);
    const auto noteBefore = FormatAt(view, note);
    EXPECT_EQ(printBefore, std::make_pair(COLORREF(0x00FF0000), LONG(200)));
    EXPECT_EQ(noteBefore, std::make_pair(COLORREF(0x0000FF00), LONG(200)));
    // A tab is 8 half-width characters of the editor font.
    const double tab = view->tabStopDistance();
    auto expectTabOfEightSpaces = [&](double points) {
        QFont font(sjis::ToUnicode(view->EditorFormat().face));
        font.setPointSizeF(points);
        EXPECT_DOUBLE_EQ(view->tabStopDistance(), 8 * QFontMetricsF(font, view).horizontalAdvance(u' '));
    };
    expectTabOfEightSpaces(10);

    // OK on the untouched dialog changes nothing in the editor.
    ui.AnswerBox(IDOK);
    WhenDialog<CSettingDlg>([](CSettingDlg& dialog) { Press(dialog, IDOK); });
    Frame().SendCommand(32781);
    EXPECT_EQ(FormatAt(view, print), printBefore);
    EXPECT_EQ(FormatAt(view, note), noteBefore);
    EXPECT_DOUBLE_EQ(view->tabStopDistance(), tab);
    EXPECT_EQ(App().Colorizer().TipSwitch(), 1);

    // A new size and comment colour reach the open script at once; its
    // text and modified mark stay.
    view->SetSel(view->GetTextLength(), view->GetTextLength());
    Type(view, "x");
    ui.AnswerBox(IDOK);
    ui.AnswerColor(0x00123456);
    WhenDialog<CSettingDlg>([](CSettingDlg& dialog) {
        dialog.findChild<QComboBox*>(QStringLiteral("1025"))->setEditText("20");
        QTest::mouseClick(dialog.findChild<QWidget*>(QStringLiteral("1033")), Qt::LeftButton);
        Press(dialog, IDOK);
    });
    Frame().SendCommand(32781);
    EXPECT_EQ(view->GetTextRange(0, -1), "print 1;\t# notex");
    EXPECT_TRUE(document->IsModified());
    EXPECT_EQ(FormatAt(view, print), std::make_pair(COLORREF(0x00FF0000), LONG(400)));
    EXPECT_EQ(FormatAt(view, note), std::make_pair(COLORREF(0x00123456), LONG(400)));
    expectTabOfEightSpaces(20);
    EXPECT_GT(view->tabStopDistance(), tab);
}

TEST_F(AppCommandsTest, VersionDialogShowsItsPictureAndClosesWithOk)
{
    bool shown = false;
    WhenDialog<CAboutDlg>([&shown](CAboutDlg& dialog) {
        shown = true;
        EXPECT_EQ(dialog.windowTitle(), Q("KESTRIX_2のﾊﾞｰｼﾞｮﾝ情報"));
        EXPECT_EQ(dialog.objectName(), QStringLiteral("100"));
        const QPixmap picture = dialog.Picture()->pixmap();
        EXPECT_EQ(picture.size(), QSize(200, 80));
        // Painted, not blank: the picture holds more than one colour.
        const QImage image = picture.toImage();
        EXPECT_NE(image.pixel(2, 2), image.pixel(38, 40));
        Press(dialog, IDOK);
    });
    EXPECT_TRUE(Frame().SendCommand(57664));
    EXPECT_TRUE(shown);
}

TEST_F(AppCommandsTest, HelpShowsTheManualForTheFrame)
{
    EXPECT_TRUE(Frame().SendCommand(32795));
    EXPECT_TRUE(ui.Boxes().empty());
    ASSERT_NE(App().Help().Window(), nullptr);
    EXPECT_TRUE(App().Help().Window()->isVisible());
    EXPECT_EQ(App().Help().Owner(), &Frame());
}

TEST_F(AppCommandsTest, ProjectCommandsGoToTheProjectWithItsStates)
{
    App().SetProjectHost(&project);
    EXPECT_FALSE(ItemEnabled(128, 32789));
    EXPECT_FALSE(ItemEnabled(128, 32779));
    project.modified = true;
    EXPECT_TRUE(ItemEnabled(128, 32789));
    project.named = true;
    EXPECT_TRUE(ItemEnabled(128, 32779));

    for (UINT id : {32771u, 32778u, 32789u, 32779u})
        CMenuBuilder::FindAction(Frame().MenuBar(128), id)->trigger();
    EXPECT_EQ(project.calls, (std::vector<std::string>{"open", "new", "save", "close"}));
    App().SetProjectHost(nullptr);
}

TEST(AppStartup, UnreadableSettingsFileIsReportedOnceInAnErrorBox)
{
    OwnHive hive;
    std::filesystem::create_directories(hive.config.file("kestrix"));
    hive.config.write("kestrix/registry.reg", "REGEDIT4\n\n[HKEY_CURRENT_USER\\software\\KESTRIX]\n");
    ScriptedUi ui;
    ui.AnswerBox(IDOK);
    {
        CKESTRIX_2App app;
        EXPECT_TRUE(StartIn(app, KESTRIX_BINARY_DIR));
    }
    ASSERT_EQ(ui.Boxes().size(), 1u);
    EXPECT_EQ(ui.Boxes()[0].caption, "Error");
    EXPECT_EQ(ui.Boxes()[0].Utf8Text().rfind(
                  "設定ファイル「" + hive.config.path() + "/kestrix/registry.reg」を読めませんでした", 0),
              0u)
        << ui.Boxes()[0].Utf8Text();
}

TEST_F(AppCommandsTest, PrinterSetUpOpensThePageDialogOnTheProgramsPrinter)
{
    EXPECT_TRUE(Frame().CommandState(57606).Enabled());
    ui.AnswerPrint(false);
    EXPECT_TRUE(Frame().SendCommand(57606));
    EXPECT_EQ(ui.PrintDialogs(), std::vector<std::string>{"setup"});
}

} // namespace
