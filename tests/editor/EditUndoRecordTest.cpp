// The editor's single-step undo, driven the way a view drives it: the record
// hears of each key just before a real rich-edit control handles it, and of
// each input method composition around the control's own input method events.
#include "EditorFixture.h"

#include "editor/CEditUndoRecord.h"

#include <QClipboard>

using namespace editortest;

namespace {

class EditUndoRecordTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        edit.LimitText(1 << 20);
        record.Attach(&edit);
    }

    // Line breaks written "\n" in the literal.
    void Load(const char* utf8) { edit.StreamIn(StreamFormat::Text, J(utf8)); }
    // The same, then selects [start, end).
    void Load(const char* utf8, long start, long end)
    {
        Load(utf8);
        edit.SetSel(start, end);
    }
    // The content as UTF-8 with "\n" line breaks, for readable failures.
    std::string Text() const { return editortest::Text(&edit); }
    std::pair<long, long> Sel() const { return editortest::Sel(&edit); }
    // Takes the recorded edit back and returns the content it leaves.
    std::string TakeBack()
    {
        record.TakeBack();
        return Text();
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

    void Preedit(const char* utf8) { editortest::Preedit(&edit, utf8); }
    void Commit(const char* utf8) { editortest::Commit(&edit, utf8); }
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

    Load("xy", 1, 1);
    Type("a");
    EXPECT_EQ(Text(), "xay");
    EXPECT_TRUE(record.CanUndo());
    EXPECT_EQ(record.Kind(), CEditUndoRecord::kInsertion);

    EXPECT_EQ(TakeBack(), "xy");
    EXPECT_EQ(record.Kind(), CEditUndoRecord::kRemoval);
    EXPECT_EQ(record.Text(), "a");
    EXPECT_FALSE(edit.SelectionHidden());

    EXPECT_EQ(TakeBack(), "xay");
    EXPECT_EQ(TakeBack(), "xy");

    record.Clear();
    EXPECT_FALSE(record.CanUndo());
}

TEST_F(EditUndoRecordTest, FullWidthCharacterIsTakenBackWhole)
{
    Load("ab", 1, 1);
    Type("あ");
    EXPECT_EQ(Text(), "aあb");
    EXPECT_EQ(record.End() - record.Start(), 2);
    EXPECT_EQ(TakeBack(), "ab");
    EXPECT_EQ(TakeBack(), "aあb");
}

TEST_F(EditUndoRecordTest, TypingOverSelectionPutsSelectionBack)
{
    Load("abc def", 0, 3);
    Type("x");
    EXPECT_EQ(Text(), "x def");
    EXPECT_EQ(TakeBack(), "abc def");
    EXPECT_EQ(TakeBack(), "x def");
    EXPECT_EQ(TakeBack(), "abc def");

    // A full-width character over a selection takes two positions: undo
    // must take both bytes away, not leave half a character behind.
    edit.SetSel(4, 7);
    Type("語");
    EXPECT_EQ(Text(), "abc 語");
    EXPECT_EQ(TakeBack(), "abc def");
    EXPECT_EQ(TakeBack(), "abc 語");
}

TEST_F(EditUndoRecordTest, EnterIsAnEditToo)
{
    Load("abc def", 0, 3);
    Press(Qt::Key_Return, QStringLiteral("\r"));
    EXPECT_EQ(Text(), "\n def");
    EXPECT_EQ(TakeBack(), "abc def");

    edit.SetSel(3, 3);
    Press(Qt::Key_Return, QStringLiteral("\r"));
    EXPECT_EQ(Text(), "abc\n def");
    EXPECT_EQ(TakeBack(), "abc def");
}

TEST_F(EditUndoRecordTest, KeysThatDoNotEditKeepTheLastEdit)
{
    Load("abc", 3, 3);
    Type("d");
    edit.SetSel(0, 2);
    Press(Qt::Key_Left);
    Press(Qt::Key_Home);
    EXPECT_EQ(Text(), "abcd");
    EXPECT_EQ(TakeBack(), "abc");
}

TEST_F(EditUndoRecordTest, TypingAtTheLimitKeepsTheLastEdit)
{
    edit.LimitText(5);
    Load("abc", 3, 3);
    Type("d");
    Type("あ"); // two bytes do not fit in the one left
    EXPECT_EQ(Text(), "abcd");
    EXPECT_EQ(record.Start(), 3);
    EXPECT_EQ(record.End(), 4);
    EXPECT_EQ(TakeBack(), "abc");
}

TEST_F(EditUndoRecordTest, ReadOnlyControlIsLeftAlone)
{
    Load("abc", 3, 3);
    Type("d");
    edit.setReadOnly(true);
    Press(Qt::Key_Backspace);
    EXPECT_EQ(record.Kind(), CEditUndoRecord::kInsertion);
    EXPECT_EQ(TakeBack(), "abcd");
    edit.setReadOnly(false);
    EXPECT_EQ(TakeBack(), "abc");
}

// ---- Delete and Backspace ----

TEST_F(EditUndoRecordTest, DeletingSelectionPutsItBackInPlace)
{
    for (Qt::Key key : {Qt::Key_Delete, Qt::Key_Backspace}) {
        SCOPED_TRACE(key);
        Load("ab日本cd", 2, 6);
        Press(key);
        EXPECT_EQ(Text(), "abcd");
        EXPECT_EQ(TakeBack(), "ab日本cd");
        EXPECT_EQ(Sel(), std::make_pair(6L, 6L));
        EXPECT_EQ(TakeBack(), "abcd");
    }
}

TEST_F(EditUndoRecordTest, BackspacePutsCharacterBackInItsPlace)
{
    Load("abc", 2, 2);
    Press(Qt::Key_Backspace);
    EXPECT_EQ(Text(), "ac");
    EXPECT_EQ(record.Start(), 1);
    EXPECT_EQ(record.Text(), "b");
    EXPECT_EQ(TakeBack(), "abc");

    Load("日本語", 4, 4);
    Press(Qt::Key_Backspace);
    EXPECT_EQ(Text(), "日語");
    EXPECT_EQ(record.Start(), 2);
    EXPECT_EQ(record.Text(), J("本"));
    EXPECT_EQ(TakeBack(), "日本語");

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
        EXPECT_EQ(TakeBack(), before);
        EXPECT_EQ(Sel(), std::make_pair(end, end));
    }
    // And a double-byte character after such a one goes whole.
    Load("日語", 4, 4);
    Press(Qt::Key_Backspace);
    EXPECT_EQ(record.Start(), 2);
    EXPECT_EQ(record.Text(), J("語"));
    EXPECT_EQ(TakeBack(), "日語");
}

TEST_F(EditUndoRecordTest, BackspaceOverLineBreakPutsItBack)
{
    Load("ab\ncd", 3, 3);
    Press(Qt::Key_Backspace);
    EXPECT_EQ(Text(), "abcd");
    EXPECT_EQ(TakeBack(), "ab\ncd");
    EXPECT_EQ(edit.GetLineCount(), 2);
    EXPECT_EQ(Sel(), std::make_pair(3L, 3L));
}

TEST_F(EditUndoRecordTest, DeletePutsCharacterBack)
{
    Load("a日b", 1, 1);
    Press(Qt::Key_Delete);
    EXPECT_EQ(Text(), "ab");
    EXPECT_EQ(record.Text(), J("日"));
    EXPECT_EQ(TakeBack(), "a日b");
    EXPECT_EQ(TakeBack(), "ab");

    // A line break is one position and comes back as a line break.
    Load("ab\ncd", 2, 2);
    Press(Qt::Key_Delete);
    EXPECT_EQ(Text(), "abcd");
    EXPECT_EQ(record.Text(), "\r");
    EXPECT_EQ(TakeBack(), "ab\ncd");
    EXPECT_EQ(edit.GetLineCount(), 2);
    EXPECT_EQ(TakeBack(), "abcd");

    // At the end there is nothing to take away.
    edit.SetSel(4, 4);
    Press(Qt::Key_Delete);
    EXPECT_FALSE(record.CanUndo());
}

// ---- shortcuts the control handles itself ----

TEST_F(EditUndoRecordTest, PasteAndCutAreTakenBack)
{
    QApplication::clipboard()->setText(QString::fromUtf8("日本\r\nxy"));
    Load("abc def", 0, 3);
    Press(Qt::Key_V, QStringLiteral("\x16"), Qt::ControlModifier);
    EXPECT_EQ(Text(), "日本\nxy def");
    EXPECT_EQ(TakeBack(), "abc def");
    EXPECT_EQ(TakeBack(), "日本\nxy def");

    edit.SetSel(8, 8);
    Press(Qt::Key_V, QStringLiteral("\x16"), Qt::ControlModifier);
    EXPECT_EQ(Text(), "日本\nxy 日本\nxydef");
    EXPECT_EQ(TakeBack(), "日本\nxy def");

    edit.SetSel(0, 5);
    Press(Qt::Key_X, QStringLiteral("\x18"), Qt::ControlModifier);
    EXPECT_EQ(Text(), "xy def");
    EXPECT_EQ(TakeBack(), "日本\nxy def");
}

TEST_F(EditUndoRecordTest, ShortcutsThatDoNotEditKeepTheLastEdit)
{
    Load("abc", 3, 3);
    Type("d");
    Press(Qt::Key_A, QStringLiteral("\x01"), Qt::ControlModifier); // select all
    Press(Qt::Key_Left, {}, Qt::ControlModifier);
    Press(Qt::Key_Return, QStringLiteral("\r"), Qt::ControlModifier); // makes no line break
    EXPECT_EQ(Text(), "abcd");
    EXPECT_EQ(TakeBack(), "abc");
}

// Deleting a word or a line is more than the record can describe: it is
// forgotten rather than left to undo the wrong text later.
TEST_F(EditUndoRecordTest, DeletingAWordForgetsTheRecord)
{
    Load("one two", 7, 7);
    Type("s");
    Press(Qt::Key_Backspace, {}, Qt::ControlModifier);
    EXPECT_EQ(Text(), "one ");
    EXPECT_FALSE(record.CanUndo());
    EXPECT_EQ(TakeBack(), "one ");
}

// ---- input methods ----

TEST_F(EditUndoRecordTest, CompositionOverSelectionIsTakenBackInPlace)
{
    Load("xx abc yy", 3, 6);
    Compose("かんじ", "漢字");
    EXPECT_EQ(Text(), "xx 漢字 yy");
    EXPECT_EQ(record.Kind(), CEditUndoRecord::kRemoval);
    EXPECT_EQ(TakeBack(), "xx abc yy");
    EXPECT_EQ(TakeBack(), "xx 漢字 yy");
}

TEST_F(EditUndoRecordTest, CompositionAtCaretIsAnInsertion)
{
    Load("ab", 1, 1);
    Compose("かん", "漢");
    EXPECT_EQ(Text(), "a漢b");
    EXPECT_EQ(record.Kind(), CEditUndoRecord::kInsertion);
    EXPECT_EQ(TakeBack(), "ab");
}

TEST_F(EditUndoRecordTest, CancelledCompositionPutsSelectionBack)
{
    Load("xx abc yy", 3, 6);
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
    Load("abcd", 4, 4);
    Compose("かんじ", "漢字"); // only "漢" fits
    EXPECT_EQ(Text(), "abcd漢");
    EXPECT_EQ(TakeBack(), "abcd");
}

} // namespace
