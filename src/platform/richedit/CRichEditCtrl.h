// The rich-edit control every editor window, the syntax-check list and the
// debug console use: a QPlainTextEdit that offers the operations the program
// sends as rich-edit messages.
//
// Positions count code page 932 bytes with one position per line break: a
// double-byte character occupies two positions, a half-width katakana one. A
// position inside a double-byte character is moved to its start. Texts going
// in and out are code page 932 bytes; a character code page 932 cannot hold
// becomes "?" as it enters (typed, pasted, dropped, composed by an input
// method, or passed in), so a position always agrees with the bytes written
// out. Mapping a position to the document and back never walks the document
// from its start (see ByteIndex).
//
// Text without a colour of its own shows in the default text colour (the
// palette's Text, SetDefaultCharFormat changes it). The control keeps no undo
// record: the editor keeps its own. Use the operations below rather than
// QPlainTextEdit's setDocument (ShareDocument shows another control's
// document); the position index follows the control's document.
#pragma once

#include "platform/base/WinTypes.h"
#include "platform/richedit/RichTextFormat.h"
#include "platform/richedit/TextFinder.h"
#include "platform/rtf/RtfRun.h"

#include <QBrush>
#include <QPlainTextEdit>
#include <QTextCharFormat>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class ByteIndex;
class PendingFormats;
class QKeyEvent;
struct StyledContent;

// SCF_* targets of SetCharFormat.
enum class CharFormatTarget { Selection, Word, All };

enum class StreamFormat { Text, Rtf };

class CRichEditCtrl : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit CRichEditCtrl(QWidget* parent = nullptr);
    ~CRichEditCtrl() override;

    // ---- streams ----
    // Replaces the whole content with an RTF stream (StreamFormat::Rtf) or
    // plain code page 932 text. The stream is taken from the callback in the
    // chunk sizes the control asks for: the callback fills at most cb bytes
    // and returns how many it gave, 0 (or less) at the end. "\r\n", "\r" and
    // "\n" each make one line break. The text limit does not apply; the caret
    // goes to the start and the modification flag is cleared.
    void StreamIn(StreamFormat format, const std::function<long(char* buffer, long cb)>& source);
    void StreamIn(StreamFormat format, std::string_view stream);
    // The whole content: text with CR LF line breaks, or RTF.
    std::string StreamOut(StreamFormat format) const;
    // Replaces the whole content with runs, in one step, like StreamIn.
    // The text and the formats of the first screen go in at once; the other
    // formats follow while the event loop is idle, and anything that reads or
    // sets formats or edits through the control gets them all first, so
    // callers never see the difference (only an edit made on the document
    // itself in the meantime may leave its own new text uncoloured).
    void SetRuns(const RtfRuns& runs);
    // The content as runs of equal format ("\n" between paragraphs).
    RtfRuns GetRuns() const;

    // Readers that turn an RTF stream into runs; the first that accepts a
    // stream wins, the general RTF reader takes the rest. The colouring
    // engine registers the reader of the streams it builds.
    using StreamReader = std::function<std::optional<RtfRuns>(std::string_view stream)>;
    static void AddStreamReader(StreamReader reader);

    // ---- text and positions ----
    long GetTextLength() const;
    // Bytes [first, last); last -1 means the end. Line breaks read as "\r".
    std::string GetTextRange(long first, long last) const;
    void GetSel(long& start, long& end) const;
    // (0, -1) selects everything; a start of -1 (any negative start)
    // removes the selection and leaves the caret at its end; an end of -1
    // (any negative end) runs to the end. A start after the end selects
    // backwards, the caret at end. Positions beyond the end mean the end.
    void SetSel(long start, long end);
    std::string GetSelText() const;    // line breaks read as "\r"
    long LineFromChar(long pos) const; // -1: the line of the selection start
    long LineIndex(long line) const;   // -1: the caret's line; -1 when no such line
    // Length of the line holding pos, without its break; -1: the line of the
    // selection start.
    long LineLength(long pos) const;
    // The bytes of the line without its line break; "" when there is no such line.
    std::string GetLine(long line) const;
    long GetLineCount() const;
    // The top-left of a character in client co-ordinates of the viewport.
    QPoint PosFromChar(long pos) const;
    long CharFromPos(QPoint point) const;
    long GetFirstVisibleLine() const;
    void LineScroll(long lines);

    // ---- selection and formats ----
    // Hiding leaves the selection as it is and only stops it being drawn.
    void HideSelection(bool hide);
    bool SelectionHidden() const { return selectionHidden_; }
    // Applies the attributes the mask names (CFM_COLOR with CFE_AUTOCOLOR:
    // back to the default text colour; CFM_SIZE in twips); the others are
    // left as they are. Selection with an empty selection sets the format
    // the text typed next at the caret takes; Word applies to the selection,
    // or to the word at the caret when the selection is empty.
    void SetCharFormat(CharFormatTarget target, const CharFormat& format);
    // The format of the selection, with mask telling which attributes are the
    // same across all of it. With an empty selection: the format the text
    // typed at the caret would take, which is the format SetCharFormat set
    // for it or else that of the character before the caret (at the start of
    // a line, its first character).
    CharFormat GetCharFormat() const;
    // The default format: the face, size, bold and italic of the control's
    // font, the default text colour (CFE_AUTOCOLOR: the palette's own) and
    // the character set text without one of its own reports.
    void SetDefaultCharFormat(const CharFormat& format);

    // ---- editing ----
    // "\r", "\n" and "\r\n" each make one line break. The new text takes the
    // format of the selection's first character (with no selection, the
    // format typed text would take) and is cut to fit the text limit; it
    // works on a read-only control too.
    void ReplaceSel(std::string_view bytes);
    // Clear, Cut and Paste do nothing on a read-only control.
    void Clear(); // deletes the selection
    void Cut();
    void Copy() const;
    void Paste(); // plain text only, cut to fit the text limit
    // With FR_DOWN: the position of the first match lying in [from, to) (to
    // -1: the end). Without: the last match lying in [to, from) (to -1 or
    // beyond from: the start). -1 when there is none. Line breaks in the text
    // are written "\r" (or "\r\n", "\n"); FR_MATCHCASE compares case,
    // FR_WHOLEWORD wants no letter, digit or "_" on either side.
    long FindText(DWORD flags, long from, long to, std::string_view text) const;
    long GetLimitText() const { return limit_; }
    // Typing, pasting and ReplaceSel stop at the limit; StreamIn and SetRuns
    // do not. 0 (or less) sets the default of 32,767.
    void LimitText(long limit);
    void EmptyUndoBuffer();
    bool GetModify() const;
    void SetModify(bool modified);

    // Whether QPlainTextEdit takes a key's text as typed text (the same test
    // its own input handling applies), as opposed to a shortcut or a control
    // key.
    static bool InsertsText(const QKeyEvent* event);

    // Shows the other control's document from now on, as a second window on
    // the same text: edits and formats made through either show in both,
    // and so does the modification flag. The document lives as long as any
    // control showing it.
    void ShareDocument(CRichEditCtrl& other);

    // Maps between positions and the document's own character positions.
    int ToDocumentPosition(long pos) const;
    long FromDocumentPosition(int documentPosition) const;

protected:
    // Typed, composed, pasted and dropped text passes through code page 932
    // and the text limit on its way in.
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;
    bool canInsertFromMimeData(const QMimeData* source) const override;

private:
    // Loads the content and puts the caret at the start, unmodified.
    void SetContent(StyledContent content);
    void ApplyAllFormats() const;
    QString FitToLimit(const QString& text) const;
    void InsertAtCaret(const QString& text);
    QTextCharFormat FormatAt(int documentPosition) const;
    CharFormat Describe(const QTextCharFormat& format) const;

    // The document, once two controls show it: the last one to go deletes it.
    std::shared_ptr<QTextDocument> shared_;
    std::unique_ptr<ByteIndex> index_;
    PendingFormats* pending_ = nullptr;
    long limit_ = 32767;
    bool selectionHidden_ = false;
    BYTE defaultCharSet_ = 1;
    // The palette's own highlight brushes (active, inactive, disabled),
    // restored when the selection shows again, and its own text colour.
    std::array<QBrush, 3> highlight_;
    std::array<QBrush, 3> highlightedText_;
    QColor autoColor_;
};
