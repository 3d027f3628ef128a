// The editor's single-step undo: each view keeps one record of its last edit
// (the rich-edit control keeps none of its own) and taking it back turns it
// into the record of the edit that undoes it, so undoing twice redoes.
//
// Positions are the control's code page 932 byte positions; texts are code
// page 932 with a line break read and written as "\r".
//
//   kind 1 (insertion): [start, end) holds the text the edit put in; text is
//           what that text replaced (empty for a plain insertion).
//   kind 2 (removal):   text is what the edit took out at start; [start, end)
//           holds what took its place (an empty range for a plain deletion).
//   kind 0 (nothing):   nothing to undo. While an input method composes over
//           a selection the record holds that selection here until the
//           composition ends.
//
// The view tells the record about every key before the control handles it,
// and about the start and end of every input method composition.
#pragma once

#include <QString>
#include <string>

class CRichEditCtrl;

class CEditUndoRecord {
public:
    static constexpr int kNothing = 0;
    static constexpr int kInsertion = 1;
    static constexpr int kRemoval = 2;

    // Binds the record to a control and empties it.
    void Attach(CRichEditCtrl* control);
    // Binds the record to a control showing the same document, keeping what
    // it holds (the windows of one document share one record).
    void Bind(CRichEditCtrl* control) { control_ = control; }
    // Empties the record; the control stays bound.
    void Clear();
    void Set(int kind, long start, long end, std::string text);

    int Kind() const { return kind_; }
    long Start() const { return start_; }
    long End() const { return end_; }
    const std::string& Text() const { return text_; }
    bool CanUndo() const { return kind_ != kNothing; }

    // Called before the control handles a key: key is the Qt::Key, produced
    // the text the key produces (QKeyEvent::text()), modifiers the event's
    // modifiers. Delete, Backspace, Enter, keys that type text and the paste
    // and cut shortcuts make the record describe the edit the key is about
    // to make; the shortcuts that delete a word or a line empty it (it cannot
    // describe them); other keys (arrows and the like) leave it as it is.
    void NoteKeyDown(int key, const QString& produced, Qt::KeyboardModifiers modifiers = Qt::NoModifier);

    // Undoes the recorded edit on the control and records the edit that
    // undoes it. Nothing happens without a control, on a read-only control
    // or with nothing recorded.
    void TakeBack();

    // Called when an input method starts composing: notes the selection the
    // composition is about to replace.
    void NoteCompositionStart();
    // Called when the composition has ended, with the code page 932 length
    // of the text it committed (0 when it was cancelled).
    void NoteCompositionEnd(int resultLength);

private:
    // The bytes the control will actually insert for the text at the current
    // selection: the control cuts typed text to fit its limit.
    long FittedLength(const QString& text) const;
    // The position after the recorded replacement: where the caret is.
    long CaretEnd() const;

    long start_ = 0;
    long end_ = 0;
    std::string text_;
    int kind_ = kNothing;
    CRichEditCtrl* control_ = nullptr;
};
