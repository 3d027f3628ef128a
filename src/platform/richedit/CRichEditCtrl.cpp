#include "platform/richedit/CRichEditCtrl.h"

#include "platform/richedit/ByteIndex.h"
#include "platform/richedit/LineBreaks.h"
#include "platform/richedit/PendingFormats.h"
#include "platform/richedit/StyledContent.h"
#include "platform/rtf/RtfReader.h"
#include "platform/rtf/RtfWriter.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>
#include <cmath>

namespace {

constexpr long kDefaultLimit = 32767;

constexpr std::array<QPalette::ColorGroup, 3> kColorGroups = {QPalette::Active, QPalette::Inactive,
                                                              QPalette::Disabled};

std::vector<CRichEditCtrl::StreamReader>& StreamReaders()
{
    static std::vector<CRichEditCtrl::StreamReader> readers;
    return readers;
}

} // namespace

CRichEditCtrl::CRichEditCtrl(QWidget* parent) : QPlainTextEdit(parent)
{
    setUndoRedoEnabled(false);
    index_ = std::make_unique<ByteIndex>(document());
    pending_ = new PendingFormats(document(), this);
    const QPalette p = palette();
    for (std::size_t i = 0; i < kColorGroups.size(); ++i) {
        highlight_[i] = p.brush(kColorGroups[i], QPalette::Highlight);
        highlightedText_[i] = p.brush(kColorGroups[i], QPalette::HighlightedText);
    }
    autoColor_ = p.color(QPalette::Active, QPalette::Text);
}

CRichEditCtrl::~CRichEditCtrl()
{
    if (!shared_)
        return;
    // Let go of the shared document before the control goes, so that the
    // last control showing it deletes it after nothing refers to it.
    index_.reset();
    delete pending_;
    pending_ = nullptr;
    setDocument(nullptr);
    shared_.reset();
}

void CRichEditCtrl::ShareDocument(CRichEditCtrl& other)
{
    if (&other == this || other.document() == document())
        return;
    other.ApplyAllFormats();
    if (!other.shared_) {
        QTextDocument* doc = other.document();
        // The document no longer belongs to the control that made it.
        doc->setParent(nullptr);
        other.shared_ = std::shared_ptr<QTextDocument>(doc, [](QTextDocument* d) { delete d; });
    }
    index_.reset();
    delete pending_;
    shared_ = other.shared_;
    setDocument(shared_.get());
    index_ = std::make_unique<ByteIndex>(document());
    pending_ = new PendingFormats(document(), this);
    setFont(other.font());
}

// ---- streams ----

void CRichEditCtrl::StreamIn(StreamFormat format, const std::function<long(char* buffer, long cb)>& source)
{
    std::string stream;
    constexpr long kChunk = 4096;
    char buffer[kChunk];
    for (;;) {
        const long got = source(buffer, kChunk);
        if (got <= 0)
            break;
        stream.append(buffer, std::size_t(std::min(got, kChunk)));
    }
    StreamIn(format, stream);
}

void CRichEditCtrl::StreamIn(StreamFormat format, std::string_view stream)
{
    if (format == StreamFormat::Text) {
        RtfRuns runs(1);
        runs.front().text.assign(stream);
        SetRuns(runs);
        return;
    }
    for (const StreamReader& reader : StreamReaders()) {
        if (std::optional<RtfRuns> runs = reader(stream)) {
            SetRuns(*runs);
            return;
        }
    }
    SetRuns(RtfReader::Read(stream));
}

std::string CRichEditCtrl::StreamOut(StreamFormat format) const
{
    if (format == StreamFormat::Rtf)
        return RtfWriter::Write(GetRuns(), ByteIndex::Encode(font().family()),
                                int(std::lround(font().pointSizeF() * 2)));
    std::string out;
    out.reserve(std::size_t(GetTextLength() + GetLineCount()));
    for (QTextBlock b = document()->begin(); b.isValid(); b = b.next()) {
        if (b != document()->begin())
            out += "\r\n";
        out += ByteIndex::Encode(b.text());
    }
    return out;
}

void CRichEditCtrl::SetRuns(const RtfRuns& runs)
{
    SetContent(StyledContent::FromRuns(runs));
}

void CRichEditCtrl::SetContent(StyledContent content)
{
    pending_->Load(std::move(content));
    setTextCursor(QTextCursor(document()));
    document()->setModified(false);
    pending_->Apply(0); // starts the slices, or lets go of the lists
}

void CRichEditCtrl::ApplyAllFormats() const
{
    pending_->ApplyAll();
}

RtfRuns CRichEditCtrl::GetRuns() const
{
    ApplyAllFormats();
    return StyledContent::ReadRuns(document());
}

void CRichEditCtrl::AddStreamReader(StreamReader reader)
{
    StreamReaders().push_back(std::move(reader));
}

// ---- text and positions ----

long CRichEditCtrl::GetTextLength() const
{
    return index_->Length();
}

std::string CRichEditCtrl::GetTextRange(long first, long last) const
{
    const long length = GetTextLength();
    if (last < 0)
        last = length;
    first = std::clamp(first, 0L, length);
    last = std::clamp(last, 0L, length);
    if (last <= first)
        return {};
    return ByteIndex::Encode(
        LineBreaks::TextOf(document(), ToDocumentPosition(first), ToDocumentPosition(last)));
}

void CRichEditCtrl::GetSel(long& start, long& end) const
{
    const QTextCursor c = textCursor();
    start = FromDocumentPosition(c.selectionStart());
    end = FromDocumentPosition(c.selectionEnd());
}

void CRichEditCtrl::SetSel(long start, long end)
{
    QTextCursor c = textCursor();
    if (start < 0) {
        c.setPosition(c.selectionEnd());
    } else {
        const long length = GetTextLength();
        if (end < 0)
            end = length;
        c.setPosition(ToDocumentPosition(std::min(start, length)));
        c.setPosition(ToDocumentPosition(std::min(end, length)), QTextCursor::KeepAnchor);
    }
    setTextCursor(c);
}

std::string CRichEditCtrl::GetSelText() const
{
    const QTextCursor c = textCursor();
    return ByteIndex::Encode(LineBreaks::TextOf(document(), c.selectionStart(), c.selectionEnd()));
}

long CRichEditCtrl::LineFromChar(long pos) const
{
    if (pos < 0)
        return document()->findBlock(textCursor().selectionStart()).blockNumber();
    return index_->BlockAt(pos);
}

long CRichEditCtrl::LineIndex(long line) const
{
    if (line == -1)
        line = textCursor().blockNumber();
    if (line < 0 || line >= GetLineCount())
        return -1;
    return index_->BlockStart(int(line));
}

long CRichEditCtrl::LineLength(long pos) const
{
    return index_->BlockBytes(int(LineFromChar(pos)));
}

std::string CRichEditCtrl::GetLine(long line) const
{
    if (line < 0 || line >= GetLineCount())
        return {};
    return ByteIndex::Encode(document()->findBlockByNumber(int(line)).text());
}

long CRichEditCtrl::GetLineCount() const
{
    return document()->blockCount();
}

QPoint CRichEditCtrl::PosFromChar(long pos) const
{
    QTextCursor c(document());
    c.setPosition(ToDocumentPosition(pos));
    return cursorRect(c).topLeft();
}

long CRichEditCtrl::CharFromPos(QPoint point) const
{
    return FromDocumentPosition(cursorForPosition(point).position());
}

long CRichEditCtrl::GetFirstVisibleLine() const
{
    return firstVisibleBlock().blockNumber();
}

void CRichEditCtrl::LineScroll(long lines)
{
    const long target = std::clamp(GetFirstVisibleLine() + lines, 0L, GetLineCount() - 1);
    // The scroll bar counts visual lines, which differ from lines when long
    // lines wrap.
    verticalScrollBar()->setValue(document()->findBlockByNumber(int(target)).firstLineNumber());
}

// ---- selection and formats ----

void CRichEditCtrl::HideSelection(bool hide)
{
    if (hide == selectionHidden_)
        return;
    selectionHidden_ = hide;
    // Empty brushes make the painter skip the selection altogether: no
    // background, and the text keeps its own colours.
    QPalette p = palette();
    for (std::size_t i = 0; i < kColorGroups.size(); ++i) {
        p.setBrush(kColorGroups[i], QPalette::Highlight, hide ? QBrush() : highlight_[i]);
        p.setBrush(kColorGroups[i], QPalette::HighlightedText, hide ? QBrush() : highlightedText_[i]);
    }
    setPalette(p);
    viewport()->update();
}

void CRichEditCtrl::SetCharFormat(CharFormatTarget target, const CharFormat& format)
{
    const QTextCharFormat f = RichTextFormat::FromMasked(format);
    if (f.properties().isEmpty())
        return;
    ApplyAllFormats();
    switch (target) {
    case CharFormatTarget::Selection: mergeCurrentCharFormat(f); break;
    case CharFormatTarget::Word: {
        QTextCursor word = textCursor();
        if (!word.hasSelection())
            word.select(QTextCursor::WordUnderCursor);
        if (word.hasSelection())
            word.mergeCharFormat(f);
        else
            mergeCurrentCharFormat(f);
        break;
    }
    case CharFormatTarget::All: {
        QTextCursor all(document());
        all.select(QTextCursor::Document);
        all.mergeCharFormat(f);
        // Text typed at the caret takes the new format too.
        if (!textCursor().hasSelection())
            mergeCurrentCharFormat(f);
        break;
    }
    }
}

CharFormat CRichEditCtrl::Describe(const QTextCharFormat& f) const
{
    CharFormat out;
    out.mask = CFM_COLOR | CFM_FACE | CFM_SIZE | CFM_CHARSET | CFM_BOLD | CFM_ITALIC;
    if (RichTextFormat::HasColor(f)) {
        out.color = RichTextFormat::ToColorRef(f.foreground().color());
    } else {
        out.color = RichTextFormat::ToColorRef(palette().color(QPalette::Active, QPalette::Text));
        out.effects |= CFE_AUTOCOLOR;
    }
    const QStringList families = f.property(QTextFormat::FontFamilies).toStringList();
    out.face = ByteIndex::Encode(families.isEmpty() ? font().family() : families.first());
    const double points = f.hasProperty(QTextFormat::FontPointSize) ? f.fontPointSize() : font().pointSizeF();
    out.heightTwips = LONG(std::lround(points * 20));
    out.charSet = f.hasProperty(RichTextFormat::kCharSetProperty)
                      ? BYTE(f.intProperty(RichTextFormat::kCharSetProperty))
                      : defaultCharSet_;
    const bool bold = f.hasProperty(QTextFormat::FontWeight) ? f.fontWeight() >= QFont::Bold
                                                             : font().weight() >= QFont::Bold;
    const bool italic = f.hasProperty(QTextFormat::FontItalic) ? f.fontItalic() : font().italic();
    if (bold)
        out.effects |= CFE_BOLD;
    if (italic)
        out.effects |= CFE_ITALIC;
    return out;
}

QTextCharFormat CRichEditCtrl::FormatAt(int documentPosition) const
{
    const QTextBlock b = document()->findBlock(documentPosition);
    for (auto it = b.begin(); !it.atEnd(); ++it) {
        const QTextFragment f = it.fragment();
        if (documentPosition < f.position() + f.length())
            return f.charFormat();
    }
    // The line break: its format is the next line's character format.
    return b.next().isValid() ? b.next().charFormat() : b.charFormat();
}

CharFormat CRichEditCtrl::GetCharFormat() const
{
    ApplyAllFormats();
    const QTextCursor c = textCursor();
    if (!c.hasSelection())
        return Describe(c.charFormat());
    const int from = c.selectionStart();
    const int to = c.selectionEnd();
    std::optional<CharFormat> result;
    auto take = [&result, this](const QTextCharFormat& format) {
        const CharFormat d = Describe(format);
        if (!result) {
            result = d;
            return;
        }
        DWORD& mask = result->mask;
        if ((d.effects & CFE_AUTOCOLOR) != (result->effects & CFE_AUTOCOLOR) || d.color != result->color)
            mask &= ~CFM_COLOR;
        if (d.face != result->face)
            mask &= ~CFM_FACE;
        if (d.heightTwips != result->heightTwips)
            mask &= ~CFM_SIZE;
        if (d.charSet != result->charSet)
            mask &= ~CFM_CHARSET;
        if ((d.effects & CFE_BOLD) != (result->effects & CFE_BOLD))
            mask &= ~CFM_BOLD;
        if ((d.effects & CFE_ITALIC) != (result->effects & CFE_ITALIC))
            mask &= ~CFM_ITALIC;
    };
    for (QTextBlock b = document()->findBlock(from); b.isValid() && b.position() < to; b = b.next()) {
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            if (f.position() >= to)
                break;
            if (f.position() + f.length() > from)
                take(f.charFormat());
        }
    }
    // A selection of nothing but line breaks.
    if (!result)
        take(FormatAt(from));
    return *result;
}

void CRichEditCtrl::SetDefaultCharFormat(const CharFormat& format)
{
    QFont f = font();
    if (format.mask & CFM_FACE)
        f.setFamilies({ByteIndex::Decode(format.face)});
    if ((format.mask & CFM_SIZE) && format.heightTwips > 0)
        f.setPointSizeF(format.heightTwips / 20.0);
    if (format.mask & CFM_BOLD)
        f.setBold((format.effects & CFE_BOLD) != 0);
    if (format.mask & CFM_ITALIC)
        f.setItalic((format.effects & CFE_ITALIC) != 0);
    if (f != font())
        setFont(f);
    if (format.mask & CFM_COLOR) {
        QPalette p = palette();
        const QColor color =
            (format.effects & CFE_AUTOCOLOR) ? autoColor_ : RichTextFormat::ToQColor(format.color);
        for (QPalette::ColorGroup group : kColorGroups)
            p.setColor(group, QPalette::Text, color);
        setPalette(p);
    }
    if (format.mask & CFM_CHARSET)
        defaultCharSet_ = format.charSet;
}

// ---- editing ----

QString CRichEditCtrl::FitToLimit(const QString& text) const
{
    const QTextCursor c = textCursor();
    const long selected = FromDocumentPosition(c.selectionEnd()) - FromDocumentPosition(c.selectionStart());
    const qsizetype fits = ByteIndex::FitUnits(text, limit_ - (GetTextLength() - selected));
    return fits == text.size() ? text : text.left(fits);
}

void CRichEditCtrl::InsertAtCaret(const QString& text)
{
    QTextCursor c = textCursor();
    if (c.hasSelection()) {
        const QTextCharFormat format = FormatAt(c.selectionStart());
        c.removeSelectedText();
        if (!text.isEmpty())
            c.insertText(text, format);
    } else if (!text.isEmpty()) {
        c.insertText(text);
    }
    setTextCursor(c);
}

void CRichEditCtrl::ReplaceSel(std::string_view bytes)
{
    ApplyAllFormats();
    InsertAtCaret(FitToLimit(LineBreaks::Unify(ByteIndex::Decode(bytes))));
}

void CRichEditCtrl::Clear()
{
    if (isReadOnly())
        return;
    ApplyAllFormats();
    QTextCursor c = textCursor();
    if (!c.hasSelection())
        return;
    c.removeSelectedText();
    setTextCursor(c);
}

void CRichEditCtrl::Cut()
{
    if (isReadOnly() || !textCursor().hasSelection())
        return;
    Copy();
    Clear();
}

void CRichEditCtrl::Copy() const
{
    const QTextCursor c = textCursor();
    if (!c.hasSelection())
        return;
    QString text = c.selectedText();
    text.replace(QChar::ParagraphSeparator, u'\n');
    QGuiApplication::clipboard()->setText(text);
}

void CRichEditCtrl::Paste()
{
    if (isReadOnly())
        return;
    ApplyAllFormats();
    if (const QMimeData* data = QGuiApplication::clipboard()->mimeData())
        insertFromMimeData(data);
}

bool CRichEditCtrl::canInsertFromMimeData(const QMimeData* source) const
{
    return source && source->hasText();
}

void CRichEditCtrl::insertFromMimeData(const QMimeData* source)
{
    if (!source || !source->hasText())
        return;
    QTextCursor c = textCursor();
    const QString text = FitToLimit(LineBreaks::Unify(ByteIndex::Normalize(source->text())));
    c.insertText(text);
    setTextCursor(c);
    ensureCursorVisible();
}

void CRichEditCtrl::keyPressEvent(QKeyEvent* event)
{
    ApplyAllFormats();
    if (isReadOnly()) {
        QPlainTextEdit::keyPressEvent(event);
        return;
    }
    if (event == QKeySequence::InsertLineSeparator || event == QKeySequence::InsertParagraphSeparator) {
        // Both make a line break: a soft line break (U+2028) is no character
        // of code page 932.
        if (!FitToLimit(QStringLiteral("\n")).isEmpty()) {
            QTextCursor c = textCursor();
            c.insertBlock();
            setTextCursor(c);
            ensureCursorVisible();
        }
        event->accept();
        return;
    }
    const QString text = event->text();
    if (!InsertsText(event)) {
        QPlainTextEdit::keyPressEvent(event);
        return;
    }
    const QString fitted = FitToLimit(ByteIndex::Normalize(text));
    if (fitted.isEmpty()) {
        event->accept();
        return;
    }
    if (fitted == text) {
        QPlainTextEdit::keyPressEvent(event);
        return;
    }
    QKeyEvent copy(event->type(), event->key(), event->modifiers(), fitted, event->isAutoRepeat(),
                   ushort(event->count()));
    QPlainTextEdit::keyPressEvent(&copy);
    event->setAccepted(copy.isAccepted());
}

void CRichEditCtrl::inputMethodEvent(QInputMethodEvent* event)
{
    ApplyAllFormats();
    const QString commit = event->commitString();
    if (commit.isEmpty() || isReadOnly()) {
        QPlainTextEdit::inputMethodEvent(event);
        return;
    }
    const QString fitted = FitToLimit(LineBreaks::Unify(ByteIndex::Normalize(commit)));
    if (fitted == commit) {
        QPlainTextEdit::inputMethodEvent(event);
        return;
    }
    QInputMethodEvent copy(event->preeditString(), event->attributes());
    copy.setCommitString(fitted, event->replacementStart(), event->replacementLength());
    QPlainTextEdit::inputMethodEvent(&copy);
    event->setAccepted(copy.isAccepted());
}

long CRichEditCtrl::FindText(DWORD flags, long from, long to, std::string_view text) const
{
    return TextFinder(document(), *index_).Find(flags, from, to, text);
}

void CRichEditCtrl::LimitText(long limit)
{
    limit_ = limit > 0 ? limit : kDefaultLimit;
}

void CRichEditCtrl::EmptyUndoBuffer()
{
    document()->clearUndoRedoStacks();
}

bool CRichEditCtrl::GetModify() const
{
    return document()->isModified();
}

void CRichEditCtrl::SetModify(bool modified)
{
    document()->setModified(modified);
}

int CRichEditCtrl::ToDocumentPosition(long pos) const
{
    return index_->ToDocument(pos);
}

long CRichEditCtrl::FromDocumentPosition(int documentPosition) const
{
    return index_->FromDocument(documentPosition);
}

bool CRichEditCtrl::InsertsText(const QKeyEvent* event)
{
    const QString text = event->text();
    if (text.isEmpty())
        return false;
    const QChar c = text.front();
    if (c.category() == QChar::Other_Format)
        return true;
    const Qt::KeyboardModifiers mods = event->modifiers();
    if (mods == Qt::ControlModifier || mods == (Qt::ShiftModifier | Qt::ControlModifier))
        return false;
    return c.isPrint() || c.category() == QChar::Other_PrivateUse || c == u'\t' ||
           (c.isHighSurrogate() && text.size() > 1 && text[1].isLowSurrogate());
}
