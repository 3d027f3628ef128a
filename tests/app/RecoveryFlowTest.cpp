// Nothing lost: the program is killed (SIGKILL) in the middle of editing a
// Shift-JIS script with kanji and half-width katakana; on the next start the
// user is asked, restores, and the saved file holds every byte typed. The
// killed program is a copy of this test program running the child case
// below, started with the store's folder of the test.
#include "AppFixture.h"

#include "app/CRecoverySession.h"
#include "editor/CDocRecovery.h"
#include "editor/CKESTRIX_2Doc.h"
#include "editor/CKESTRIX_2View.h"
#include "platform/recovery/RecoveryStore.h"

#include <QProcess>
#include <QTest>
#include <csignal>
#include <cstdlib>

using namespace apptest;
namespace fs = std::filesystem;

namespace {

// The script on disk, and what the child types at its start.
const char* const kOriginal = "#!/usr/bin/perl\r\nprint \"漢字 ｶﾀｶﾅ\";\r\n";
const char* const kTyped = "# 変更 ﾃｽﾄ ｱｲｳ";
const char* const kAfterTyping = "# 変更 ﾃｽﾄ ｱｲｳ\r\n#!/usr/bin/perl\r\nprint \"漢字 ｶﾀｶﾅ\";\r\n";

bool HasRecord(const std::string& folder)
{
    std::error_code ec;
    for (const auto& session : fs::directory_iterator(folder, ec))
        for (const auto& e : fs::directory_iterator(session.path(), ec))
            if (e.path().extension() == ".kxr")
                return true;
    return false;
}

class RecoveryFlow : public ::testing::Test, protected OwnHive {
protected:
    // Runs the program in a child process on the script, has it type, waits
    // until its recovery file is written, and kills it.
    void EditAndKill(const std::string& script)
    {
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_STATE_HOME", QString::fromStdString(state_.path()));
        env.insert("KESTRIX_TEST_KEEP_STATE", "1");
        env.insert("KESTRIX_RECOVERY_SCRIPT", QString::fromStdString(script));
        child.setProcessEnvironment(env);
        child.setWorkingDirectory(KESTRIX_BINARY_DIR);
        child.start(QCoreApplication::applicationFilePath(),
                    {"--gtest_filter=RecoveryChild.*", "--gtest_also_run_disabled_tests"});
        ASSERT_TRUE(child.waitForStarted(10000));
        QByteArray out;
        while (!out.contains("ready") && child.waitForReadyRead(30000))
            out += child.readAllStandardOutput();
        ASSERT_TRUE(out.contains("ready")) << out.toStdString() << child.readAllStandardError().toStdString();
        ::kill(pid_t(child.processId()), SIGKILL);
        child.waitForFinished(10000);
        EXPECT_EQ(child.exitStatus(), QProcess::CrashExit);
    }
    std::unique_ptr<CKESTRIX_2App> Start()
    {
        auto app = std::make_unique<CKESTRIX_2App>();
        EXPECT_TRUE(StartIn(*app, KESTRIX_BINARY_DIR));
        return app;
    }

    TempDir state_{"kestrix-recovery-state"};
    ScopedEnv stateEnv_{"XDG_STATE_HOME", state_.path()};
    TempDir files_{"kestrix-recovery-files"};
};

} // namespace

// The killed copy: opens the script, types at its start, and once the
// recovery file is written says "ready" and runs on until killed.
TEST(RecoveryChild, DISABLED_EditsAScriptUntilKilled)
{
    const char* script = std::getenv("KESTRIX_RECOVERY_SCRIPT");
    ASSERT_TRUE(script);
    ScriptedUi ui;
    CDocRecovery::SetDelay(200);
    CKESTRIX_2App app;
    ASSERT_TRUE(app.InitInstance());
    CDocument* doc = app.DocTemplate().OpenDocumentFile(script);
    ASSERT_TRUE(doc);
    auto* view = dynamic_cast<CKESTRIX_2View*>(app.MainFrame()->ActiveView());
    ASSERT_TRUE(view);
    Type(view, Q(kTyped));
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, "\r");
    QApplication::sendEvent(view, &enter);
    for (int i = 0; i < 200 && !HasRecord(RecoveryStore::DefaultFolder()); ++i)
        QTest::qWait(50);
    std::printf("ready\n");
    std::fflush(stdout);
    for (;;) // the program running on, its text kept, when the end comes
        QTest::qWait(10);
}

TEST_F(RecoveryFlow, AScriptEditedWhenTheProgramWasKilledComesBackByteForByte)
{
    const std::string script = files_.write("kanji.cgi", J(kOriginal));
    EditAndKill(script);
    EXPECT_EQ(ReadFileBytes(script), J(kOriginal)) << "the original is untouched";

    ScriptedUi ui;
    ui.AnswerBox(IDYES);
    auto app = Start();
    ASSERT_EQ(ui.Boxes().size(), 1u);
    EXPECT_NE(ui.Boxes()[0].Utf8Text().find(script), std::string::npos);
    EXPECT_NE(ui.Boxes()[0].Utf8Text().find("保存されていない変更が残っています。復元しますか?"),
              std::string::npos);
    ASSERT_EQ(app->DocTemplate().Documents().size(), 1u);
    auto* doc = dynamic_cast<CKESTRIX_2Doc*>(app->DocTemplate().Documents()[0]);
    ASSERT_TRUE(doc);
    EXPECT_TRUE(doc->IsModified());
    EXPECT_EQ(doc->GetPathName(), script);
    EXPECT_EQ(ReadFileBytes(script), J(kOriginal)) << "nothing written before the user saves";

    ASSERT_TRUE(doc->DoFileSave());
    EXPECT_EQ(ReadFileBytes(script), J(kAfterTyping));
    app.reset();

    // Restored and saved: nothing is offered again.
    ScriptedUi quiet;
    app = Start();
    EXPECT_TRUE(quiet.Boxes().empty());
    EXPECT_TRUE(app->DocTemplate().Documents().empty());
}

TEST_F(RecoveryFlow, AFileChangedOnDiskSinceIsSaidSoFirstAndADiscardedTextIsGoneForGood)
{
    const std::string script = files_.write("changed.cgi", J(kOriginal));
    EditAndKill(script);
    files_.write("changed.cgi", J("print \"別の編集\";\r\n"));
    {
        ScriptedUi ui;
        ui.AnswerBox(IDYES);
        ui.AnswerBox(IDOK);
        auto app = Start();
        ASSERT_EQ(ui.Boxes().size(), 2u);
        EXPECT_NE(ui.Boxes()[1].Utf8Text().find("この変更の後にディスク上で変更されています"),
                  std::string::npos);
        ASSERT_EQ(app->DocTemplate().Documents().size(), 1u);
        EXPECT_TRUE(app->DocTemplate().Documents()[0]->IsModified());
        // Closed without saving on purpose: the text is gone.
        ui.AnswerBox(IDNO);
        EXPECT_TRUE(app->DocTemplate().SaveAllModified());
        app->DocTemplate().CloseAllDocuments();
    }
    EXPECT_EQ(ReadFileBytes(script), J("print \"別の編集\";\r\n"));

    EditAndKill(script);
    {
        ScriptedUi ui;
        ui.AnswerBox(IDNO);
        auto app = Start();
        EXPECT_EQ(ui.Boxes().size(), 1u);
        EXPECT_TRUE(app->DocTemplate().Documents().empty()) << "discarded";
    }
    ScriptedUi quiet;
    auto app = Start();
    EXPECT_TRUE(quiet.Boxes().empty());
}
