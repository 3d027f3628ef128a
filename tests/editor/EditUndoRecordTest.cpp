// The editor's single-step undo, driven the way a view drives it: the record
// hears of each key just before a real rich-edit control handles it, and of
// each input method composition around the control's own input method events.
#include "editor/CEditUndoRecord.h"
#include "platform/CRichEditCtrl.h"
#include "platform/Sjis.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QTest>
#include <string>

namespace {

std::string J(const char* utf8)
{
    return sjis::FromUtf8(utf8);
}

class EditUndoRecordTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        edit.LimitText(1 << 20);
        record.Attach(&edit);
    }

    // Line breaks written "\n" in the literal.
    void Load(const char* utf8) { edit.StreamIn(StreamFormat::Text, J(utf8)); }
    // The content as UTF-8 with "\n" line breaks, for readable failures.
    std::string Text() const
    {
        std::string text = sjis::ToUtf8(edit.StreamOut(StreamFormat::Text));
        std::erase(text, '\r');
        return text;
    }
    std::pair<long, long> Sel() const
    {
        long s = -1, e = -1;
        edit.GetSel(s, e);
        return {s, e};
    }

    // A key as the view sees it: the record first, then the control.
    void Press(Qt::Key key, const QString& produced = {}, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        record.NoteKeyDown(key, produced, mods);
        QTest::sendKeyEvent(QTest::Click, &edit, key, produced, mods);
    }
    // Types the text one character a key.
    void Type(const char* utf8)
    {
        for (QChar c : QString::fromUtf8(utf8))
            Press(Qt::Key_unknown, QString(c));
    }

    void Preedit(const char* utf8)
    {
        QInputMethodEvent event(QString::fromUtf8(utf8), {});
        QApplication::sendEvent(&edit, &event);
    }
    void Commit(const char* utf8)
    {
        QInputMethodEvent event;
        event.setCommitString(QString::fromUtf8(utf8));
        QApplication::sendEvent(&edit, &event);
    }
    // A whole composition that commits the text, told to the record.
    void Compose(const char* preedit, const char* committed)
    {
        record.NoteCompositionStart();
        Preedit(preedit);
        Commit(committed);
        record.NoteCompositionEnd(int(J(committed).size()));
    }

    CRichEditCtrl edit;
    CEditUndoRecord record;
};

// ---- typing ----

TEST_F(EditUndoRecordTest, TypedCharacterIsTakenBackAndRedone)
{
    EXPECT_FALSE(record.CanUndo());
    record.TakeBack(); // nothing recorded: nothing happens
    EXPECT_EQ(Text(), "");

    Load("xy");
    edit.SetSel(1, 1);
    Type("a");
    EXPECT_EQ(Text(), "xay");
    EXPECT_TRUE(record.CanUndo());
    EXPECT_EQ(record.Kind(), CEditUndoRecord::kInsertion);

    record.TakeBack();
    EXPECT_EQ(Text(), "xy");
    EXPECT_EQ(record.Kind(), CEditUndoRecord::kRemoval);
    EXPECT_EQ(record.Text(), "a");
    EXPECT_FALSE(edit.SelectionHidden());

    record.TakeBack();
    EXPECT_EQ(Text(), "xay");
    record.TakeBack();
    EXPECT_EQ(Text(), "xy");

    record.Clear();
    EXPECT_FALSE(record.CanUndo());
}

TEST_F(EditUndoRecordTest, FullWidthCharacterIsTakenBackWhole)
{
    Load("ab");
    edit.SetSel(1, 1);
    Type("あ");
    EXPECT_EQ(Text(), "aあb");
    EXPECT_EQ(record.End() - record.Start(), 2);
    record.TakeBack();
    EXPECT_EQ(Text(), "ab");
    record.TakeBack();
    EXPECT_EQ(Text(), "aあb");
}

TEST_F(EditUndoRecordTest, TypingOverSelectionPutsSelectionBack)
{
    Load("abc def");
    edit.SetSel(0, 3);
    Type("x");
    EXPECT_EQ(Text(), "x def");
    record.TakeBack();
    EXPECT_EQ(Text(), "abc def");
    record.TakeBack();
    EXPECT_EQ(Text(), "x def");
    record.TakeBack();
    EXPECT_EQ(Text(), "abc def");

    // A full-width character over a selection takes two positions: undo
    // must take both bytes away, not leave half a character behind.
    edit.SetSel(4, 7);
    Type("語");
    EXPECT_EQ(Text(), "abc 語");
    record.TakeBack();
    EXPECT_EQ(Text(), "abc def");
    record.TakeBack();
    EXPECT_EQ(Text(), "abc 語");
}

TEST_F(EditUndoRecordTest, EnterIsAnEditToo)
{
    Load("abc def");
    edit.SetSel(0, 3);
    Press(Qt::Key_Return, QStringLiteral("\r"));
    EXPECT_EQ(Text(), "\n def");
    record.TakeBack();
    EXPECT_EQ(Text(), "abc def");

    edit.SetSel(3, 3);
    Press(Qt::Key_Return, QStringLiteral("\r"));
    EXPECT_EQ(Text(), "abc\n def");
    record.TakeBack();
    EXPECT_EQ(Text(), "abc def");
}

TEST_F(EditUndoRecordTest, KeysThatDoNotEditKeepTheLastEdit)
{
    Load("abc");
    edit.SetSel(3, 3);
    Type("d");
    edit.SetSel(0, 2);
    Press(Qt::Key_Left);
    Press(Qt::Key_Home);
    EXPECT_EQ(Text(), "abcd");
    record.TakeBack();
    EXPECT_EQ(Text(), "abc");
}

TEST_F(EditUndoRecordTest, TypingAtTheLimitKeepsTheLastEdit)
{
    edit.LimitText(5);
    Load("abc");
    edit.SetSel(3, 3);
    Type("d");
    Type("あ"); // two bytes do not fit in the one left
    EXPECT_EQ(Text(), "abcd");
    EXPECT_EQ(record.Start(), 3);
    EXPECT_EQ(record.End(), 4);
    record.TakeBack();
    EXPECT_EQ(Text(), "abc");
}

TEST_F(EditUndoRecordTest, ReadOnlyControlIsLeftAlone)
{
    Load("abc");
    edit.SetSel(3, 3);
    Type("d");
    edit.setReadOnly(true);
    Press(Qt::Key_Backspace);
    EXPECT_EQ(record.Kind(), CEditUndoRecord::kInsertion);
    record.TakeBack();
    EXPECT_EQ(Text(), "abcd");
    edit.setReadOnly(false);
    record.TakeBack();
    EXPECT_EQ(Text(), "abc");
}

// ---- Delete and Backspace ----

TEST_F(EditUndoRecordTest, DeletingSelectionPutsItBackInPlace)
{
    for (Qt::Key key : {Qt::Key_Delete, Qt::Key_Backspace}) {
        SCOPED_TRACE(key);
        Load("ab日本cd");
        edit.SetSel(2, 6);
        Press(key);
        EXPECT_EQ(Text(), "abcd");
        record.TakeBack();
        EXPECT_EQ(Text(), "ab日本cd");
        EXPECT_EQ(Sel(), std::make_pair(6L, 6L));
        record.TakeBack();
        EXPECT_EQ(Text(), "abcd");
    }
}

TEST_F(EditUndoRecordTest, BackspacePutsCharacterBackInItsPlace)
{
    Load("abc");
    edit.SetSel(2, 2);
    Press(Qt::Key_Backspace);
    EXPECT_EQ(Text(), "ac");
    EXPECT_EQ(record.Start(), 1);
    EXPECT_EQ(record.Text(), "b");
    record.TakeBack();
    EXPECT_EQ(Text(), "abc");

    Load("日本語");
    edit.SetSel(4, 4);
    Press(Qt::Key_Backspace);
    EXPECT_EQ(Text(), "日語");
    EXPECT_EQ(record.Start(), 2);
    EXPECT_EQ(record.Text(), J("本"));
    record.TakeBack();
    EXPECT_EQ(Text(), "日本語");

    // At the start of the text there is nothing to take away.
    edit.SetSel(0, 0);
    Press(Qt::Key_Backspace);
    EXPECT_FALSE(record.CanUndo());
    EXPECT_EQ(Text(), "日本語");
}

// The byte two before the caret can be the trail of a double-byte character
// with a value in lead-byte range ("日" is 93 FA, "語" 8C EA, "メ" 83 81):
// only the single-byte character right before the caret goes.
TEST_F(EditUndoRecordTest, BackspaceAfterTrailByteInLeadRangeTakesOneByte)
{
    for (const char* text : {"日a", "語x", "メ1", "日ｱ", "x日ｱ", "メ\n"}) {
        SCOPED_TRACE(text);
        Load(text);
        const long end = edit.GetTextLength();
        edit.SetSel(end, end);
        const std::string before = Text();
        const std::string last = edit.GetTextRange(end - 1, end);
        Press(Qt::Key_Backspace);
        EXPECT_EQ(edit.GetTextLength(), end - 1);
        EXPECT_EQ(record.Start(), end - 1);
        EXPECT_EQ(record.Text(), last);
        record.TakeBack();
        EXPECT_EQ(Text(), before);
        EXPECT_EQ(Sel(), std::make_pair(end, end));
    }
    // And a double-byte character after such a one goes whole.
    Load("日語");
    edit.SetSel(4, 4);
    Press(Qt::Key_Backspace);
    EXPECT_EQ(record.Start(), 2);
    EXPECT_EQ(record.Text(), J("語"));
    record.TakeBack();
    EXPECT_EQ(Text(), "日語");
}

TEST_F(EditUndoRecordTest, BackspaceOverLineBreakPutsItBack)
{
    Load("ab\ncd");
    edit.SetSel(3, 3);
    Press(Qt::Key_Backspace);
    EXPECT_EQ(Text(), "abcd");
    record.TakeBack();
    EXPECT_EQ(Text(), "ab\ncd");
    EXPECT_EQ(edit.GetLineCount(), 2);
    EXPECT_EQ(Sel(), std::make_pair(3L, 3L));
}

TEST_F(EditUndoRecordTest, DeletePutsCharacterBack)
{
    Load("a日b");
    edit.SetSel(1, 1);
    Press(Qt::Key_Delete);
    EXPECT_EQ(Text(), "ab");
    EXPECT_EQ(record.Text(), J("日"));
    record.TakeBack();
    EXPECT_EQ(Text(), "a日b");
    record.TakeBack();
    EXPECT_EQ(Text(), "ab");

    // A line break is one position and comes back as a line break.
    Load("ab\ncd");
    edit.SetSel(2, 2);
    Press(Qt::Key_Delete);
    EXPECT_EQ(Text(), "abcd");
    EXPECT_EQ(record.Text(), "\r");
    record.TakeBack();
    EXPECT_EQ(Text(), "ab\ncd");
    EXPECT_EQ(edit.GetLineCount(), 2);
    record.TakeBack();
    EXPECT_EQ(Text(), "abcd");

    // At the end there is nothing to take away.
    edit.SetSel(4, 4);
    Press(Qt::Key_Delete);
    EXPECT_FALSE(record.CanUndo());
}

// ---- shortcuts the control handles itself ----

TEST_F(EditUndoRecordTest, PasteAndCutAreTakenBack)
{
    QApplication::clipboard()->setText(QString::fromUtf8("日本\r\nxy"));
    Load("abc def");
    edit.SetSel(0, 3);
    Press(Qt::Key_V, QStringLiteral("\x16"), Qt::ControlModifier);
    EXPECT_EQ(Text(), "日本\nxy def");
    record.TakeBack();
    EXPECT_EQ(Text(), "abc def");
    record.TakeBack();
    EXPECT_EQ(Text(), "日本\nxy def");

    edit.SetSel(8, 8);
    Press(Qt::Key_V, QStringLiteral("\x16"), Qt::ControlModifier);
    EXPECT_EQ(Text(), "日本\nxy 日本\nxydef");
    record.TakeBack();
    EXPECT_EQ(Text(), "日本\nxy def");

    edit.SetSel(0, 5);
    Press(Qt::Key_X, QStringLiteral("\x18"), Qt::ControlModifier);
    EXPECT_EQ(Text(), "xy def");
    record.TakeBack();
    EXPECT_EQ(Text(), "日本\nxy def");
}

TEST_F(EditUndoRecordTest, ShortcutsThatDoNotEditKeepTheLastEdit)
{
    Load("abc");
    edit.SetSel(3, 3);
    Type("d");
    Press(Qt::Key_A, QStringLiteral("\x01"), Qt::ControlModifier); // select all
    Press(Qt::Key_Left, {}, Qt::ControlModifier);
    Press(Qt::Key_Return, QStringLiteral("\r"), Qt::ControlModifier); // makes no line break
    EXPECT_EQ(Text(), "abcd");
    record.TakeBack();
    EXPECT_EQ(Text(), "abc");
}

// Deleting a word or a line is more than the record can describe: it is
// forgotten rather than left to undo the wrong text later.
TEST_F(EditUndoRecordTest, DeletingAWordForgetsTheRecord)
{
    Load("one two");
    edit.SetSel(7, 7);
    Type("s");
    Press(Qt::Key_Backspace, {}, Qt::ControlModifier);
    EXPECT_EQ(Text(), "one ");
    EXPECT_FALSE(record.CanUndo());
    record.TakeBack();
    EXPECT_EQ(Text(), "one ");
}

// ---- input methods ----

TEST_F(EditUndoRecordTest, CompositionOverSelectionIsTakenBackInPlace)
{
    Load("xx abc yy");
    edit.SetSel(3, 6);
    Compose("かんじ", "漢字");
    EXPECT_EQ(Text(), "xx 漢字 yy");
    EXPECT_EQ(record.Kind(), CEditUndoRecord::kRemoval);
    record.TakeBack();
    EXPECT_EQ(Text(), "xx abc yy");
    record.TakeBack();
    EXPECT_EQ(Text(), "xx 漢字 yy");
}

TEST_F(EditUndoRecordTest, CompositionAtCaretIsAnInsertion)
{
    Load("ab");
    edit.SetSel(1, 1);
    Compose("かん", "漢");
    EXPECT_EQ(Text(), "a漢b");
    EXPECT_EQ(record.Kind(), CEditUndoRecord::kInsertion);
    record.TakeBack();
    EXPECT_EQ(Text(), "ab");
}

TEST_F(EditUndoRecordTest, CancelledCompositionPutsSelectionBack)
{
    Load("xx abc yy");
    edit.SetSel(3, 6);
    record.NoteCompositionStart();
    EXPECT_FALSE(record.CanUndo());
    Preedit("か");
    Preedit(""); // cancelled
    EXPECT_EQ(Text(), "xx  yy");
    record.NoteCompositionEnd(0);
    EXPECT_EQ(Text(), "xx abc yy");

    // Cancelled before any text showed: the selection is still there and
    // must not be put in twice.
    edit.SetSel(3, 6);
    record.NoteCompositionStart();
    record.NoteCompositionEnd(0);
    EXPECT_EQ(Text(), "xx abc yy");
    EXPECT_FALSE(record.CanUndo());

    // Cancelled with nothing selected: nothing to undo.
    edit.SetSel(1, 1);
    record.NoteCompositionStart();
    Preedit("か");
    Preedit("");
    record.NoteCompositionEnd(0);
    EXPECT_EQ(Text(), "xx abc yy");
    EXPECT_FALSE(record.CanUndo());
}

TEST_F(EditUndoRecordTest, CompositionCutAtTheLimitTakesBackOnlyWhatWentIn)
{
    edit.LimitText(6);
    Load("abcd");
    edit.SetSel(4, 4);
    Compose("かんじ", "漢字"); // only "漢" fits
    EXPECT_EQ(Text(), "abcd漢");
    record.TakeBack();
    EXPECT_EQ(Text(), "abcd");
}

} // namespace
