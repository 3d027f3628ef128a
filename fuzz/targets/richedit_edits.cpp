// The rich-edit control's byte positions against a plain model: a string of
// code page 932 bytes with one "\r" per line break, to which the same edits
// are applied. The input is a sequence of operations - selections (inside
// double-byte characters too), replacements, typed keys (text, Enter,
// Backspace, Delete), cut and paste, and the editor's one-step undo - and
// after each one the control's text, length, selection and line positions
// must be the model's.
#include "FuzzCheck.h"
#include "editor/CEditUndoRecord.h"
#include "platform/richedit/CRichEditCtrl.h"
#include "platform/text/Sjis.h"

#include <QApplication>
#include <QKeyEvent>
#include <algorithm>
#include <fuzzer/FuzzedDataProvider.h>
#include <memory>

namespace {

QApplication* app = nullptr;
CRichEditCtrl* control = nullptr;

// Pieces of text to put in: ASCII, every kind of line break, tabs,
// double-byte characters (one with trail byte "\"), half-width katakana, a
// code page 932 does not define and a lead byte on its own.
const char* const kPieces[] = {"a",        "xyz",      "\r\n",     "\n",      "\r",       "\t",
                               "\x82\xa0", "\x93\xfa", "\x95\x5c", "\xb6",    "\x85\x40", "\x82",
                               " ",        "\x81\x40", "{\\}",     "\x88\x9f"};
// Typed text: Unicode, one character code page 932 cannot hold.
const char16_t* const kTyped[] = {u"a", u"Z", u"\u3042", u"\u65e5", u"\uff76", u"\u2603", u" "};

struct Model {
    std::string text; // code page 932, "\r" for each line break
    long start = 0;
    long end = 0;
    std::string clipboard;
    bool hasClipboard = false;
};

// What the control makes of bytes put in: one "\r" per break, every other
// character through Unicode ("?" for what code page 932 cannot hold).
std::string Normalised(std::string_view bytes)
{
    std::string out;
    std::string run;
    auto flush = [&] {
        out += sjis::FromUnicode(sjis::ToUnicode(run));
        run.clear();
    };
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r' || bytes[i] == '\n') {
            flush();
            out += '\r';
            if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
                ++i;
        } else {
            run += bytes[i];
        }
    }
    flush();
    return out;
}

// The start of the character holding pos.
long Snap(const std::string& text, long pos)
{
    long at = 0;
    while (at < long(text.size())) {
        const long next = at + long(sjis::CharLength(text, std::size_t(at)));
        if (next > pos)
            return at;
        at = next;
    }
    return at;
}

long PreviousStart(const std::string& text, long pos)
{
    long at = 0, previous = 0;
    while (at < pos) {
        previous = at;
        at += long(sjis::CharLength(text, std::size_t(at)));
    }
    return previous;
}

void Replace(Model& m, const std::string& bytes)
{
    m.text.replace(std::size_t(m.start), std::size_t(m.end - m.start), bytes);
    m.start = m.end = m.start + long(bytes.size());
}

void Key(int key, const QString& text = QString(), Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QKeyEvent event(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(control, &event);
}

void Compare(const Model& m)
{
    const long length = long(m.text.size());
    FUZZ_CHECK(control->GetTextLength() == length, "the length differs from the model's");
    FUZZ_CHECK(control->GetTextRange(0, -1) == m.text, "the text differs from the model's");
    long s = -1, e = -1;
    control->GetSel(s, e);
    FUZZ_CHECK(s == m.start && e == m.end, "the selection differs from the model's");
    const long lines = long(std::count(m.text.begin(), m.text.end(), '\r')) + 1;
    FUZZ_CHECK(control->GetLineCount() == lines, "the line count differs from the model's");
    long lineStart = 0;
    for (long line = 0; line < lines && line < 8; ++line) {
        const long lineEnd = long(std::min(m.text.find('\r', std::size_t(lineStart)), m.text.size()));
        FUZZ_CHECK(control->LineIndex(line) == lineStart, "a line starts elsewhere than in the model");
        FUZZ_CHECK(control->LineFromChar(lineStart) == line, "a line's start is on another line");
        FUZZ_CHECK(control->LineLength(lineStart) == lineEnd - lineStart, "a line's length differs");
        FUZZ_CHECK(control->GetLine(line) ==
                       m.text.substr(std::size_t(lineStart), std::size_t(lineEnd - lineStart)),
                   "a line's text differs");
        lineStart = lineEnd + 1;
    }
    FUZZ_CHECK(control->LineIndex(lines) == -1, "a line after the last");
    FUZZ_CHECK(control->GetSelText() == m.text.substr(std::size_t(m.start), std::size_t(m.end - m.start)),
               "the selected text differs");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "fuzz_richedit_edits";
    static char* argv[] = {name, nullptr};
    app = new QApplication(argc, argv);
    control = new CRichEditCtrl;
    control->LimitText(1 << 24);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    control->StreamIn(StreamFormat::Text, std::string_view());
    CEditUndoRecord record;
    record.Attach(control);
    Model m;
    std::string before, after; // the text around the last recorded edit
    bool undoable = false;
    auto edited = [&](const std::string& old) {
        before = old;
        after = m.text;
        undoable = true;
    };
    for (int step = 0; step < 40 && input.remaining_bytes() > 0; ++step) {
        const long length = long(m.text.size());
        const std::string old = m.text;
        switch (input.ConsumeIntegralInRange(0, 9)) {
        case 0: { // a selection, the ends anywhere, -1 or past the end
            long s = input.ConsumeIntegralInRange<long>(0, length + 2);
            long e = input.ConsumeBool() ? -1 : input.ConsumeIntegralInRange<long>(0, length + 2);
            control->SetSel(s, e);
            s = Snap(m.text, std::min(s, length));
            e = Snap(m.text, e < 0 ? length : std::min(e, length));
            m.start = std::min(s, e);
            m.end = std::max(s, e);
            break;
        }
        case 1:
        case 2: { // ReplaceSel, recorded as the editor records a replacement
            std::string bytes;
            for (int n = input.ConsumeIntegralInRange(0, 4); n > 0; --n)
                bytes += input.PickValueInArray(kPieces);
            const std::string replaced = m.text.substr(std::size_t(m.start), std::size_t(m.end - m.start));
            const long start = m.start;
            control->ReplaceSel(bytes);
            Replace(m, Normalised(bytes));
            if (!replaced.empty() || m.end > start) {
                record.Set(CEditUndoRecord::kInsertion, start, m.end, replaced);
                edited(old);
            }
            break;
        }
        case 3: { // a typed character
            const QString typed = QString::fromUtf16(input.PickValueInArray(kTyped));
            record.NoteKeyDown(0, typed);
            Key(0, typed);
            Replace(m, sjis::FromUnicode(typed));
            edited(old);
            break;
        }
        case 4: // Enter
            record.NoteKeyDown(Qt::Key_Return, "\r");
            Key(Qt::Key_Return, "\r");
            Replace(m, "\r");
            edited(old);
            break;
        case 5: // Backspace
            record.NoteKeyDown(Qt::Key_Backspace, QString());
            Key(Qt::Key_Backspace);
            if (m.start == m.end && m.start > 0)
                m.start = PreviousStart(m.text, m.start);
            if (m.start != m.end) {
                Replace(m, "");
                edited(old);
            } else {
                undoable = false;
            }
            break;
        case 6: // Delete
            record.NoteKeyDown(Qt::Key_Delete, QString());
            Key(Qt::Key_Delete);
            if (m.start == m.end && m.end < length)
                m.end = m.start + long(sjis::CharLength(m.text, std::size_t(m.start)));
            if (m.start != m.end) {
                Replace(m, "");
                edited(old);
            } else {
                undoable = false;
            }
            break;
        case 7: // cut, through the keyboard as a user cuts
            if (m.start == m.end)
                break;
            record.NoteKeyDown(Qt::Key_X, "\x18", Qt::ControlModifier);
            Key(Qt::Key_X, "\x18", Qt::ControlModifier);
            m.clipboard = m.text.substr(std::size_t(m.start), std::size_t(m.end - m.start));
            m.hasClipboard = true;
            Replace(m, "");
            edited(old);
            break;
        case 8: // paste
            if (!m.hasClipboard)
                break;
            record.NoteKeyDown(Qt::Key_V, "\x16", Qt::ControlModifier);
            Key(Qt::Key_V, "\x16", Qt::ControlModifier);
            Replace(m, m.clipboard);
            if (!m.clipboard.empty() || old != m.text)
                edited(old);
            break;
        case 9: { // the editor's undo: once undoes, again redoes
            record.TakeBack();
            if (!undoable)
                break;
            FUZZ_CHECK(control->GetTextRange(0, -1) == before,
                       "undo did not give back the text before the edit");
            m.text = before;
            std::swap(before, after);
            long s = 0, e = 0;
            control->GetSel(s, e);
            FUZZ_CHECK(0 <= s && s <= e && e <= long(m.text.size()),
                       "undo left the selection outside the text");
            FUZZ_CHECK(Snap(m.text, s) == s && Snap(m.text, e) == e,
                       "undo left the selection inside a character");
            m.start = s;
            m.end = e;
            break;
        }
        }
        Compare(m);
    }
    // What the control posted to itself (the scroll bar's range, the
    // viewport's updates) is delivered here as the program's event loop
    // delivers it between keystrokes; left alone it would pile up from one
    // input to the next.
    QCoreApplication::sendPostedEvents();
    return 0;
}
