// The previous versions of a script as the user meets them: every save keeps
// what it replaced; the file menu's command lists the versions newest first
// with their times and sizes, shows the difference to the text as it stands,
// opens a version as a new document or restores it into the script, which
// the user then saves the usual way.
#include "AppFixture.h"

#include "app/CVersionsDlg.h"
#include "app/builders/CMenuResources.h"
#include "app/settings/CSettingDlg.h"
#include "editor/CDocVersions.h"
#include "editor/CKESTRIX_2Doc.h"
#include "editor/CKESTRIX_2View.h"
#include "platform/recovery/VersionStore.h"
#include "platform/registry/SettingsStore.h"

#include <QLineEdit>

#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTreeWidget>

namespace {

using namespace apptest;

// The script as first written, and the lines typed at its start before each
// of two saves.
const char* const kFirst = "#!/usr/bin/perl\r\nprint \"漢字 ｶﾀｶﾅ\";\r\n";
const char* const kSecond = "# 二 ﾆ\r\n#!/usr/bin/perl\r\nprint \"漢字 ｶﾀｶﾅ\";\r\n";
const char* const kThird = "# 三\r\n# 二 ﾆ\r\n#!/usr/bin/perl\r\nprint \"漢字 ｶﾀｶﾅ\";\r\n";

class VersionsFlow : public AppFixture {
protected:
    CKESTRIX_2View* View() const { return dynamic_cast<CKESTRIX_2View*>(ActiveView()); }
    CKESTRIX_2Doc* Doc() const { return dynamic_cast<CKESTRIX_2Doc*>(ActiveDocument()); }

    // Types a line at the start of the active script.
    void TypeLine(const char* utf8)
    {
        View()->SetSel(0, 0);
        Type(View(), Q(utf8));
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, "\r");
        QApplication::sendEvent(View(), &enter);
    }
    // A script saved twice after typing: two versions, kFirst the oldest.
    std::string ScriptSavedTwice()
    {
        const std::string script = files_.write("twice.cgi", J(kFirst));
        EXPECT_TRUE(OpenFile(script));
        TypeLine("# 二 ﾆ");
        EXPECT_TRUE(Frame().SendCommand(cmd::kFileSave));
        TypeLine("# 三");
        EXPECT_TRUE(Frame().SendCommand(cmd::kFileSave));
        EXPECT_EQ(ReadFileBytes(script), J(kThird));
        return script;
    }
    // Opens the versions dialog and hands it to act, which must close it.
    template <typename Act> void WithVersions(Act act)
    {
        WhenDialog<CVersionsDlg>(act);
        ASSERT_TRUE(Frame().SendCommand(cmd::kFileVersions));
    }
    static QStringList Shown(const QPlainTextEdit* edit) { return edit->toPlainText().split(QChar('\n')); }
    // A line's background; transparent when it has none.
    static QColor Background(const QPlainTextEdit* edit, int line)
    {
        const QBrush brush = edit->document()->findBlockByNumber(line).blockFormat().background();
        return brush.style() == Qt::NoBrush ? QColor(Qt::transparent) : brush.color();
    }

    TempDir state_{"kestrix-versions-state"};
    ScopedEnv stateEnv_{"XDG_STATE_HOME", state_.path()};
};

TEST_F(VersionsFlow, TheCommandIsForASavedScriptOnly)
{
    EXPECT_FALSE(
        CMenuBuilder::FindAction(Frame().MenuBar(CMenuResources::kNoDocumentMenu), cmd::kFileVersions));
    Frame().SendCommand(cmd::kFileNew);
    EXPECT_FALSE(ItemEnabled(CMenuResources::kDocumentMenu, cmd::kFileVersions)) << "never saved";
    const std::string script = files_.write("fresh.cgi", J(kFirst));
    ASSERT_TRUE(OpenFile(script));
    EXPECT_TRUE(ItemEnabled(CMenuResources::kDocumentMenu, cmd::kFileVersions));
    // Opened but not saved since: nothing kept yet, and the user is told so.
    ui.AnswerBox(IDOK);
    ASSERT_TRUE(Frame().SendCommand(cmd::kFileVersions));
    ASSERT_EQ(ui.Boxes().size(), 1u);
    EXPECT_EQ(ui.Boxes()[0].Utf8Text(), "「fresh.cgi」には以前の版がありません。\n"
                                        "以前の版は、上書き保存のたびに、保存する前の内容が残されます。");
}

TEST_F(VersionsFlow, TheVersionsAreListedNewestFirstWithTheDifferenceToTheTextAsItStands)
{
    ScriptSavedTwice();
    TypeLine("# 未保存");
    WithVersions([&](CVersionsDlg& dialog) {
        QTreeWidget* list = dialog.List();
        ASSERT_EQ(list->topLevelItemCount(), 2);
        EXPECT_EQ(list->topLevelItem(0)->text(1), Q("45 バイト")) << "kSecond's bytes";
        EXPECT_EQ(list->topLevelItem(1)->text(1), Q("37 バイト")) << "kFirst's bytes";
        EXPECT_TRUE(QRegularExpression("^\\d{4}/\\d\\d/\\d\\d \\d\\d:\\d\\d:\\d\\d$")
                        .match(list->topLevelItem(0)->text(0))
                        .hasMatch())
            << list->topLevelItem(0)->text(0).toStdString();
        EXPECT_GE(list->topLevelItem(0)->text(0), list->topLevelItem(1)->text(0));

        // The newest is selected: it lacks the two lines typed since.
        EXPECT_EQ(list->currentItem(), list->topLevelItem(0));
        EXPECT_EQ(Shown(dialog.Difference()),
                  Lines({"          1 + # 未保存", "          2 + # 三", "    1     3   # 二 ﾆ",
                         "    2     4   #!/usr/bin/perl", "    3     5   print \"漢字 ｶﾀｶﾅ\";"}));
        EXPECT_EQ(Background(dialog.Difference(), 0), QColor(0xdd, 0xf4, 0xdd));
        EXPECT_EQ(Background(dialog.Difference(), 2), QColor(Qt::transparent));

        list->setCurrentItem(list->topLevelItem(1));
        EXPECT_EQ(Shown(dialog.Difference()).mid(0, 4),
                  Lines({"          1 + # 未保存", "          2 + # 三", "          3 + # 二 ﾆ",
                         "    1     4   #!/usr/bin/perl"}));
        dialog.reject();
    });
    EXPECT_TRUE(ui.Boxes().empty());
}

TEST_F(VersionsFlow, AVersionOpenedAsANewDocumentLeavesTheScriptAlone)
{
    const std::string script = ScriptSavedTwice();
    CKESTRIX_2Doc* scriptDoc = Doc();
    WithVersions([&](CVersionsDlg& dialog) {
        dialog.List()->setCurrentItem(dialog.List()->topLevelItem(1));
        Press(dialog, CVersionsDlg::kOpenAsNew);
    });
    ASSERT_EQ(OpenDocuments(), 2u);
    CKESTRIX_2Doc* copy = Doc();
    ASSERT_NE(copy, scriptDoc);
    EXPECT_TRUE(copy->GetPathName().empty());
    EXPECT_TRUE(copy->StoredPath().empty()) << "untitled: a save asks for a name";
    EXPECT_TRUE(copy->IsModified());
    EXPECT_EQ(copy->GetTitle().substr(0, 6), "KESTRI");
    EXPECT_EQ(View()->GetTextRange(0, -1), J("#!/usr/bin/perl\rprint \"漢字 ｶﾀｶﾅ\";"));
    EXPECT_FALSE(scriptDoc->IsModified());
    EXPECT_EQ(ReadFileBytes(script), J(kThird));
    // Closed without saving: the new document asks, as any does.
    ui.AnswerBox(IDNO);
    Frame().SendCommand(cmd::kFileClose);
    EXPECT_EQ(OpenDocuments(), 1u);
}

TEST_F(VersionsFlow, ARestoredVersionIsSavedByteForByteAndTheSaveKeepsWhatItReplaced)
{
    const std::string script = ScriptSavedTwice();
    TypeLine("# 未保存");
    // Unsaved changes would be lost: the user is asked first, and no keeps
    // everything as it was.
    ui.AnswerBox(IDNO);
    WithVersions([&](CVersionsDlg& dialog) {
        dialog.List()->setCurrentItem(dialog.List()->topLevelItem(1));
        Press(dialog, CVersionsDlg::kRestore);
        EXPECT_TRUE(dialog.isVisible());
        ui.AnswerBox(IDYES);
        Press(dialog, CVersionsDlg::kRestore);
    });
    ASSERT_EQ(ui.Boxes().size(), 2u);
    EXPECT_EQ(
        ui.Boxes()[1].Utf8Text(),
        "「twice.cgi」には保存されていない変更があります。この版に戻すと、その変更は失われます。戻しますか?");
    ASSERT_EQ(OpenDocuments(), 1u);
    EXPECT_EQ(Doc()->GetPathName(), script);
    EXPECT_TRUE(Doc()->IsModified());
    EXPECT_EQ(View()->GetTextRange(0, -1), J("#!/usr/bin/perl\rprint \"漢字 ｶﾀｶﾅ\";"));
    EXPECT_EQ(ReadFileBytes(script), J(kThird)) << "nothing written before the user saves";

    // What was typed before is no edit of the restored text: undo has
    // nothing to take back.
    EXPECT_FALSE(ItemEnabled(CMenuResources::kDocumentMenu, cmd::kEditUndo));
    Frame().SendCommand(cmd::kEditUndo);
    EXPECT_EQ(View()->GetTextRange(0, -1), J("#!/usr/bin/perl\rprint \"漢字 ｶﾀｶﾅ\";"));

    ASSERT_TRUE(Frame().SendCommand(cmd::kFileSave));
    EXPECT_EQ(ReadFileBytes(script), J(kFirst));
    const auto versions = CDocVersions::Store()->List(script);
    ASSERT_EQ(versions.size(), 3u);
    std::string newest;
    ASSERT_TRUE(VersionStore::Read(versions[0], newest));
    EXPECT_EQ(newest, J(kThird)) << "the save kept the text it replaced";
}

TEST_F(VersionsFlow, AVersionTooLargeToEditIsRefusedAndTheTextStaysAsItWas)
{
    const std::string script = ScriptSavedTwice();
    TypeLine("# 未保存");
    const std::string before = View()->GetTextRange(0, -1);
    // An RTF stream is read before its length is known.
    ASSERT_EQ(CDocVersions::Store()->Keep(script, "{\\rtf1 " + std::string(1100000, 'x') + "}"), 0);
    ui.AnswerBox(IDYES); // the unsaved changes would go
    ui.AnswerBox(IDOK);  // too large
    WithVersions([&](CVersionsDlg& dialog) {
        Press(dialog, CVersionsDlg::kRestore);
        EXPECT_TRUE(dialog.isVisible());
        dialog.reject();
    });
    ASSERT_EQ(ui.Boxes().size(), 2u);
    EXPECT_NE(ui.Boxes()[1].Utf8Text().find("ファイルが大きすぎるため開けません"), std::string::npos);
    EXPECT_EQ(View()->GetTextRange(0, -1), before);
    EXPECT_TRUE(Doc()->IsModified());
    EXPECT_EQ(Doc()->GetPathName(), script);
    ASSERT_TRUE(Frame().SendCommand(cmd::kFileSave));
    EXPECT_EQ(ReadFileBytes(script), J("# 未保存\r\n") + J(kThird));
}

TEST_F(VersionsFlow, AnRtfDocumentShowsItsTextAndComesBackAsRtf)
{
    const std::string rtf = "{\\rtf1\\ansi\\ansicpg932{\\fonttbl{\\f0\\fcharset128 MS Gothic;}}"
                            "\\f0 first \\'8a\\'bf\\par second}";
    const std::string script = files_.write("doc.rtf", rtf);
    ASSERT_TRUE(OpenFile(script));
    ASSERT_TRUE(Doc()->IsRtf());
    TypeLine("added");
    ASSERT_TRUE(Frame().SendCommand(cmd::kFileSave));
    const std::string saved = ReadFileBytes(script);
    WithVersions([&](CVersionsDlg& dialog) {
        EXPECT_EQ(Shown(dialog.Difference()),
                  Lines({"          1 + added", "    1     2   first 漢", "    2     3   second"}));
        Press(dialog, CVersionsDlg::kRestore);
    });
    EXPECT_TRUE(Doc()->IsRtf());
    EXPECT_EQ(View()->GetTextRange(0, -1), J("first 漢\rsecond"));
    ASSERT_TRUE(Frame().SendCommand(cmd::kFileSave));
    EXPECT_EQ(ReadFileBytes(script).substr(0, 5), "{\\rtf");
    std::string newest;
    ASSERT_TRUE(VersionStore::Read(CDocVersions::Store()->List(script)[0], newest));
    EXPECT_EQ(newest, saved);
}

TEST_F(VersionsFlow, NewLimitsInTheSettingsAreCheckedStoredAndTrimTheStoreAtOnce)
{
    const std::string script = ScriptSavedTwice();
    ASSERT_EQ(CDocVersions::Store()->List(script).size(), 2u);

    // Not a whole number in range: the user is told, the dialog stays open
    // with everything as typed, and nothing is written.
    ui.AnswerBox(IDOK);
    ui.AnswerBox(IDOK);
    ui.AnswerBox(IDOK);
    WhenDialog<CSettingDlg>([&](CSettingDlg& dialog) {
        auto* count = dialog.findChild<QLineEdit*>(QStringLiteral("1040"));
        auto* megabytes = dialog.findChild<QLineEdit*>(QStringLiteral("1041"));
        ASSERT_TRUE(count && megabytes);
        EXPECT_EQ(count->text(), Q("20"));
        EXPECT_EQ(megabytes->text(), Q("50"));
        count->setText(Q("1"));
        megabytes->setText(Q("-5"));
        Press(dialog, IDOK);
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(megabytes->text(), Q("-5"));
        EXPECT_EQ(count->text(), Q("1"));
        megabytes->setText(Q("１０"));
        Press(dialog, IDOK);
        EXPECT_TRUE(dialog.isVisible()) << "full-width digits are not taken";
        megabytes->setText(Q(" 10 "));
        Press(dialog, IDOK);
    });
    ASSERT_TRUE(Frame().SendCommand(cmd::kSettings));
    ASSERT_EQ(ui.Boxes().size(), 3u);
    EXPECT_EQ(ui.Boxes()[0].Utf8Text(),
              "「以前の版に使うディスク容量の上限（MB）」には 0 から 100000 までの整数を入力してください。");
    EXPECT_EQ(ui.Boxes()[1].Utf8Text(), ui.Boxes()[0].Utf8Text());
    EXPECT_EQ(ui.Boxes()[2].Utf8Text(), "設定を保存しました");
    const settings::VersionSettings stored = settings::LoadVersionSettings();
    EXPECT_EQ(stored.count, 1);
    EXPECT_EQ(stored.megabytes, 10);

    // Trimmed at once, the newest kept; the next save keeps one as well.
    const auto kept = CDocVersions::Store()->List(script);
    ASSERT_EQ(kept.size(), 1u);
    std::string bytes;
    ASSERT_TRUE(VersionStore::Read(kept[0], bytes));
    EXPECT_EQ(bytes, J(kSecond));
    TypeLine("# 四");
    ASSERT_TRUE(Frame().SendCommand(cmd::kFileSave));
    ASSERT_EQ(CDocVersions::Store()->List(script).size(), 1u);
    ASSERT_TRUE(VersionStore::Read(CDocVersions::Store()->List(script)[0], bytes));
    EXPECT_EQ(bytes, J(kThird));

    // And the next start takes the stored limits.
    Restart();
    EXPECT_EQ(CDocVersions::Store()->GetLimits().versionsPerFile, 1);
    EXPECT_EQ(CDocVersions::Store()->GetLimits().totalBytes, 10 << 20);
}

} // namespace
