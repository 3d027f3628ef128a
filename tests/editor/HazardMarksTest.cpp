// The Shift-JIS hazards in the editor: marked when the script opens and once
// an edit pauses, explained by a tooltip, fixed from the pop-up menu one at a
// time or all at once as one undoable edit; and a converted save that would
// lose characters or leave a wrong charset declaration asks first.
#include "EditorFixture.h"
#include "editor/CHazardMarks.h"

#include <QAction>
#include <QMenu>
#include <QProcess>
#include <QTextBlock>
#include <QToolTip>
#include <filesystem>

namespace {

using namespace editortest;
namespace fs = std::filesystem;

constexpr UINT kInsertEscape = 32800;
constexpr UINT kInsertAllEscapes = 32801;

QAction* ActionOf(QMenu* menu, UINT id)
{
    for (QAction* action : menu->actions())
        if (action->data().toUInt() == id)
            return action;
    return nullptr;
}

std::string RunPerl(const std::string& path)
{
    QProcess perl;
    perl.start("/usr/bin/perl", {QString::fromStdString(path)});
    perl.waitForFinished(30000);
    return perl.readAllStandardOutput().toStdString();
}

class HazardMarks : public EditorFixture {};

TEST_F(HazardMarks, OpeningAScriptMarksEachHazardWithAWavyUnderlineAndATooltip)
{
    const auto [doc, view] = OpenScript("marks.cgi", "#!/usr/bin/perl\nprint \"表示\";\nprint '申し込み';\n");
    ASSERT_NE(view, nullptr);
    const auto marks = view->extraSelections();
    ASSERT_EQ(marks.size(), 1);
    EXPECT_EQ(marks[0].cursor.selectedText(), QString::fromUtf8("表"));
    EXPECT_EQ(marks[0].format.underlineStyle(), QTextCharFormat::WaveUnderline);
    EXPECT_EQ(marks[0].format.underlineColor(), CHazardMarks::WarningColor());
    EXPECT_FALSE(doc->IsModified());

    const long at = Find(view, J("表"));
    const QPoint point = view->PosFromChar(at) + QPoint(3, view->fontMetrics().height() / 2);
    QHelpEvent help(QEvent::ToolTip, point, view->viewport()->mapToGlobal(point));
    QCoreApplication::sendEvent(view->viewport(), &help);
    EXPECT_TRUE(QToolTip::isVisible());
    EXPECT_NE(QToolTip::text().indexOf(QString::fromUtf8("「表」")), -1) << QToolTip::text().toStdString();
    EXPECT_NE(QToolTip::text().indexOf(QString::fromUtf8("ダブルクォート文字列")), -1);
}

TEST_F(HazardMarks, AnEditedLineIsMarkedOnceTypingPausesAndItsEscapeClearsTheMark)
{
    const auto [doc, view] = OpenScript("typed.cgi", "print \"ok\";\n");
    ASSERT_TRUE(view->extraSelections().isEmpty());
    Caret(view, Find(view, "ok"));
    Type(view, "能力");
    EXPECT_TRUE(view->HazardMarks().Pending()) << "the keystroke only starts the timer";
    QTest::qWait(CHazardMarks::kDelayMs + 200);
    ASSERT_EQ(view->extraSelections().size(), 1);
    EXPECT_EQ(view->extraSelections()[0].cursor.selectedText(), QString::fromUtf8("能"));
    Caret(view, Find(view, J("力")));
    Type(view, "\\");
    QTest::qWait(CHazardMarks::kDelayMs + 200);
    EXPECT_TRUE(view->extraSelections().isEmpty());
}

TEST_F(HazardMarks, ALongScriptCarriesMarksAroundTheScreenAndScrollingMovesThem)
{
    std::string script;
    for (int i = 0; i < 3000; ++i)
        script += "print \"" + std::to_string(i) + J(" 表示") + "\";\n";
    CKESTRIX_2Doc* doc = OpenBytes("long.cgi", script);
    CKESTRIX_2View* view = ViewOf(doc);
    ASSERT_EQ(view->HazardMarks().Hazards().size(), 3000u);
    const auto top = view->extraSelections();
    ASSERT_FALSE(top.isEmpty());
    EXPECT_LT(top.size(), 500);
    EXPECT_EQ(top.front().cursor.block().blockNumber(), 0);

    view->LineScroll(2990);
    const auto end = view->extraSelections();
    ASSERT_FALSE(end.isEmpty());
    EXPECT_LT(end.size(), 500);
    EXPECT_EQ(end.back().cursor.block().blockNumber(), 2999);
}

TEST_F(HazardMarks, ThePopupMenuInsertsOneEscapeAndUndoTakesItBack)
{
    // The view shows no empty line after the last line break.
    const char* script = "print \"表示\";\nprint \"十分\\n\";";
    const auto [doc, view] = OpenScript("one.cgi", script);
    Caret(view, Find(view, J("十")));
    std::unique_ptr<QMenu> menu(view->CreateEditMenu(view));
    ASSERT_NE(ActionOf(menu.get(), kInsertEscape), nullptr);
    EXPECT_TRUE(ActionOf(menu.get(), kInsertEscape)->isEnabled());
    EXPECT_TRUE(ActionOf(menu.get(), kInsertAllEscapes)->isEnabled());
    view->RunPopupCommand(kInsertEscape);
    EXPECT_EQ(Text(view), "print \"表示\";\nprint \"十\\分\\n\";");
    EXPECT_EQ(view->HazardMarks().Hazards().size(), 1u);
    EXPECT_TRUE(doc->IsModified());
    EXPECT_EQ(Undo(view), script);

    // Away from any hazard the item is greyed.
    Caret(view, 0);
    menu.reset(view->CreateEditMenu(view));
    EXPECT_FALSE(ActionOf(menu.get(), kInsertEscape)->isEnabled());
}

TEST_F(HazardMarks, InsertingAllEscapesIsOneEditAfterWhichPerlPrintsTheAuthorsText)
{
    const char* script = "#!/usr/bin/perl\nprint \"予定表\", \"\\n\";\nprint <<EOT;\n能力　x\nEOT\n"
                         "print 'ソ', \"\\n\" if 'ー' =~ /^ー$/;";
    const auto [doc, view] = OpenScript("all.cgi", script);
    ASSERT_EQ(view->HazardMarks().Hazards().size(), 6u);
    EXPECT_NE(RunPerl(dir_.file("all.cgi")), J("予定表\n能力　x\nソ\n"));
    view->RunPopupCommand(kInsertAllEscapes);
    EXPECT_TRUE(view->HazardMarks().Hazards().empty());
    EXPECT_TRUE(view->extraSelections().isEmpty());
    std::string fixed = view->GetTextRange(0, -1);
    std::replace(fixed.begin(), fixed.end(), '\r', '\n');
    EXPECT_EQ(RunPerl(dir_.write("fixed.cgi", fixed)), J("予定表\n能力　x\nソ\n"));
    EXPECT_EQ(Undo(view), script);
    QTest::qWait(CHazardMarks::kDelayMs + 200);
    EXPECT_EQ(view->HazardMarks().Hazards().size(), 6u);
}

TEST_F(HazardMarks, AConvertedSaveListsTheCharactersItWouldLoseByLineAndCanBeCancelled)
{
    const auto [doc, view] = OpenScript(
        "lose.cgi", "print \"Content-Type: text/html\\n\\n\";\nprint \"①番 ㈱山田\";\nprint \"髙橋\";\n");
    ui_.AnswerFile(dir_.file("lose.euc"));
    ui_.AnswerBox(IDNO);
    view->OnCommand(32784);
    ASSERT_EQ(ui_.Boxes().size(), 1u);
    const std::string box = U(ui_.Boxes()[0].text);
    EXPECT_NE(box.find("EUC-JP"), std::string::npos) << box;
    EXPECT_NE(box.find("2 行: ① ㈱\n3 行: 髙"), std::string::npos) << box;
    EXPECT_FALSE(fs::exists(dir_.file("lose.euc")));

    ui_.AnswerFile(dir_.file("lose.euc"));
    ui_.AnswerBox(IDYES);
    view->OnCommand(32784);
    EXPECT_TRUE(fs::exists(dir_.file("lose.euc")));
}

TEST_F(HazardMarks, AConvertedSaveOffersToRewriteACharsetDeclarationThatNoLongerFits)
{
    const auto [doc, view] =
        OpenScript("decl.cgi",
                   "print \"Content-Type: text/html; charset=Shift_JIS\\n\\n\";\nprint \"<p>日本語</p>\";\n");
    ui_.AnswerFile(dir_.file("keep.euc"));
    ui_.AnswerBox(IDNO);
    view->OnCommand(32784);
    ASSERT_EQ(ui_.Boxes().size(), 1u);
    EXPECT_NE(U(ui_.Boxes()[0].text).find("1 行 charset=Shift_JIS"), std::string::npos)
        << U(ui_.Boxes()[0].text);
    EXPECT_NE(ReadFileBytes(dir_.file("keep.euc")).find("charset=Shift_JIS"), std::string::npos);

    ui_.AnswerFile(dir_.file("changed.euc"));
    ui_.AnswerBox(IDYES);
    view->OnCommand(32784);
    const std::string changed = ReadFileBytes(dir_.file("changed.euc"));
    EXPECT_NE(changed.find("charset=EUC-JP"), std::string::npos) << changed;
    EXPECT_NE(changed.find("\xC6\xFC\xCB\xDC\xB8\xEC"), std::string::npos) << "日本語 in EUC-JP";

    ui_.AnswerFile(dir_.file("none.euc"));
    ui_.AnswerBox(IDCANCEL);
    view->OnCommand(32784);
    EXPECT_FALSE(fs::exists(dir_.file("none.euc")));
    // The script itself is untouched.
    EXPECT_NE(Text(view).find("charset=Shift_JIS"), std::string::npos);
}

} // namespace
