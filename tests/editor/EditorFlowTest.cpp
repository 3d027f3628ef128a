// The editor as a user meets it: a script opened through the document
// template, typed into key by key, pasted into, cut from and undone, with the
// colours, the command tips, the project tree's hooks and the undo state
// checked after each step.
#include "EditorFixture.h"

#include "editor/CEditUndoRecord.h"
#include "editor/CToolTipWindow.h"
#include "platform/registry/SettingsStore.h"
#include "platform/ui/CFaceSubstitution.h"

#include <QClipboard>
#include <QDropEvent>
#include <QFontInfo>
#include <QGuiApplication>
#include <QMimeData>

using namespace editortest;

namespace {

class EditorFlow : public EditorFixture {
protected:
    bool UndoEnabled(CKESTRIX_2View* view)
    {
        CCmdUI ui(57643);
        EXPECT_TRUE(view->OnUpdateCommand(ui));
        return ui.Enabled();
    }
};

const char* const kScript = "#!/usr/bin/perl\n"
                            "$s = \"日本語ｶﾀｶﾅ\"; print $s; # 表示する\n"
                            "my $x = 'ﾃﾞｰﾀ'; if ($x) { print; }\n"
                            "sub hello {\n"
                            "    return 1;\n"
                            "}\n";

TEST_F(EditorFlow, OpeningAScriptShowsItColouredAfterDoubleByteText)
{
    CKESTRIX_2Doc* doc = OpenBytes("hello.cgi", J(kScript));
    ASSERT_NE(doc, nullptr);
    CKESTRIX_2View* view = ViewOf(doc);
    EXPECT_EQ(Text(view), std::string(kScript).substr(0, std::string(kScript).size() - 1));
    EXPECT_EQ(U(view->GetParentFrame()->GetWindowText()), "hello.cgi");
    EXPECT_EQ(view->GetParentFrame()->geometry(), QRect(5, 5, 450, 300));
    EXPECT_FALSE(doc->IsModified());
    EXPECT_FALSE(doc->IsRtf());
    EXPECT_FALSE(UndoEnabled(view));
    EXPECT_EQ(view->GetLimitText(), CKESTRIX_2View::kTextLimit);
    EXPECT_EQ(view->lineWrapMode(), QPlainTextEdit::NoWrap);

    // Line 2: the command after kanji and half-width katakana, then the comment.
    const long print = Find(view, "print");
    EXPECT_EQ(ColorAt(view, print - 1), kAuto);
    for (long i = print; i < print + 5; ++i)
        EXPECT_EQ(ColorAt(view, i), kCommand) << i;
    EXPECT_EQ(ColorAt(view, print + 5), kAuto);
    const long hash = Find(view, "#", print);
    EXPECT_EQ(ColorAt(view, hash - 1), kAuto);
    EXPECT_EQ(ColorAt(view, hash), kComment);
    EXPECT_EQ(ColorAt(view, hash + 3), kComment) << "the comment's kanji";
    // Line 3: "my" and "if" and "print" after half-width katakana.
    const long line3 = view->LineIndex(2);
    EXPECT_EQ(ColorAt(view, line3), kCommand);
    const long print2 = Find(view, "print", line3);
    EXPECT_EQ(ColorAt(view, print2), kCommand);
    EXPECT_EQ(ColorAt(view, print2 - 1), kAuto);
    // The shebang line is never coloured.
    EXPECT_EQ(ColorAt(view, 0), kAuto);
}

TEST_F(EditorFlow, TheEditorFaceDrawsInAnInstalledJapaneseFamily)
{
    CKESTRIX_2Doc* doc = New();
    ASSERT_NE(doc, nullptr);
    CKESTRIX_2View* view = ViewOf(doc);
    EXPECT_EQ(U(view->EditorFormat().face), "ＭＳ　明朝");
    EXPECT_EQ(view->EditorFormat().heightTwips, 200);
    // The face is kept as the settings name it, and drawn by IPA Mincho.
    EXPECT_EQ(QFontInfo(view->font()).family(), "IPAMincho");
    EXPECT_EQ(U(view->GetCharFormat().face), "ＭＳ　明朝");
    EXPECT_EQ(CFaceSubstitution::InstalledFamilyFor(J("ＭＳ ゴシック")), "IPAGothic");
    EXPECT_EQ(CFaceSubstitution::InstalledFamilyFor(J("ＭＳ Ｐ明朝")), "IPAPMincho");
    EXPECT_EQ(CFaceSubstitution::InstalledFamilyFor("IPAGothic"), "IPAGothic");
    EXPECT_EQ(CFaceSubstitution::InstalledFamilyFor("No Such Face"), "");
    // Double-byte text in the coloured stream names "ＭＳ ゴシック".
    QFont gothic;
    gothic.setFamilies({QString::fromUtf8("ＭＳ ゴシック")});
    EXPECT_EQ(QFontInfo(gothic).family(), "IPAGothic");
}

TEST_F(EditorFlow, TheFontSettingsChooseTheFaceAndTheColours)
{
    settings::FontSettings font;
    font.face = J("ＭＳ ゴシック");
    font.charSet = 128;
    font.heightTwips = 240;
    font.commandColor = 0x000000FF;
    font.commentColor = 0x00808080;
    ASSERT_EQ(settings::SaveFontSettings(font), 0u);
    const auto [doc, view] = OpenScript("s.cgi", "print 1; # 注\n");
    EXPECT_EQ(view->CommandColor(), 0x000000FFu);
    EXPECT_EQ(ColorAt(view, 0), 0x000000FFu);
    EXPECT_EQ(ColorAt(view, Find(view, "#")), 0x00808080u);
    Caret(view, view->GetTextLength());
    Key(view, Qt::Key_Return);
    Type(view, "exit # x");
    EXPECT_EQ(ColorAt(view, view->LineIndex(1)), 0x000000FFu);
    EXPECT_EQ(ColorAt(view, Find(view, "# x")), 0x00808080u);
    view->SetSel(view->LineIndex(1), view->LineIndex(1) + 4);
    EXPECT_EQ(U(view->GetCharFormat().face), "ＭＳ ゴシック");
    EXPECT_EQ(view->GetCharFormat().heightTwips, 240);
    EXPECT_EQ(view->GetCharFormat().charSet, 128);
    CKESTRIX_2View* fresh = ViewOf(New());
    EXPECT_EQ(QFontInfo(fresh->font()).family(), "IPAGothic");
    EXPECT_EQ(fresh->font().pointSize(), 12);
}

TEST_F(EditorFlow, TypingACommandWordColoursItShowsItsTipAndTellsTheProjectTree)
{
    const auto [doc, view] = OpenScript("t.cgi", "$a = \"日本\"; \n");
    const long end = view->LineLength(0);
    Caret(view, end);
    Type(view, "prin");
    EXPECT_TRUE(tip_->tips.empty());
    EXPECT_EQ(ColorAt(view, end), kAuto);
    EXPECT_TRUE(doc->IsModified());
    Type(view, "t");
    EXPECT_EQ(Text(view), "$a = \"日本\"; print");
    for (long i = end; i < end + 5; ++i)
        EXPECT_EQ(ColorAt(view, i), kCommand) << i;
    ASSERT_EQ(tip_->tips.size(), 1u);
    EXPECT_EQ(tip_->tips[0], colorizer_.LookupCommand("print"));
    EXPECT_TRUE(tip_->shown);
    EXPECT_EQ(hooks_.rescans, 5);
    EXPECT_EQ(hooks_.lastRescanView, view);
    EXPECT_EQ(U(hooks_.lastRescanTitle), "t.cgi");
    // The typed word is in the editor's face; the caret stays after it.
    view->SetSel(end, end + 5);
    EXPECT_EQ(U(view->GetCharFormat().face), "ＭＳ　明朝");
    EXPECT_EQ(Sel(view), std::make_pair(end, end + 5));
    Caret(view, end + 5);
    // One more letter: no command any more, and the tip goes.
    Type(view, "x");
    EXPECT_FALSE(tip_->shown);
    EXPECT_EQ(ColorAt(view, end), kAuto);
    EXPECT_EQ(Sel(view), std::make_pair(end + 6, end + 6));
    // Undo takes the last letter back, and the command colour returns.
    EXPECT_EQ(Undo(view), "$a = \"日本\"; print");
    EXPECT_EQ(ColorAt(view, end), kCommand);
}

TEST_F(EditorFlow, TheCommandTipPopsUpUnderATypedCommand)
{
    auto owned = std::make_unique<CToolTipWindow>();
    CToolTipWindow* tip = owned.get();
    colorizer_.SetTipWindow(std::move(owned));
    tip_ = nullptr;
    ASSERT_TRUE(tip->Create(&area_));
    CKESTRIX_2Doc* doc = New();
    CKESTRIX_2View* view = ViewOf(doc);
    Type(view, "$x = 1;");
    Key(view, Qt::Key_Return);
    Type(view, "print");
    ASSERT_TRUE(tip->IsShown());
    const std::string tips = colorizer_.LookupCommand("print");
    EXPECT_EQ(tip->CurrentTip(), tips.substr(0, tips.find(':')));
    const QPoint word = view->viewport()->mapToGlobal(view->PosFromChar(view->LineIndex(1)));
    EXPECT_GT(tip->pos().y(), word.y());
    EXPECT_FALSE(tip->hasFocus());
    Type(view, " ");
    EXPECT_FALSE(tip->IsShown());
}

TEST_F(EditorFlow, EnterSplitsLinesAndRecoloursBothHalves)
{
    const auto [doc, view] = OpenScript("e.cgi", "$a = 1; # コメント print\nprintx;\n");
    // Enter at the end of a line ending in a comment: the comment keeps its
    // colour and the new line starts uncoloured.
    Caret(view, view->LineLength(0));
    Key(view, Qt::Key_Return);
    EXPECT_EQ(Text(view), "$a = 1; # コメント print\n\nprintx;");
    EXPECT_EQ(ColorAt(view, Find(view, "print")), kComment);
    Type(view, "print");
    const long typed = view->LineIndex(1);
    EXPECT_EQ(ColorAt(view, typed), kCommand) << "a new line is no comment";
    EXPECT_EQ(ColorAt(view, Find(view, "#")), kComment);
    // Enter inside "printx": the first half becomes a command.
    const long line3 = view->LineIndex(2);
    EXPECT_EQ(ColorAt(view, line3), kAuto);
    Caret(view, line3 + 5);
    Key(view, Qt::Key_Return);
    EXPECT_EQ(Text(view), "$a = 1; # コメント print\nprint\nprint\nx;");
    EXPECT_EQ(ColorAt(view, line3), kCommand);
    EXPECT_EQ(ColorAt(view, view->LineIndex(3)), kAuto);
    // Both Enters are undone one at a time, as single steps.
    EXPECT_EQ(Undo(view), "$a = 1; # コメント print\nprint\nprintx;");
    EXPECT_EQ(ColorAt(view, line3), kAuto);
}

TEST_F(EditorFlow, EnterAfterAShortCommentLeavesTheNewLineUncoloured)
{
    for (const char* comment : {"#ab", "#a", "# ab"}) {
        const std::string script = std::string("x ") + comment + "\nexit;\n";
        const auto [doc, view] = OpenScript("short.cgi", script.c_str());
        // Enter before the comment's last character.
        Caret(view, view->LineLength(0) - 1);
        Key(view, Qt::Key_Return);
        const long moved = view->LineIndex(1);
        EXPECT_EQ(ColorAt(view, moved), kAuto) << comment;
        EXPECT_EQ(ColorAt(view, Find(view, "#")), kComment) << comment;
        EXPECT_EQ(ColorAt(view, Find(view, "exit")), kCommand) << comment;
        template_->CloseAllDocuments();
    }
}

// Drags the data over the view and drops it where the character at pos is.
bool Drop(CKESTRIX_2View* view, QMimeData& data, long pos)
{
    const QPointF at = view->PosFromChar(pos) + QPoint(1, 2);
    QWidget* target = view->viewport();
    QDragEnterEvent enter(at.toPoint(), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton,
                          Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    if (!enter.isAccepted())
        return false;
    QDragMoveEvent move(at.toPoint(), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &move);
    QDropEvent drop(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &drop);
    return drop.isAccepted();
}

TEST_F(EditorFlow, DroppedTextIsOneEditToUndoAndIsColouredAndScanned)
{
    const auto [doc, view] = OpenScript("drop.cgi", "abc defZ\n");
    QMimeData text;
    text.setText("1234");
    ASSERT_TRUE(Drop(view, text, 0));
    EXPECT_EQ(Text(view), "1234abc defZ");
    EXPECT_TRUE(doc->IsModified());
    EXPECT_EQ(Undo(view), "abc defZ");
    // A dropped command word is coloured and its sub reaches the project tree.
    hooks_.added.clear();
    QMimeData code;
    code.setText("print 1;\nsub dropped { }\n");
    ASSERT_TRUE(Drop(view, code, 0));
    EXPECT_EQ(Text(view), "print 1;\nsub dropped { }\nabc defZ");
    EXPECT_EQ(ColorAt(view, 0), kCommand);
    ASSERT_EQ(hooks_.added.size(), 1u);
    EXPECT_NE(U(hooks_.added[0].text).find("sub dropped"), std::string::npos);
    EXPECT_EQ(Undo(view), "abc defZ");
    // Files are no text: the editor leaves them to the main window.
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(QString::fromStdString(dir_.file("drop.cgi")))});
    EXPECT_FALSE(Drop(view, files, 0));
    EXPECT_EQ(Text(view), "abc defZ");
}

TEST_F(EditorFlow, PastingSeveralLinesRecoloursEachAndAddsTheirSubs)
{
    const auto [doc, view] = OpenScript("p.cgi", "print 1;\nsub old { }\nexit;\n");
    QGuiApplication::clipboard()->setText(
        QString::fromUtf8("# 注釈 print\r\nsub fresh {\n  print \"ｶﾅ\";\n}"));
    // Paste over "old { }" on line 2.
    const long old = Find(view, "old");
    view->SetSel(old, old + 7);
    hooks_.removed.clear();
    hooks_.added.clear();
    Key(view, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Text(view), "print 1;\nsub # 注釈 print\nsub fresh {\n  print \"ｶﾅ\";\n}\nexit;");
    ASSERT_EQ(hooks_.removed.size(), 1u);
    EXPECT_EQ(U(hooks_.removed[0].text), "sub old { }");
    EXPECT_EQ(U(hooks_.removed[0].title), "p.cgi");
    ASSERT_EQ(hooks_.added.size(), 1u);
    EXPECT_EQ(U(hooks_.added[0].text), "sub # 注釈 print\rsub fresh {\r  print \"ｶﾅ\";\r}");
    // The caret ends after the pasted text; the comment stops at its line.
    const long after = Find(view, "}\r");
    EXPECT_EQ(Sel(view), std::make_pair(after + 1, after + 1));
    EXPECT_EQ(ColorAt(view, Find(view, "#")), kComment);
    const long line3 = view->LineIndex(2);
    EXPECT_EQ(ColorAt(view, line3), kCommand) << "sub";
    EXPECT_EQ(ColorAt(view, line3 + 4), kAuto) << "fresh";
    const long print = Find(view, "print", line3);
    EXPECT_EQ(ColorAt(view, print), kCommand);
    EXPECT_EQ(ColorAt(view, Find(view, "exit")), kCommand);
    EXPECT_TRUE(doc->IsModified());
    // Undo takes the paste out and selects what it had replaced.
    EXPECT_EQ(Undo(view), "print 1;\nsub old { }\nexit;");
    EXPECT_EQ(Sel(view), std::make_pair(old, old + 7));
    EXPECT_EQ(ColorAt(view, Find(view, "exit")), kCommand);
    EXPECT_EQ(ColorAt(view, Find(view, "sub")), kCommand);
    // An empty clipboard pastes nothing and leaves the undo as it was.
    QGuiApplication::clipboard()->clear();
    hooks_.added.clear();
    Key(view, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Text(view), "print 1;\nsub old { }\nexit;");
    EXPECT_TRUE(hooks_.added.empty());
    EXPECT_TRUE(view->UndoRecord().CanUndo());
}

TEST_F(EditorFlow, CuttingASubTellsTheProjectTreeAndUndoPutsItBack)
{
    const auto [doc, view] = OpenScript("c.cgi", "print 1;\nsub gone {\n  exit;\n}\nsub kept { }\n");
    const long from = Find(view, "sub gone");
    const long to = Find(view, "sub kept");
    view->SetSel(from + 4, to + 4);
    Key(view, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(Text(view), "print 1;\nsub kept { }");
    EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), "gone {\n  exit;\n}\nsub ");
    ASSERT_EQ(hooks_.removed.size(), 1u);
    EXPECT_EQ(U(hooks_.removed[0].text), "sub gone {\r  exit;\r}\rsub kept { }");
    ASSERT_EQ(hooks_.added.size(), 1u);
    EXPECT_EQ(U(hooks_.added[0].text), "sub kept { }");
    EXPECT_EQ(Sel(view), std::make_pair(from + 4, from + 4));
    EXPECT_EQ(ColorAt(view, from), kCommand);
    EXPECT_TRUE(UndoEnabled(view));
    EXPECT_EQ(view->UndoRecord().Kind(), CEditUndoRecord::kRemoval);
    // Undo puts the cut text back, the caret after it; undo again cuts it
    // again.
    EXPECT_EQ(Undo(view), "print 1;\nsub gone {\n  exit;\n}\nsub kept { }");
    EXPECT_EQ(Sel(view), std::make_pair(to + 4, to + 4));
    EXPECT_EQ(ColorAt(view, Find(view, "exit")), kCommand);
    EXPECT_EQ(Undo(view), "print 1;\nsub kept { }");
    // Nothing selected: nothing to cut, and the record is kept.
    hooks_.removed.clear();
    Key(view, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(Text(view), "print 1;\nsub kept { }");
    EXPECT_TRUE(hooks_.removed.empty());
}

TEST_F(EditorFlow, UndoTwiceRedoesAndTheMenuFollowsTheRecord)
{
    CKESTRIX_2Doc* doc = New();
    CKESTRIX_2View* view = ViewOf(doc);
    EXPECT_FALSE(UndoEnabled(view));
    Type(view, "ab");
    EXPECT_TRUE(UndoEnabled(view));
    EXPECT_EQ(Undo(view), "a");
    EXPECT_TRUE(UndoEnabled(view));
    EXPECT_EQ(Sel(view), std::make_pair(1L, 1L));
    view->OnCommand(57643);
    EXPECT_EQ(Text(view), "ab");
    EXPECT_EQ(Sel(view), std::make_pair(2L, 2L));
    // Moving the caret keeps the record; redo has nothing of its own.
    Key(view, Qt::Key_Left);
    Key(view, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(Text(view), "ab");
    EXPECT_TRUE(UndoEnabled(view));
}

TEST_F(EditorFlow, BackspaceOverADoubleByteCharacterAndUndo)
{
    const auto [doc, view] = OpenScript("b.cgi", "print \"日本ｶ\";\n");
    const long hon = Find(view, J("本"));
    Caret(view, hon + 2);
    Key(view, Qt::Key_Backspace);
    EXPECT_EQ(Text(view), "print \"日ｶ\";");
    EXPECT_EQ(Sel(view), std::make_pair(hon, hon));
    EXPECT_EQ(ColorAt(view, 0), kCommand);
    Key(view, Qt::Key_Backspace);
    EXPECT_EQ(Text(view), "print \"ｶ\";");
    EXPECT_EQ(Undo(view), "print \"日ｶ\";");
    EXPECT_EQ(Sel(view), std::make_pair(hon, hon)) << "the caret after the character put back";
    // Delete on half-width katakana takes one byte; its release recolours.
    Caret(view, hon);
    Key(view, Qt::Key_Delete);
    EXPECT_EQ(Text(view), "print \"日\";");
    EXPECT_EQ(Undo(view), "print \"日ｶ\";");
}

TEST_F(EditorFlow, DeleteReleaseRecoloursTheLine)
{
    const auto [doc, view] = OpenScript("d.cgi", "printx 1;\n");
    EXPECT_EQ(ColorAt(view, 0), kAuto);
    Caret(view, 5);
    const int rescans = hooks_.rescans;
    Key(view, Qt::Key_Delete);
    EXPECT_EQ(Text(view), "print 1;");
    EXPECT_EQ(ColorAt(view, 0), kCommand);
    EXPECT_EQ(hooks_.rescans, rescans + 1);
    // A word deleted with Ctrl+Delete comes back whole.
    Caret(view, 0);
    Key(view, Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(Text(view), "1;");
    EXPECT_EQ(Undo(view), "print 1;");
}

TEST_F(EditorFlow, KeysThatChangeNothingLeaveTheDocumentUnmodified)
{
    const auto [doc, view] = OpenScript("m.cgi", "print 1;\n");
    Caret(view, view->GetTextLength());
    Key(view, Qt::Key_Delete); // at the end: nothing to delete
    Key(view, Qt::Key_Left);
    Key(view, Qt::Key_Home);
    Key(view, Qt::Key_Backspace); // at the start: nothing either
    EXPECT_FALSE(doc->IsModified());
    Key(view, Qt::Key_Space);
    EXPECT_TRUE(doc->IsModified());
}

TEST_F(EditorFlow, CompositionOverASelectionIsOneEditToUndo)
{
    const auto [doc, view] = OpenScript("i.cgi", "my $v = abc;\n");
    const long abc = Find(view, "abc");
    view->SetSel(abc, abc + 3);
    Preedit(view, "にほん");
    Preedit(view, "日本");
    Commit(view, "日本");
    EXPECT_EQ(Text(view), "my $v = 日本;");
    EXPECT_EQ(Sel(view), std::make_pair(abc + 4, abc + 4));
    EXPECT_TRUE(UndoEnabled(view));
    EXPECT_EQ(Undo(view), "my $v = abc;");
    EXPECT_EQ(Sel(view), std::make_pair(abc, abc + 3));
    EXPECT_EQ(ColorAt(view, 0), kCommand);
}

TEST_F(EditorFlow, ACommittedCommandWordIsColouredOnceTheCompositionEnds)
{
    const auto [doc, view] = OpenScript("w.cgi", "$a; \n");
    Caret(view, 4);
    Preedit(view, "ｐｒｉｎｔ");
    Commit(view, "print");
    const int rescans = hooks_.rescans;
    // The key that confirmed the composition is released.
    QTest::keyRelease(view, Qt::Key_Return);
    EXPECT_EQ(Text(view), "$a; print");
    EXPECT_EQ(ColorAt(view, 4), kCommand);
    EXPECT_EQ(hooks_.rescans, rescans + 1);
    // An input method that keeps the key: the event loop does it instead.
    Preedit(view, "x");
    Commit(view, "x");
    QCoreApplication::processEvents();
    EXPECT_EQ(ColorAt(view, 4), kAuto);
    EXPECT_EQ(hooks_.rescans, rescans + 2);
    QTest::keyRelease(view, Qt::Key_Shift);
    EXPECT_EQ(hooks_.rescans, rescans + 2) << "once per composition";
}

TEST_F(EditorFlow, TextCodePage932CannotHoldBecomesAQuestionMark)
{
    CKESTRIX_2Doc* doc = New();
    CKESTRIX_2View* view = ViewOf(doc);
    Type(view, "aä");
    QTest::sendKeyEvent(QTest::Click, view, Qt::Key_unknown, QString::fromUtf8("😀"), Qt::NoModifier);
    Type(view, "日b");
    EXPECT_EQ(view->GetTextRange(0, -1), J("a??日b"));
    EXPECT_EQ(view->GetTextLength(), 6);
    EXPECT_EQ(Sel(view), std::make_pair(6L, 6L));
    Key(view, Qt::Key_Backspace);
    Key(view, Qt::Key_Backspace);
    EXPECT_EQ(view->GetTextRange(0, -1), "a??");
    Key(view, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(view->GetTextRange(0, -1), J("a??日"));
}

TEST_F(EditorFlow, F1LooksUpTheSelectedWordWithoutItsSpaces)
{
    const auto [doc, view] = OpenScript("f.cgi", "pr int $x;\n");
    view->SetSel(0, 6);
    Key(view, Qt::Key_F1);
    ASSERT_EQ(hooks_.lookups.size(), 1u);
    EXPECT_EQ(hooks_.lookups[0], "print");
    // Only spaces selected: nothing to look up.
    view->SetSel(2, 3);
    Key(view, Qt::Key_F1);
    EXPECT_EQ(hooks_.lookups.size(), 1u);
}

TEST_F(EditorFlow, F1WithNothingSelectedLooksUpTheWordAtTheCaret)
{
    const auto [doc, view] = OpenScript("w.cgi", "$n = 1;\nif (-e $file) { sprintf('%d', $_); }\n   \n");
    const long second = view->LineIndex(1);
    Caret(view, second + 5); // in "-e"
    Key(view, Qt::Key_F1);
    Caret(view, second + 19); // in "sprintf"
    Key(view, Qt::Key_F1);
    Caret(view, second + 32); // after "$_"
    Key(view, Qt::Key_F1);
    // A blank line has no word to look up.
    Caret(view, view->LineIndex(2) + 1);
    Key(view, Qt::Key_F1);
    EXPECT_EQ(hooks_.lookups, (std::vector<std::string>{"-e", "sprintf", "$_"}));
}

TEST_F(EditorFlow, ClosingAModifiedScriptAsksToSaveIt)
{
    const auto [doc, view] = OpenScript("q.cgi", "print 1;\n");
    Type(view, "x");
    ui_.AnswerBox(IDCANCEL);
    EXPECT_FALSE(view->GetParentFrame()->close());
    ASSERT_EQ(ui_.Boxes().size(), 1u);
    EXPECT_EQ(ui_.Boxes()[0].Utf8Text(), "q.cgi への変更を保存しますか?");
    ui_.AnswerBox(IDYES);
    EXPECT_TRUE(view->GetParentFrame()->close());
    EXPECT_EQ(ReadFileBytes(dir_.file("q.cgi")), "xprint 1;\n");
    EXPECT_TRUE(template_->Documents().empty());
}

} // namespace
