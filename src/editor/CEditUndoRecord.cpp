#include "editor/CEditUndoRecord.h"

#include "platform/richedit/ByteIndex.h"
#include "platform/richedit/CRichEditCtrl.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMimeData>

#include <algorithm>
#include <utility>

namespace {

// The text a key puts into the control, or an empty string when the key
// types nothing: a line break for the keys that make one, otherwise the text
// of a key the control takes as typing.
QString TypedText(const QKeyEvent& key)
{
    if (key.matches(QKeySequence::InsertParagraphSeparator) || key.matches(QKeySequence::InsertLineSeparator))
        return QStringLiteral("\n");
    return CRichEditCtrl::InsertsText(&key) ? key.text() : QString();
}

// The text a paste puts in, with line breaks as the control makes them.
QString PastedText()
{
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (!data || !data->hasText())
        return {};
    QString text = ByteIndex::Normalize(data->text());
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    return text;
}

bool DeletesWordOrLine(const QKeyEvent& key)
{
    return key.matches(QKeySequence::DeleteStartOfWord) || key.matches(QKeySequence::DeleteEndOfWord) ||
           key.matches(QKeySequence::DeleteEndOfLine) || key.matches(QKeySequence::DeleteCompleteLine);
}

// The character boundaries around a position. A double-byte character is
// one document character, so stepping one document character from a
// boundary finds the neighbouring boundary: the bytes alone cannot tell a
// trail byte from a lead byte (the trail of "日", 0xFA, is in lead range).
long NextBoundary(const CRichEditCtrl& control, long pos)
{
    const long length = control.GetTextLength();
    int document = control.ToDocumentPosition(pos);
    long next = pos;
    while (next <= pos && next < length)
        next = control.FromDocumentPosition(++document);
    return next;
}

long PreviousBoundary(const CRichEditCtrl& control, long pos)
{
    int document = control.ToDocumentPosition(pos);
    long previous = pos;
    while (previous >= pos && document > 0)
        previous = control.FromDocumentPosition(--document);
    return std::min(previous, pos);
}

} // namespace

void CEditUndoRecord::Attach(CRichEditCtrl* control)
{
    control_ = control;
    Clear();
}

void CEditUndoRecord::Clear()
{
    start_ = 0;
    end_ = 0;
    text_.clear();
    kind_ = kNothing;
}

void CEditUndoRecord::Set(int kind, long start, long end, std::string text)
{
    kind_ = kind;
    start_ = start;
    end_ = end;
    text_ = std::move(text);
}

long CEditUndoRecord::FittedLength(const QString& text) const
{
    long s = 0, e = 0;
    control_->GetSel(s, e);
    const long room = control_->GetLimitText() - (control_->GetTextLength() - (e - s));
    long bytes = 0;
    for (QChar c : text) {
        const int w = ByteIndex::CharBytes(c.unicode());
        if (bytes + w > room)
            break;
        bytes += w;
    }
    return bytes;
}

long CEditUndoRecord::CaretEnd() const
{
    long s = 0, e = 0;
    control_->GetSel(s, e);
    return e;
}

void CEditUndoRecord::NoteKeyDown(int key, const QString& produced, Qt::KeyboardModifiers modifiers)
{
    // A read-only control takes no edit from the keyboard.
    if (!control_ || control_->isReadOnly())
        return;
    const QKeyEvent event(QEvent::KeyPress, key, modifiers, produced);
    long s = 0, e = 0;
    control_->GetSel(s, e);

    // The control handles these shortcuts itself: the record must follow,
    // or taking it back later would edit text that has moved.
    if (event.matches(QKeySequence::Cut)) {
        if (e > s)
            Set(kRemoval, s, s, control_->GetSelText());
        return;
    }
    if (DeletesWordOrLine(event)) {
        Clear();
        return;
    }
    const bool removesNext = event.matches(QKeySequence::Delete);
    const bool removesPrevious = event.matches(QKeySequence::Backspace) ||
                                 (key == Qt::Key_Backspace && !(modifiers & ~Qt::ShiftModifier));
    if (removesNext || removesPrevious) {
        if (e > s) {
            Set(kRemoval, s, s, control_->GetSelText());
            return;
        }
        const long caret = s;
        if (removesNext) {
            const long next = NextBoundary(*control_, caret);
            if (next <= caret) {
                Clear();
                return;
            }
            // A line break reads as "\r", which puts a line break back.
            Set(kRemoval, caret, caret, control_->GetTextRange(caret, next));
            return;
        }
        if (caret <= 0) {
            Clear();
            return;
        }
        const long previous = PreviousBoundary(*control_, caret);
        Set(kRemoval, previous, previous, control_->GetTextRange(previous, caret));
        return;
    }

    const QString typed = event.matches(QKeySequence::Paste) ? PastedText() : TypedText(event);
    // Text that does not fit the limit at all is not put in, and the
    // selection stays: the last edit is still the one to undo.
    const long inserted = typed.isEmpty() ? 0 : FittedLength(typed);
    if (inserted == 0)
        return;
    if (e > s)
        Set(kRemoval, s, s + inserted, control_->GetSelText());
    else
        Set(kInsertion, s, s + inserted, std::string());
}

void CEditUndoRecord::TakeBack()
{
    if (!control_ || kind_ == kNothing || control_->isReadOnly())
        return;
    if (kind_ == kInsertion && text_.empty()) {
        // Removing a plain insertion: the selection used to remove it is not
        // shown.
        const bool hidden = control_->SelectionHidden();
        control_->HideSelection(true);
        control_->SetSel(start_, end_);
        text_ = control_->GetSelText();
        control_->Clear();
        control_->HideSelection(hidden);
        end_ = start_;
        kind_ = kRemoval;
        return;
    }
    // Either way the range is replaced by the recorded text, and what was in
    // the range becomes the text of the edit that undoes this one.
    control_->SetSel(start_, end_);
    std::string taken = end_ > start_ ? control_->GetSelText() : std::string();
    control_->ReplaceSel(text_);
    end_ = CaretEnd();
    text_ = std::move(taken);
    kind_ = kind_ == kInsertion ? kRemoval : kInsertion;
}

void CEditUndoRecord::NoteCompositionStart()
{
    Clear();
    if (!control_)
        return;
    long s = 0, e = 0;
    control_->GetSel(s, e);
    // The start is kept even with nothing selected: the committed text lands
    // there, which tells how much of it the control took.
    start_ = s;
    end_ = e;
    if (e > s)
        text_ = control_->GetSelText();
}

void CEditUndoRecord::NoteCompositionEnd(int resultLength)
{
    if (!control_)
        return;
    const bool noted = kind_ == kNothing && !text_.empty();
    long s = 0, e = 0;
    control_->GetSel(s, e);
    if (resultLength > 0) {
        // The control cuts committed text to fit its limit; what it took runs
        // from where the composition started to the caret.
        long length = resultLength;
        if (kind_ == kNothing && start_ <= e)
            length = std::min(length, e - start_);
        if (noted) {
            kind_ = kRemoval;
            end_ = start_ + length;
        } else if (length > 0) {
            Set(kInsertion, e - length, e, std::string());
        } else {
            Clear();
        }
        return;
    }
    if (!noted) {
        Clear();
        return;
    }
    // A cancelled composition has removed the selection it started over
    // (unless it never got as far as showing any text): put it back.
    if (e > s && s == start_ && e == end_ && control_->GetSelText() == text_) {
        Clear();
        return;
    }
    kind_ = kRemoval;
    end_ = start_;
    TakeBack();
}
