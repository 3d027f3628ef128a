#include "platform/rtf/RtfParser.h"

#include "platform/rtf/RtfReader.h"
#include "platform/text/HexDigit.h"

#include <algorithm>

namespace {

// Groups deeper than this share the state of the deepest level.
constexpr std::size_t kMaxDepth = 1000;
constexpr std::int64_t kParamMax = 0x7FFFFFFF;
constexpr int kMaxHalfPoints = 32767;

bool IsAlpha(unsigned char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsDigit(unsigned char c)
{
    return c >= '0' && c <= '9';
}

std::string Trim(std::string text)
{
    auto isSpace = [](char c) { return c == ' ' || c == '\t'; };
    std::size_t first = 0;
    while (first < text.size() && isSpace(text[first]))
        ++first;
    std::size_t last = text.size();
    while (last > first && isSpace(text[last - 1]))
        --last;
    return text.substr(first, last - first);
}

} // namespace

RtfRuns RtfParser::Run()
{
    stack_.push_back(GroupState{});
    std::size_t start = 0;
    while (start < in_.size() &&
           (in_[start] == ' ' || in_[start] == '\r' || in_[start] == '\n' || in_[start] == '\t'))
        ++start;
    docDepth_ = start < in_.size() && in_[start] == '{' ? 1 : 0;

    while (pos_ < in_.size() && !done_) {
        unsigned char c = At(pos_);
        switch (c) {
        case '{':
            ++pos_;
            OpenGroup();
            break;
        case '}':
            ++pos_;
            CloseGroup();
            break;
        case '\\': Control(); break;
        case '\r':
        case '\n': ++pos_; break;
        default: RawText(); break;
        }
    }
    body_.Finish();
    return BuildRuns();
}

unsigned char RtfParser::At(std::size_t i) const
{
    return static_cast<unsigned char>(in_[i]);
}

RtfParser::GroupState& RtfParser::Top()
{
    return stack_.back();
}

bool RtfParser::CanChangeDest() const
{
    return stack_.size() - 1 > docDepth_;
}

void RtfParser::OpenGroup()
{
    fallback_ = 0;
    if (stack_.size() > kMaxDepth) {
        if (overflow_++ == 0)
            overflowBase_ = Top();
        return;
    }
    stack_.push_back(Top());
}

void RtfParser::CloseGroup()
{
    fallback_ = 0;
    if (overflow_ > 0) {
        if (--overflow_ == 0)
            Top() = overflowBase_;
        return;
    }
    if (stack_.size() == 1)
        return; // a stray } outside every group
    Dest closing = Top().dest;
    Dest parent = stack_[stack_.size() - 2].dest;
    if (closing == Dest::FontTable)
        EndFontEntry();
    if (closing == Dest::ColorTable && parent != Dest::ColorTable && colorHasComponent_)
        EndColor();
    stack_.pop_back();
    if (docDepth_ == 1 && stack_.size() == 1)
        done_ = true;
}

int RtfParser::BodyCodePage()
{
    int font = Top().format.font;
    if (!memoValid_ || memoFont_ != font) {
        auto it = fonts_.find(font);
        memoCp_ = it == fonts_.end() ? docCodePage_ : EntryCodePage(it->second);
        memoFont_ = font;
        memoValid_ = true;
    }
    return memoCp_;
}

int RtfParser::EntryCodePage(const FontEntry& entry) const
{
    return entry.codePage > 0 ? entry.codePage : RtfReader::CodePageOfCharSet(entry.charSet, docCodePage_);
}

int RtfParser::CurrentCodePage()
{
    if (Top().dest == Dest::FontTable && entryOpen_)
        return EntryCodePage(fonts_[entryId_]);
    return BodyCodePage();
}

void RtfParser::TextByte(unsigned char b, int cp)
{
    if (b == 0)
        return;
    GroupState& s = Top();
    if (s.dest == Dest::Body)
        body_.Byte(s.format, cp, b);
    else if (s.dest == Dest::FontTable && entryOpen_)
        name_.Byte(Format{}, cp, b);
}

void RtfParser::TextUnicode(char32_t c)
{
    if (c == 0)
        return;
    GroupState& s = Top();
    if (s.dest == Dest::Body)
        body_.Unicode(s.format, c);
    else if (s.dest == Dest::FontTable && entryOpen_)
        name_.Unicode(Format{}, c);
}

void RtfParser::RawText()
{
    unsigned char c = At(pos_++);
    int cp = CurrentCodePage();
    // A raw double-byte character keeps its trail byte even when that is
    // \, { or } (as in 0x95 0x5C), in skipped text as well.
    bool pair = false;
    unsigned char trail = 0;
    if (RtfDecoder::IsLead(cp, c) && pos_ < in_.size() && RtfDecoder::IsTrail(cp, At(pos_))) {
        trail = At(pos_++);
        pair = true;
    }
    if (fallback_ > 0) {
        fallback_ = std::max<std::int64_t>(0, fallback_ - (pair ? 2 : 1));
        return;
    }
    if (c < 0x20 && c != '\t')
        return;
    switch (Top().dest) {
    case Dest::Skip: return;
    case Dest::ColorTable:
        if (c == ';')
            EndColor();
        return;
    case Dest::FontTable:
        if (c == ';') {
            EndFontEntry();
            return;
        }
        break;
    case Dest::Body: break;
    }
    TextByte(c, cp);
    if (pair)
        TextByte(trail, cp);
}

void RtfParser::Control()
{
    ++pos_; // the backslash
    if (pos_ >= in_.size())
        return;
    unsigned char c = At(pos_);
    if (IsAlpha(c)) {
        ControlWord();
        return;
    }
    ++pos_;
    if (c == '\'') {
        int value = 0, digits = 0;
        while (digits < 2 && pos_ < in_.size()) {
            int h = HexDigitValue(At(pos_));
            if (h < 0)
                break;
            value = value * 16 + h;
            ++digits;
            ++pos_;
        }
        if (fallback_ > 0) {
            --fallback_;
            return;
        }
        if (digits == 2)
            TextByte(static_cast<unsigned char>(value), CurrentCodePage());
        return;
    }
    if (fallback_ > 0) {
        --fallback_;
        return;
    }
    switch (c) {
    case '\\':
    case '{':
    case '}': TextByte(c, CurrentCodePage()); break;
    case '~': TextByte(' ', CurrentCodePage()); break;
    case '_': TextByte('-', CurrentCodePage()); break;
    case '*':
        if (CanChangeDest())
            Top().dest = Dest::Skip;
        break;
    case '\r':
    case '\n': Break(); break;
    default: break; // \- \| \: and unknown symbols
    }
}

void RtfParser::ControlWord()
{
    std::size_t start = pos_;
    while (pos_ < in_.size() && IsAlpha(At(pos_)))
        ++pos_;
    std::string_view name = in_.substr(start, pos_ - start);
    bool negative = false;
    if (pos_ + 1 < in_.size() && in_[pos_] == '-' && IsDigit(At(pos_ + 1))) {
        negative = true;
        ++pos_;
    }
    bool hasParam = false;
    std::int64_t param = 0;
    while (pos_ < in_.size() && IsDigit(At(pos_))) {
        hasParam = true;
        if (param <= kParamMax)
            param = param * 10 + (At(pos_) - '0');
        ++pos_;
    }
    param = std::min(param, kParamMax);
    if (negative)
        param = -param;
    if (pos_ < in_.size() && in_[pos_] == ' ')
        ++pos_;

    const RtfControlWord* info = RtfControlWord::LookUp(name);
    if (fallback_ > 0) {
        --fallback_;
        if (info && info->word == Word::Bin)
            SkipBinary(param);
        return;
    }
    if (info)
        Execute(*info, hasParam, param);
}

void RtfParser::SkipBinary(std::int64_t count)
{
    if (count > 0)
        pos_ += std::min<std::size_t>(std::size_t(count), in_.size() - pos_);
}

void RtfParser::Break()
{
    GroupState& s = Top();
    if (s.dest == Dest::Body)
        body_.Literal(s.format, '\n');
}

void RtfParser::Execute(const RtfControlWord& info, bool hasParam, std::int64_t param)
{
    GroupState& s = Top();
    if (s.dest == Dest::Skip) {
        if (info.word == Word::Bin)
            SkipBinary(param);
        return;
    }
    int value = int(param);
    switch (info.word) {
    case Word::AnsiCpg:
        if (hasParam && param >= 0) {
            docCodePage_ = value == 0 ? kJapaneseCodePage : value;
            memoValid_ = false;
        }
        break;
    case Word::Deff:
        deff_ = value;
        if (s.dest == Dest::Body)
            s.format.font = value;
        break;
    case Word::FontTable:
        if (CanChangeDest())
            s.dest = Dest::FontTable;
        break;
    case Word::ColorTable:
        if (CanChangeDest()) {
            s.dest = Dest::ColorTable;
            colors_.clear();
            colorPending_ = ColorEntry{};
            colorHasComponent_ = false;
        }
        break;
    case Word::SkipDest:
        if (CanChangeDest())
            s.dest = Dest::Skip;
        break;
    case Word::Font:
        if (s.dest == Dest::FontTable)
            BeginFontEntry(value);
        else if (s.dest == Dest::Body)
            s.format.font = value;
        break;
    case Word::FontCharSet:
        if (s.dest == Dest::FontTable && entryOpen_) {
            fonts_[entryId_].charSet = std::clamp(value, 0, 255);
            memoValid_ = false;
        }
        break;
    case Word::CodePage:
        if (s.dest == Dest::FontTable && entryOpen_) {
            fonts_[entryId_].codePage = std::max(value, 0);
            memoValid_ = false;
        }
        break;
    case Word::FontSize: s.format.halfPoints = std::clamp(value, 0, kMaxHalfPoints); break;
    case Word::Color: s.format.color = value; break;
    case Word::Bold: s.format.bold = !hasParam || param != 0; break;
    case Word::Italic: s.format.italic = !hasParam || param != 0; break;
    case Word::Plain: s.format = Format{deff_, 0, 0, false, false}; break;
    case Word::Uc: s.uc = hasParam ? std::max<std::int64_t>(param, 0) : 1; break;
    case Word::U:
        if (hasParam) {
            std::int64_t code = param < 0 ? param + 65536 : param;
            TextUnicode(code < 0 || code > 0x10FFFF ? char32_t(0xFFFD) : char32_t(code));
            fallback_ = s.uc;
        }
        break;
    case Word::Bin: SkipBinary(param); break;
    case Word::Red:
    case Word::Green:
    case Word::Blue:
        if (s.dest == Dest::ColorTable) {
            COLORREF component = COLORREF(std::clamp(value, 0, 255));
            int shift = info.word == Word::Red ? 0 : info.word == Word::Green ? 8 : 16;
            colorPending_.color = (colorPending_.color & ~(COLORREF(0xFF) << shift)) | component << shift;
            colorHasComponent_ = true;
        }
        break;
    case Word::Break: Break(); break;
    case Word::Tab:
        if (s.dest == Dest::Body)
            body_.Literal(s.format, '\t');
        break;
    case Word::Char: TextUnicode(info.ch); break;
    }
}

void RtfParser::BeginFontEntry(int id)
{
    EndFontEntry();
    fonts_[id] = FontEntry{};
    entryOpen_ = true;
    entryId_ = id;
    memoValid_ = false;
}

void RtfParser::EndFontEntry()
{
    if (!entryOpen_)
        return;
    fonts_[entryId_].face = Trim(name_.Take());
    entryOpen_ = false;
    memoValid_ = false;
}

void RtfParser::EndColor()
{
    colorPending_.automatic = !colorHasComponent_;
    colors_.push_back(colorPending_);
    colorPending_ = ColorEntry{};
    colorHasComponent_ = false;
}

RtfRuns RtfParser::BuildRuns()
{
    RtfRuns runs;
    for (Piece& piece : body_.Pieces()) {
        if (piece.text.empty())
            continue;
        RtfRun run;
        const Format& f = piece.format;
        if (auto it = fonts_.find(f.font); it != fonts_.end()) {
            run.face = it->second.face;
            run.charSet = BYTE(it->second.charSet);
        }
        if (f.color >= 0 && std::size_t(f.color) < colors_.size() &&
            !colors_[std::size_t(f.color)].automatic) {
            run.hasColor = true;
            run.color = colors_[std::size_t(f.color)].color;
        }
        run.halfPoints = f.halfPoints;
        run.bold = f.bold;
        run.italic = f.italic;
        if (!runs.empty() && runs.back().SameFormat(run))
            runs.back().text += piece.text;
        else {
            run.text = std::move(piece.text);
            runs.push_back(std::move(run));
        }
    }
    return runs;
}
