// Checking and debugging a script as the user does it from the program:
// the editor's syntax check, the questions in their order, the jump to a
// message's line, a path with a blank run from a temporary copy that goes
// away however the run ends, and a second check or run refused while one
// goes on.
#include "AppFixture.h"

#include "app/settings/CSettingDlg.h"
#include "editor/CKESTRIX_2View.h"
#include "platform/registry/SettingsStore.h"
#include "run/CDebugScreen.h"
#include "run/CSyntaxCheck.h"

#include <QElapsedTimer>
#include <QLineEdit>
#include <QTabWidget>
#include <QTest>
#include <csignal>
#include <fstream>
#include <sys/stat.h>

namespace {

using namespace apptest;

std::string TextOf(const CRichEditCtrl& control)
{
    std::string text = control.GetTextRange(0, -1);
    std::replace(text.begin(), text.end(), '\r', '\n');
    return text;
}

template <typename Condition> bool WaitUntil(Condition condition)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > 20000)
            return false;
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    }
    return true;
}

void TypeLine(QWidget* widget, const char* utf8)
{
    Type(widget, Q(utf8));
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    QApplication::sendEvent(widget, &enter);
}

class DebugRunTest : public AppFixture {
protected:
    void SetUp() override
    {
        settings::AppPaths paths;
        paths.perlApp = "/usr/bin/perl";
        ASSERT_EQ(settings::SaveAppPaths(paths), 0u);
        AppFixture::SetUp();
    }

    CSyntaxCheck& Check() { return *App().DebugBar().SyntaxCheck(); }
    CDebugScreen& Console() { return *App().DebugBar().DebugScreen(); }
    int CurrentTab() { return App().DebugBar().Tabs()->currentIndex(); }
    bool ConsoleShows(const std::string& text)
    {
        return WaitUntil([&] { return TextOf(Console()).find(text) != std::string::npos; });
    }
    std::vector<std::string> DebugFolders() const
    {
        std::vector<std::string> found;
        for (const auto& entry : std::filesystem::directory_iterator(tmp.path()))
            if (entry.path().filename().string().starts_with("kestrix-debug-"))
                found.push_back(entry.path().string());
        return found;
    }
    std::vector<std::string> BoxTexts() const
    {
        std::vector<std::string> texts;
        for (const auto& box : ui.Boxes()) {
            texts.push_back(box.Utf8Text());
            EXPECT_EQ(box.Utf8Caption(), "通知") << box.Utf8Text();
        }
        return texts;
    }
    // A project folder with a blank in its name, holding one script.
    std::string SiteWith(const std::string& script)
    {
        const std::string site = files_.file("my site");
        std::filesystem::create_directory(site);
        std::ofstream(site + "/a.cgi", std::ios::binary) << script;
        return site;
    }

    TempDir tmp{"kestrix-debugrun-tmp"};
    ScopedEnv tmpEnv{"TMPDIR", tmp.path()};
};

TEST_F(DebugRunTest, TheEditorsSyntaxCheckListsTheScriptThenTheDebuggerRunsIt)
{
    const std::string path = files_.write("a.cgi", "my $v = 5;\nprint \"v=$v\\n\";\n");
    CDocument* doc = OpenFile(path);
    ASSERT_NE(doc, nullptr);
    ui.AnswerBox(IDYES);
    ui.AnswerBox(IDYES);
    static_cast<CKESTRIX_2View*>(ActiveView())->RunPopupCommand(32791);
    EXPECT_EQ(BoxTexts(),
              (std::vector<std::string>{"構文チェックを行ないますか?", "デバッグを行ないますか?"}));
    EXPECT_EQ(TextOf(Check()), path + "\n syntax OK\n");
    EXPECT_EQ(CurrentTab(), CDebugBar::kDebugScreenTab);
    ASSERT_TRUE(Console().IsRunning());
    ASSERT_TRUE(ConsoleShows("DB<1>"));
    TypeLine(&Console(), "c");
    ASSERT_TRUE(ConsoleShows("Debugged program terminated."));
    TypeLine(&Console(), "q");
    ASSERT_TRUE(WaitUntil([&] { return !Console().IsRunning(); }));
    // The script's buffered output comes when perl ends, before the end.
    EXPECT_TRUE(TextOf(Console()).ends_with("v=5\nend debug")) << TextOf(Console());
    EXPECT_TRUE(DebugFolders().empty()) << "a path without blanks runs in place";
}

TEST_F(DebugRunTest, DoubleClickingAMessageOpensTheScriptWithThatLineAtTheTop)
{
    std::string script;
    for (int i = 1; i < 150; ++i)
        script += "my $v" + std::to_string(i) + " = " + std::to_string(i) + ";\n";
    script += "print \"a\"\n}\n";
    for (int i = 0; i < 100; ++i)
        script += "# more\n";
    const std::string path = files_.write("long.cgi", script);
    ui.AnswerBox(IDYES);
    ui.AnswerBox(IDNO);
    App().ExecuteFile("", path);
    EXPECT_EQ(CurrentTab(), CDebugBar::kSyntaxCheckTab);
    EXPECT_FALSE(Console().IsRunning());
    long messageLine = -1;
    for (long line = 1; line < Check().GetLineCount(); ++line)
        if (Check().GetLine(line).find("at  line 151") != std::string::npos)
            messageLine = line;
    ASSERT_GE(messageLine, 0) << TextOf(Check());
    EXPECT_EQ(OpenDocuments(), 0u);

    // A double-click on the first line, the path, does nothing.
    App().DebugBar().show();
    Check().resize(600, 200);
    QTest::mouseDClick(Check().viewport(), Qt::LeftButton, {}, Check().PosFromChar(2) + QPoint(2, 4));
    EXPECT_EQ(OpenDocuments(), 0u);

    QTest::mouseDClick(Check().viewport(), Qt::LeftButton, {},
                       Check().PosFromChar(Check().LineIndex(messageLine) + 3) + QPoint(2, 4));
    ASSERT_EQ(OpenDocuments(), 1u);
    auto* view = dynamic_cast<CKESTRIX_2View*>(ActiveView());
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->GetFirstVisibleLine(), 150) << "perl's line 151 is the view's line 150, at the top";
    long start = -1, end = -1;
    view->GetSel(start, end);
    EXPECT_EQ(start, 0) << "the caret stays where it was";

    // Scrolled elsewhere, the same double-click brings the line back.
    view->LineScroll(-100);
    QTest::mouseDClick(Check().viewport(), Qt::LeftButton, {},
                       Check().PosFromChar(Check().LineIndex(messageLine) + 3) + QPoint(2, 4));
    EXPECT_EQ(OpenDocuments(), 1u) << "the open script is brought forward, not opened twice";
    EXPECT_EQ(view->GetFirstVisibleLine(), 150);
}

TEST_F(DebugRunTest, APathWithABlankRunsFromACopyThatGoesWhenTheRunEnds)
{
    const std::string site = SiteWith("my $f = __FILE__;\nprint \"file=$f\\n\";\n");
    ui.AnswerBox(IDOK);
    ui.AnswerBox(IDYES);
    ui.AnswerBox(IDYES);
    ui.AnswerBox(IDYES);
    App().ExecuteFile(site, "a.cgi");
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{
                              "ファイルパスに空白文字が含まれています。",
                              "一時的にプロジェクトフォルダを新規作成・コピーし、デバッグを実行しますか？",
                              "構文チェックを行ないますか?", "デバッグを行ないますか?"}));
    // The list names the project's own file, and nothing of the copy.
    EXPECT_EQ(TextOf(Check()), site + "/a.cgi\n syntax OK\n");
    const std::vector<std::string> copies = DebugFolders();
    ASSERT_EQ(copies.size(), 1u);
    EXPECT_EQ(copies[0].find_first_of(" \t"), std::string::npos) << "the copy's path has no blank";
    ASSERT_TRUE(ConsoleShows("DB<1>"));
    TypeLine(&Console(), "c");
    ASSERT_TRUE(ConsoleShows("Debugged program terminated."));
    TypeLine(&Console(), "q");
    ASSERT_TRUE(WaitUntil([&] { return !Console().IsRunning(); }));
    EXPECT_NE(TextOf(Console()).find("file=" + copies[0] + "/a.cgi\n"), std::string::npos)
        << TextOf(Console());
    EXPECT_TRUE(DebugFolders().empty()) << "the copy is deleted at the run's end";
    EXPECT_TRUE(std::filesystem::exists(site + "/a.cgi")) << "the project itself stays";
}

TEST_F(DebugRunTest, AnsweringNoToBothQuestionsDeletesTheCopyAtOnce)
{
    const std::string site = SiteWith("print 1;\n");
    ui.AnswerBox(IDOK);
    ui.AnswerBox(IDYES);
    ui.AnswerBox(IDNO);
    ui.AnswerBox(IDNO);
    App().ExecuteFile(site, "a.cgi");
    EXPECT_EQ(ui.Boxes().size(), 4u);
    EXPECT_TRUE(DebugFolders().empty());
    EXPECT_FALSE(Console().IsRunning());
}

TEST_F(DebugRunTest, ACopyThatFailsIsToldAndNothingRuns)
{
    const std::string site = SiteWith("print 1;\n");
    // A named pipe cannot be copied.
    ASSERT_EQ(::mkfifo((site + "/pipe").c_str(), 0600), 0);
    ui.AnswerBox(IDOK);
    ui.AnswerBox(IDYES);
    ui.AnswerBox(IDOK);
    App().ExecuteFile(site, "a.cgi");
    EXPECT_EQ(BoxTexts().back(), "フォルダのコピーに失敗しました");
    EXPECT_EQ(ui.Boxes().size(), 3u);
    EXPECT_TRUE(DebugFolders().empty());
}

TEST_F(DebugRunTest, ASecondCheckOrRunWhileOneGoesOnIsRefused)
{
    const std::string slow =
        files_.write("slow.cgi", "BEGIN { select(undef, undef, undef, 0.6) }\nprint 1;\n");
    const std::string other = files_.write("other.cgi", "print 2;\n");
    ui.AnswerBox(IDYES);
    ui.AnswerBox(IDOK);
    ui.AnswerBox(IDNO);
    QTimer::singleShot(150, &Frame(), [&] { App().ExecuteFile("", other); });
    App().ExecuteFile("", slow);
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"構文チェックを行ないますか?",
                                                    "現在、他のファイルのデバッグが実行中です。",
                                                    "デバッグを行ないますか?"}));
    EXPECT_EQ(TextOf(Check()), slow + "\n syntax OK\n") << "the first check ran to its end";

    const std::string waiting = files_.write("wait.cgi", "sleep 100;\n");
    ui.AnswerBox(IDNO);
    ui.AnswerBox(IDYES);
    App().ExecuteFile("", waiting);
    ASSERT_TRUE(ConsoleShows("DB<1>"));
    ui.AnswerBox(IDOK);
    App().ExecuteFile("", other);
    EXPECT_EQ(BoxTexts().back(), "現在、他のファイルのデバッグが実行中です。");
    EXPECT_TRUE(Console().IsRunning()) << "the first run goes on";
    EXPECT_EQ(TextOf(Check()), slow + "\n syntax OK\n");
}

TEST_F(DebugRunTest, ClosingTheProgramDuringARunEndsTheScriptAndDeletesItsCopy)
{
    const std::string site = SiteWith("$| = 1;\nprint \"pid=$$\\n\";\nsleep 100;\n");
    ui.AnswerBox(IDOK);
    ui.AnswerBox(IDYES);
    ui.AnswerBox(IDNO);
    ui.AnswerBox(IDYES);
    App().ExecuteFile(site, "a.cgi");
    ASSERT_TRUE(ConsoleShows("DB<1>"));
    TypeLine(&Console(), "c");
    ASSERT_TRUE(ConsoleShows("pid="));
    const std::string text = TextOf(Console());
    const pid_t pid = pid_t(std::stol(text.substr(text.find("pid=") + 4)));
    ASSERT_EQ(DebugFolders().size(), 1u);
    app_.reset();
    EXPECT_NE(::kill(pid, 0), 0) << "the script still runs";
    EXPECT_TRUE(DebugFolders().empty());
}

TEST_F(DebugRunTest, PathsChangedInTheSettingsDialogAreUsedByTheNextCheckRunAndPreview)
{
    const std::string path = files_.write("a.cgi", "print 1;\n");
    ui.AnswerBox(IDOK);
    WhenDialog<CSettingDlg>([](CSettingDlg& dialog) {
        dialog.findChild<QLineEdit*>(QStringLiteral("1021"))->setText(QStringLiteral("/nonexistent/perl"));
        Press(dialog, IDOK);
    });
    Frame().SendCommand(32781);
    ASSERT_EQ(BoxTexts(), std::vector<std::string>{"設定を保存しました"});

    // The check and the console both use the new path.
    ui.AnswerBox(IDYES);
    ui.AnswerBox(IDOK);
    ui.AnswerBox(IDYES);
    ui.AnswerBox(IDOK);
    App().ExecuteFile("", path);
    ASSERT_EQ(ui.Boxes().size(), 5u);
    EXPECT_EQ(ui.Boxes()[2].caption, "Error");
    EXPECT_EQ(ui.Boxes()[2].text, SystemErrorText(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(ui.Boxes()[4].caption, "Error");
    EXPECT_FALSE(Console().IsRunning());

    // The project tree's "run the selected file" reaches the preview, which
    // has no server settings yet.
    ui.AnswerBox(IDOK);
    App().RunOnWebServer(files_.path(), "a.cgi");
    ASSERT_EQ(ui.Boxes().size(), 6u);
    EXPECT_EQ(ui.Boxes()[5].Utf8Text(), "Webサーバアプリケーション情報の設定が行なわれていません");
}

} // namespace
