#include "platform/richedit/CRichEditCtrl.h"

#include "platform/richedit/ByteIndex.h"
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
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <limits>
#include <unordered_map>

namespace {

// The character set of a stretch of text, kept in its format because Qt has
// no such attribute.
constexpr int kCharSetProperty = QTextFormat::UserProperty + 0x4B58;

constexpr long kDefaultLimit = 32767;

// SetContent formats this many lines at once (more than any screen shows);
// the rest follows in slices of kFormatSlice stretches while the event loop
// is idle, each slice a few milliseconds.
constexpr int kFirstScreenLines = 300;
constexpr std::size_t kFormatSlice = 4000;

constexpr std::array<QPalette::ColorGroup, 3> kColorGroups = {QPalette::Active, QPalette::Inactive,
                                                              QPalette::Disabled};

COLORREF ToColorRef(const QColor& c)
{
    return RGB(BYTE(c.red()), BYTE(c.green()), BYTE(c.blue()));
}

QColor ToQColor(COLORREF c)
{
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

// Automatic colour is either no foreground at all or an empty brush, which
// the painter draws in the palette's text colour; SetCharFormat uses the
// latter because merging a format can add properties but not remove them.
bool HasColor(const QTextCharFormat& f)
{
    return f.hasProperty(QTextFormat::ForegroundBrush) && f.foreground().style() != Qt::NoBrush;
}

// Appends text with "\r\n", "\r" and "\n" each turned into one "\n". afterCr
// carries a trailing "\r" over to the next piece, so that a "\r\n" split
// between two pieces still makes one break.
void AppendUnifyingBreaks(QString& out, QStringView text, bool& afterCr)
{
    for (QChar c : text) {
        if (c == u'\r') {
            out += u'\n';
            afterCr = true;
            continue;
        }
        if (c == u'\n' && afterCr) {
            afterCr = false;
            continue;
        }
        afterCr = false;
        out += c;
    }
}

QString UnifyBreaks(QStringView text)
{
    QString out;
    out.reserve(text.size());
    bool afterCr = false;
    AppendUnifyingBreaks(out, text, afterCr);
    return out;
}

// The document's text of [from, to) with every line break as "\r".
QString TextOf(QTextDocument* document, int from, int to)
{
    if (to <= from)
        return {};
    QTextCursor c(document);
    c.setPosition(from);
    c.setPosition(to, QTextCursor::KeepAnchor);
    QString text = c.selectedText();
    text.replace(QChar::ParagraphSeparator, u'\r');
    return text;
}

QTextCharFormat FormatOfRun(const RtfRun& run)
{
    QTextCharFormat f;
    if (run.hasColor)
        f.setForeground(ToQColor(run.color));
    if (!run.face.empty())
        f.setFontFamilies({ByteIndex::Decode(run.face)});
    if (run.charSet != 1)
        f.setProperty(kCharSetProperty, int(run.charSet));
    if (run.halfPoints > 0)
        f.setFontPointSize(run.halfPoints / 2.0);
    if (run.bold)
        f.setFontWeight(QFont::Bold);
    if (run.italic)
        f.setFontItalic(true);
    return f;
}

// A run with the format's own attributes and no text.
RtfRun RunOfFormat(const QTextCharFormat& f)
{
    RtfRun run;
    run.hasColor = HasColor(f);
    if (run.hasColor)
        run.color = ToColorRef(f.foreground().color());
    const QStringList families = f.property(QTextFormat::FontFamilies).toStringList();
    if (!families.isEmpty())
        run.face = ByteIndex::Encode(families.first());
    if (f.hasProperty(kCharSetProperty))
        run.charSet = BYTE(f.intProperty(kCharSetProperty));
    if (f.hasProperty(QTextFormat::FontPointSize))
        run.halfPoints = int(std::lround(f.fontPointSize() * 2));
    run.bold = f.hasProperty(QTextFormat::FontWeight) && f.fontWeight() >= QFont::Bold;
    run.italic = f.fontItalic();
    return run;
}

// The attributes a CharFormat's mask names, as a format to merge.
QTextCharFormat MaskedFormat(const CharFormat& format)
{
    QTextCharFormat f;
    if (format.mask & CFM_COLOR) {
        if (format.effects & CFE_AUTOCOLOR)
            f.setForeground(QBrush());
        else
            f.setForeground(ToQColor(format.color));
    }
    if (format.mask & CFM_FACE)
        f.setFontFamilies({ByteIndex::Decode(format.face)});
    if ((format.mask & CFM_SIZE) && format.heightTwips > 0)
        f.setFontPointSize(format.heightTwips / 20.0);
    if (format.mask & CFM_CHARSET)
        f.setProperty(kCharSetProperty, int(format.charSet));
    if (format.mask & CFM_BOLD)
        f.setFontWeight((format.effects & CFE_BOLD) ? QFont::Bold : QFont::Normal);
    if (format.mask & CFM_ITALIC)
        f.setFontItalic((format.effects & CFE_ITALIC) != 0);
    return f;
}

// The attributes of a run as a key: colour, character set, bold, italic and
// size in the first number, the face's number in the second.
struct PackedFormat {
    std::uint64_t attributes;
    std::uint64_t face;
    bool operator==(const PackedFormat&) const = default;
};

struct PackedFormatHash {
    std::size_t operator()(const PackedFormat& f) const
    {
        return std::hash<std::uint64_t>()(f.attributes * 0x9E3779B97F4A7C15ull ^ f.face);
    }
};

std::vector<CRichEditCtrl::StreamReader>& StreamReaders()
{
    static std::vector<CRichEditCtrl::StreamReader> readers;
    return readers;
}

bool IsWordChar(QChar c)
{
    return c.isLetterOrNumber() || c == u'_';
}

} // namespace

CRichEditCtrl::CRichEditCtrl(QWidget* parent) : QPlainTextEdit(parent)
{
    setUndoRedoEnabled(false);
    index_ = std::make_unique<ByteIndex>(document());
    formatTimer_ = new QTimer(this);
    formatTimer_->setSingleShot(true);
    formatTimer_->setInterval(0);
    connect(formatTimer_, &QTimer::timeout, this, [this] { ApplyPendingFormats(kFormatSlice); });
    contentsConnection_ = connect(
        document(), &QTextDocument::contentsChange, this,
        [this](int position, int removed, int added) { MovePendingFormats(position, removed, added); });
    const QPalette p = palette();
    for (std::size_t i = 0; i < kColorGroups.size(); ++i) {
        highlight_[i] = p.brush(kColorGroups[i], QPalette::Highlight);
        highlightedText_[i] = p.brush(kColorGroups[i], QPalette::HighlightedText);
    }
    autoColor_ = p.color(QPalette::Active, QPalette::Text);
}

CRichEditCtrl::~CRichEditCtrl()
{
    disconnect(contentsConnection_);
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
    QString text;
    std::vector<Styled> styled;
    std::vector<QTextCharFormat> formats;
    // Formats by their attributes packed into two numbers, the face by its
    // place among the faces seen (the views point into the runs).
    std::unordered_map<PackedFormat, int, PackedFormatHash> formatIndex;
    std::unordered_map<std::string_view, std::uint64_t> faceIndex;
    std::size_t total = 0;
    for (const RtfRun& run : runs)
        total += run.text.size();
    text.reserve(qsizetype(total));
    bool afterCr = false;
    for (const RtfRun& run : runs) {
        const int start = int(text.size());
        std::string_view bytes = run.text;
        if (afterCr && !bytes.empty() && bytes.front() == '\n')
            bytes.remove_prefix(1); // the LF of a CR LF split between runs
        afterCr = false;
        if (bytes.find('\r') == std::string_view::npos)
            ByteIndex::AppendDecoded(bytes, text);
        else
            AppendUnifyingBreaks(text, ByteIndex::Decode(bytes), afterCr);
        const int length = int(text.size()) - start;
        const bool plain = !run.hasColor && run.face.empty() && run.charSet == 1 && run.halfPoints <= 0 &&
                           !run.bold && !run.italic;
        if (length == 0 || plain)
            continue;
        std::uint64_t face = 0;
        if (!run.face.empty())
            face = faceIndex.try_emplace(run.face, faceIndex.size() + 1).first->second;
        const PackedFormat key{(run.hasColor ? (std::uint64_t(run.color & 0xFFFFFF) | 1u << 24) : 0) |
                                   std::uint64_t(run.charSet) << 25 | std::uint64_t(run.bold) << 33 |
                                   std::uint64_t(run.italic) << 34 |
                                   std::uint64_t(std::uint32_t(std::max(0, run.halfPoints))) << 35,
                               face};
        auto [it, added] = formatIndex.try_emplace(key, int(formats.size()));
        if (added)
            formats.push_back(FormatOfRun(run));
        if (!styled.empty() && styled.back().format == it->second &&
            styled.back().start + styled.back().length == start)
            styled.back().length += length;
        else
            styled.push_back({start, length, it->second});
    }
    SetContent(text, std::move(styled), std::move(formats));
}

void CRichEditCtrl::SetContent(const QString& text, std::vector<Styled> styled,
                               std::vector<QTextCharFormat> formats)
{
    QTextDocument* doc = document();
    formatTimer_->stop();
    applyingFormats_ = true;
    {
        // One edit block: the document reports one change, and the index and
        // the layout take it in one pass.
        QTextCursor c(doc);
        c.beginEditBlock();
        doc->setPlainText(text);
        pending_ = std::move(styled);
        pendingFormats_ = std::move(formats);
        pendingNext_ = 0;
        const QTextBlock screenEnd = doc->findBlockByNumber(kFirstScreenLines);
        FormatStretches(c, pending_.size(),
                        screenEnd.isValid() ? screenEnd.position() : doc->characterCount());
        c.endEditBlock();
    }
    applyingFormats_ = false;
    setTextCursor(QTextCursor(doc));
    doc->setModified(false);
    ApplyPendingFormats(0); // starts the slices, or lets go of the lists
}

void CRichEditCtrl::ApplyPendingFormats(std::size_t most) const
{
    if (pendingNext_ < pending_.size() && most > 0) {
        QTextDocument* doc = document();
        const bool modified = doc->isModified();
        applyingFormats_ = true;
        QTextCursor c(doc);
        c.beginEditBlock();
        FormatStretches(c, most, std::numeric_limits<int>::max());
        c.endEditBlock();
        applyingFormats_ = false;
        // Colouring what was loaded is no change of the user's.
        if (!modified)
            doc->setModified(false);
    }
    if (pendingNext_ < pending_.size()) {
        formatTimer_->start();
    } else {
        formatTimer_->stop();
        pending_ = {};
        pendingFormats_ = {};
        pendingNext_ = 0;
    }
}

void CRichEditCtrl::FormatStretches(QTextCursor& c, std::size_t most, int before) const
{
    const int end = document()->characterCount() - 1;
    for (std::size_t n = 0;
         n < most && pendingNext_ < pending_.size() && pending_[pendingNext_].start < before;
         ++n, ++pendingNext_) {
        const Styled& s = pending_[pendingNext_];
        c.setPosition(std::min(s.start, end));
        c.setPosition(std::min(s.start + s.length, end), QTextCursor::KeepAnchor);
        c.setCharFormat(pendingFormats_[std::size_t(s.format)]);
    }
}

void CRichEditCtrl::ApplyAllFormats() const
{
    if (pendingNext_ < pending_.size())
        ApplyPendingFormats(pending_.size());
}

void CRichEditCtrl::MovePendingFormats(int position, int removed, int added)
{
    if (applyingFormats_ || pendingNext_ >= pending_.size())
        return;
    // Stretches before the change stay, those after it move with the text,
    // and of one the change overlaps only the parts outside it are kept.
    const int end = position + removed;
    const int shift = added - removed;
    std::vector<Styled> moved;
    moved.reserve(pending_.size() - pendingNext_ + 1);
    for (std::size_t i = pendingNext_; i < pending_.size(); ++i) {
        const Styled& s = pending_[i];
        const int sEnd = s.start + s.length;
        if (sEnd <= position) {
            moved.push_back(s);
        } else if (s.start >= end) {
            moved.push_back({s.start + shift, s.length, s.format});
        } else {
            if (s.start < position)
                moved.push_back({s.start, position - s.start, s.format});
            if (sEnd > end)
                moved.push_back({end + shift, sEnd - end, s.format});
        }
    }
    pending_ = std::move(moved);
    pendingNext_ = 0;
}

RtfRuns CRichEditCtrl::GetRuns() const
{
    ApplyAllFormats();
    RtfRuns runs;
    auto append = [&runs](const RtfRun& format, std::string_view text) {
        if (text.empty())
            return;
        if (runs.empty() || !runs.back().SameFormat(format)) {
            runs.push_back(format);
            runs.back().text.clear();
        }
        runs.back().text += text;
    };
    for (QTextBlock b = document()->begin(); b.isValid(); b = b.next()) {
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            append(RunOfFormat(f.charFormat()), ByteIndex::Encode(f.text()));
        }
        if (b.next().isValid()) {
            // A break belongs to the run before it; an empty first line gets
            // a run of its own.
            if (runs.empty())
                runs.emplace_back();
            runs.back().text += '\n';
        }
    }
    return runs;
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
    return ByteIndex::Encode(TextOf(document(), ToDocumentPosition(first), ToDocumentPosition(last)));
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
    return ByteIndex::Encode(TextOf(document(), c.selectionStart(), c.selectionEnd()));
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
    const QTextCharFormat f = MaskedFormat(format);
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
    if (HasColor(f)) {
        out.color = ToColorRef(f.foreground().color());
    } else {
        out.color = ToColorRef(palette().color(QPalette::Active, QPalette::Text));
        out.effects |= CFE_AUTOCOLOR;
    }
    const QStringList families = f.property(QTextFormat::FontFamilies).toStringList();
    out.face = ByteIndex::Encode(families.isEmpty() ? font().family() : families.first());
    const double points = f.hasProperty(QTextFormat::FontPointSize) ? f.fontPointSize() : font().pointSizeF();
    out.heightTwips = LONG(std::lround(points * 20));
    out.charSet = f.hasProperty(kCharSetProperty) ? BYTE(f.intProperty(kCharSetProperty)) : defaultCharSet_;
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
        const QColor color = (format.effects & CFE_AUTOCOLOR) ? autoColor_ : ToQColor(format.color);
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
    InsertAtCaret(FitToLimit(UnifyBreaks(ByteIndex::Decode(bytes))));
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
    const QString text = FitToLimit(UnifyBreaks(ByteIndex::Normalize(source->text())));
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
    const QString fitted = FitToLimit(UnifyBreaks(ByteIndex::Normalize(commit)));
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
    QString needle = ByteIndex::Decode(text);
    needle = UnifyBreaks(needle).replace(u'\n', u'\r');
    if (needle.isEmpty())
        return -1;
    const long length = GetTextLength();
    from = std::clamp(from, 0L, length);
    long lo = 0;
    long hi = 0;
    if (flags & FR_DOWN) {
        lo = from;
        hi = (to < 0 || to > length) ? length : to;
    } else {
        lo = (to < 0 || to > from) ? 0 : to;
        hi = from;
    }
    if (hi <= lo)
        return -1;
    const int docLo = ToDocumentPosition(lo);
    const int docHi = ToDocumentPosition(hi);
    // The range's text, with a character of context on each side for whole
    // words. Matches start at or after first and end by last.
    const int docFrom = std::max(0, docLo - 1);
    const int docTo = std::min(document()->characterCount() - 1, docHi + 1);
    const QString hay = TextOf(document(), docFrom, docTo);
    const qsizetype first = docLo - docFrom;
    const qsizetype last = docHi - docFrom;
    const Qt::CaseSensitivity cs = (flags & FR_MATCHCASE) ? Qt::CaseSensitive : Qt::CaseInsensitive;
    auto fits = [&](qsizetype at) {
        if (at < first || at + needle.size() > last)
            return false;
        if (!(flags & FR_WHOLEWORD))
            return true;
        const bool before = at > 0 && IsWordChar(hay[at - 1]);
        const bool after = at + needle.size() < hay.size() && IsWordChar(hay[at + needle.size()]);
        return !before && !after;
    };
    qsizetype at = -1;
    if (flags & FR_DOWN) {
        for (at = hay.indexOf(needle, first, cs); at >= 0 && !fits(at);
             at = hay.indexOf(needle, at + 1, cs)) {
            if (at + needle.size() > last) {
                at = -1;
                break;
            }
        }
    } else {
        const qsizetype start = last - needle.size();
        if (start < first)
            return -1;
        for (at = hay.lastIndexOf(needle, start, cs); at >= 0 && !fits(at);
             at = at > 0 ? hay.lastIndexOf(needle, at - 1, cs) : -1) {
            if (at < first) {
                at = -1;
                break;
            }
        }
    }
    if (at < 0)
        return -1;
    return FromDocumentPosition(docFrom + int(at));
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
