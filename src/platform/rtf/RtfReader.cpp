#include "platform/rtf/RtfReader.h"

#include "platform/text/HexDigit.h"
#include "platform/text/Iconv.h"
#include "platform/text/Sjis.h"

#include <QString>
#include <algorithm>
#include <cstdint>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

// Groups deeper than this share the state of the deepest level.
constexpr std::size_t kMaxDepth = 1000;
constexpr int kJapaneseCodePage = 932;
constexpr std::int64_t kParamMax = 0x7FFFFFFF;
constexpr int kMaxHalfPoints = 32767;

// The lead and trail bytes of the double-byte code pages; no byte is a lead
// byte of any other code page.
bool IsLead(int cp, unsigned char b)
{
    switch (cp) {
    case 932: return sjis::IsLeadByte(b);
    case 936:
    case 949:
    case 950: return b >= 0x81 && b <= 0xFE;
    case 1361: return (b >= 0x84 && b <= 0xD3) || (b >= 0xD8 && b <= 0xF9);
    default: return false;
    }
}

bool IsTrail(int cp, unsigned char b)
{
    switch (cp) {
    case 932: return sjis::IsTrailByte(b);
    case 936: return b >= 0x40 && b <= 0xFE && b != 0x7F;
    case 949: return (b >= 0x41 && b <= 0x5A) || (b >= 0x61 && b <= 0x7A) || (b >= 0x81 && b <= 0xFE);
    case 950: return (b >= 0x40 && b <= 0x7E) || (b >= 0xA1 && b <= 0xFE);
    case 1361: return (b >= 0x31 && b <= 0x7E) || (b >= 0x81 && b <= 0xFE);
    default: return false;
    }
}

bool IsAlpha(unsigned char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsDigit(unsigned char c)
{
    return c >= '0' && c <= '9';
}

// Appends a code point, or a single UTF-16 unit as it is (so that the two
// halves of a surrogate pair given by two \u words join up).
void AppendUcs4(QString& out, char32_t c)
{
    if (c <= 0xFFFF)
        out += QChar(char16_t(c));
    else if (c <= 0x10FFFF) {
        out += QChar(QChar::highSurrogate(c));
        out += QChar(QChar::lowSurrogate(c));
    } else
        out += QChar(char16_t(0xFFFD));
}

// Characters of code pages other than 932, one at a time, to Unicode. The
// conversion descriptors are opened once per code page and read.
class Decoder {
public:
    // Appends the character of one or two bytes; U+FFFD when the code page
    // does not define it (or is unknown).
    void Decode(int cp, const unsigned char* bytes, std::size_t n, QString& out)
    {
        auto it = open_.find(cp);
        if (it == open_.end()) {
            const std::string name = cp == 10000 ? std::string("MACINTOSH") : "CP" + std::to_string(cp);
            it = open_.try_emplace(cp, "UTF-32LE", name.c_str()).first;
        }
        std::string utf32;
        if (!it->second.Convert({reinterpret_cast<const char*>(bytes), n}, utf32) || utf32.size() < 4) {
            out += QChar(0xFFFD);
            return;
        }
        for (std::size_t k = 0; k + 4 <= utf32.size(); k += 4) {
            const auto* p = reinterpret_cast<const unsigned char*>(utf32.data() + k);
            AppendUcs4(out,
                       char32_t(p[0]) | char32_t(p[1]) << 8 | char32_t(p[2]) << 16 | char32_t(p[3]) << 24);
        }
    }

private:
    std::map<int, Iconv> open_;
};

// The character format of text as the stream sets it: font and colour by
// their table numbers, which are resolved once the whole stream is read.
struct Format {
    std::int32_t font = 0;
    std::int32_t color = 0;
    std::int32_t halfPoints = 0;
    bool bold = false;
    bool italic = false;
    bool operator==(const Format&) const = default;
};

struct Piece {
    Format format;
    std::string text;
};

// Collects text as code page 932 bytes in pieces of one format. Bytes of a
// double-byte code page are paired here, so a character may arrive as two
// escapes; Unicode is gathered and converted a stretch at a time.
class TextSink {
public:
    explicit TextSink(Decoder& decoder) : decoder_(decoder) {}

    // A byte in code page cp.
    void Byte(const Format& format, int cp, unsigned char b)
    {
        if (hasLead_) {
            if (cp == leadCodePage_ && IsTrail(cp, b)) {
                hasLead_ = false;
                const unsigned char pair[2] = {lead_, b};
                if (cp == kJapaneseCodePage)
                    Put(leadFormat_, std::string_view(reinterpret_cast<const char*>(pair), 2));
                else {
                    QString u;
                    decoder_.Decode(cp, pair, 2, u);
                    AddUnicode(leadFormat_, u);
                }
                return;
            }
            FlushLead();
        }
        if (IsLead(cp, b)) {
            FlushUnicode();
            hasLead_ = true;
            lead_ = b;
            leadCodePage_ = cp;
            leadFormat_ = format;
            return;
        }
        if (b < 0x80 || cp == kJapaneseCodePage) {
            FlushUnicode();
            Put(format, std::string_view(reinterpret_cast<const char*>(&b), 1));
            return;
        }
        QString u;
        decoder_.Decode(cp, &b, 1, u);
        AddUnicode(format, u);
    }

    void Unicode(const Format& format, char32_t c)
    {
        QString u;
        AppendUcs4(u, c);
        AddUnicode(format, u);
    }

    // A character that is the same in every code page ("\n", "\t").
    void Literal(const Format& format, char c)
    {
        FlushLead();
        FlushUnicode();
        Put(format, std::string_view(&c, 1));
    }

    void Finish()
    {
        FlushLead();
        FlushUnicode();
    }

    std::vector<Piece>& Pieces() { return pieces_; }

    // Everything collected, as one text, leaving the sink empty.
    std::string Take()
    {
        Finish();
        std::string text;
        for (const Piece& piece : pieces_)
            text += piece.text;
        pieces_.clear();
        return text;
    }

private:
    void AddUnicode(const Format& format, const QString& u)
    {
        FlushLead();
        if (!unicode_.isEmpty() && !(unicodeFormat_ == format))
            FlushUnicode();
        unicodeFormat_ = format;
        unicode_ += u;
    }

    // A lead byte whose trail byte never came stands as "?": left alone it
    // would take the next character (or line break) as its trail.
    void FlushLead()
    {
        if (!hasLead_)
            return;
        hasLead_ = false;
        Put(leadFormat_, "?");
    }

    void FlushUnicode()
    {
        if (unicode_.isEmpty())
            return;
        Put(unicodeFormat_, sjis::FromUnicode(unicode_));
        unicode_.clear();
    }

    void Put(const Format& format, std::string_view bytes)
    {
        if (pieces_.empty() || !(pieces_.back().format == format))
            pieces_.push_back(Piece{format, {}});
        pieces_.back().text += bytes;
    }

    Decoder& decoder_;
    std::vector<Piece> pieces_;
    bool hasLead_ = false;
    unsigned char lead_ = 0;
    int leadCodePage_ = 0;
    Format leadFormat_;
    QString unicode_;
    Format unicodeFormat_;
};

enum class Dest : std::uint8_t { Body, FontTable, ColorTable, Skip };

struct GroupState {
    Dest dest = Dest::Body;
    Format format;
    std::int64_t uc = 1;
};

struct FontEntry {
    std::string face;
    int charSet = 1;
    int codePage = 0; // from \cpg; 0: by the character set
};

struct ColorEntry {
    COLORREF color = 0;
    bool automatic = true;
};

enum class Word : std::uint8_t {
    AnsiCpg,
    Deff,
    FontTable,
    ColorTable,
    SkipDest,
    Font,
    FontCharSet,
    CodePage,
    FontSize,
    Color,
    Bold,
    Italic,
    Plain,
    Uc,
    U,
    Bin,
    Red,
    Green,
    Blue,
    Break,
    Tab,
    Char,
};

struct WordInfo {
    Word word;
    char16_t ch = 0; // for Word::Char
};

const WordInfo* LookUp(std::string_view name)
{
    static const std::unordered_map<std::string_view, WordInfo> table = {
        {"ansicpg", {Word::AnsiCpg}},
        {"deff", {Word::Deff}},
        {"fonttbl", {Word::FontTable}},
        {"colortbl", {Word::ColorTable}},
        {"f", {Word::Font}},
        {"fcharset", {Word::FontCharSet}},
        {"cpg", {Word::CodePage}},
        {"fs", {Word::FontSize}},
        {"cf", {Word::Color}},
        {"b", {Word::Bold}},
        {"i", {Word::Italic}},
        {"plain", {Word::Plain}},
        {"uc", {Word::Uc}},
        {"u", {Word::U}},
        {"bin", {Word::Bin}},
        {"red", {Word::Red}},
        {"green", {Word::Green}},
        {"blue", {Word::Blue}},
        {"par", {Word::Break}},
        {"line", {Word::Break}},
        {"sect", {Word::Break}},
        {"page", {Word::Break}},
        {"row", {Word::Break}},
        {"tab", {Word::Tab}},
        {"cell", {Word::Tab}},
        {"emdash", {Word::Char, u'\u2014'}},
        {"endash", {Word::Char, u'\u2013'}},
        {"lquote", {Word::Char, u'\u2018'}},
        {"rquote", {Word::Char, u'\u2019'}},
        {"ldblquote", {Word::Char, u'\u201C'}},
        {"rdblquote", {Word::Char, u'\u201D'}},
        {"bullet", {Word::Char, u'\u2022'}},
        {"emspace", {Word::Char, u' '}},
        {"enspace", {Word::Char, u' '}},
        {"qmspace", {Word::Char, u' '}},
        // Destinations that hold no text of the document.
        {"info", {Word::SkipDest}},
        {"stylesheet", {Word::SkipDest}},
        {"listtable", {Word::SkipDest}},
        {"listoverridetable", {Word::SkipDest}},
        {"revtbl", {Word::SkipDest}},
        {"rsidtbl", {Word::SkipDest}},
        {"filetbl", {Word::SkipDest}},
        {"pgdsctbl", {Word::SkipDest}},
        {"generator", {Word::SkipDest}},
        {"pict", {Word::SkipDest}},
        {"shppict", {Word::SkipDest}},
        {"nonshppict", {Word::SkipDest}},
        {"shp", {Word::SkipDest}},
        {"object", {Word::SkipDest}},
        {"objdata", {Word::SkipDest}},
        {"header", {Word::SkipDest}},
        {"headerl", {Word::SkipDest}},
        {"headerr", {Word::SkipDest}},
        {"headerf", {Word::SkipDest}},
        {"footer", {Word::SkipDest}},
        {"footerl", {Word::SkipDest}},
        {"footerr", {Word::SkipDest}},
        {"footerf", {Word::SkipDest}},
        {"footnote", {Word::SkipDest}},
        {"ftnsep", {Word::SkipDest}},
        {"ftnsepc", {Word::SkipDest}},
        {"ftncn", {Word::SkipDest}},
        {"aftnsep", {Word::SkipDest}},
        {"aftnsepc", {Word::SkipDest}},
        {"aftncn", {Word::SkipDest}},
        {"annotation", {Word::SkipDest}},
        {"atnid", {Word::SkipDest}},
        {"atnauthor", {Word::SkipDest}},
        {"fldinst", {Word::SkipDest}},
        {"xe", {Word::SkipDest}},
        {"tc", {Word::SkipDest}},
        {"txe", {Word::SkipDest}},
        {"rxe", {Word::SkipDest}},
        {"bkmkstart", {Word::SkipDest}},
        {"bkmkend", {Word::SkipDest}},
        {"pn", {Word::SkipDest}},
        {"pntext", {Word::SkipDest}},
        {"pntxta", {Word::SkipDest}},
        {"pntxtb", {Word::SkipDest}},
        {"listtext", {Word::SkipDest}},
        {"author", {Word::SkipDest}},
        {"operator", {Word::SkipDest}},
        {"title", {Word::SkipDest}},
        {"subject", {Word::SkipDest}},
        {"keywords", {Word::SkipDest}},
        {"comment", {Word::SkipDest}},
        {"doccomm", {Word::SkipDest}},
        {"company", {Word::SkipDest}},
        {"template", {Word::SkipDest}},
        {"falt", {Word::SkipDest}},
        {"panose", {Word::SkipDest}},
        {"fontemb", {Word::SkipDest}},
        {"fontfile", {Word::SkipDest}},
        {"themedata", {Word::SkipDest}},
        {"colorschememapping", {Word::SkipDest}},
        {"datastore", {Word::SkipDest}},
        {"latentstyles", {Word::SkipDest}},
        {"xmlnstbl", {Word::SkipDest}},
    };
    auto it = table.find(name);
    return it == table.end() ? nullptr : &it->second;
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

class Parser {
public:
    explicit Parser(std::string_view in) : in_(in), body_(decoder_), name_(decoder_) {}

    RtfRuns Run()
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

private:
    unsigned char At(std::size_t i) const { return static_cast<unsigned char>(in_[i]); }
    GroupState& Top() { return stack_.back(); }

    // Destinations are honoured inside the document's group, not on it, so a
    // stray \* or \info at the top cannot throw the whole document away.
    bool CanChangeDest() const { return stack_.size() - 1 > docDepth_; }

    void OpenGroup()
    {
        fallback_ = 0;
        if (stack_.size() > kMaxDepth) {
            if (overflow_++ == 0)
                overflowBase_ = Top();
            return;
        }
        stack_.push_back(Top());
    }

    void CloseGroup()
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

    // The code page of text in the current font.
    int BodyCodePage()
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

    int EntryCodePage(const FontEntry& entry) const
    {
        return entry.codePage > 0 ? entry.codePage
                                  : RtfReader::CodePageOfCharSet(entry.charSet, docCodePage_);
    }

    // The code page raw bytes and escapes are read in, wherever they go.
    int CurrentCodePage()
    {
        if (Top().dest == Dest::FontTable && entryOpen_)
            return EntryCodePage(fonts_[entryId_]);
        return BodyCodePage();
    }

    // A text byte from the stream or from an escape.
    void TextByte(unsigned char b, int cp)
    {
        if (b == 0)
            return;
        GroupState& s = Top();
        if (s.dest == Dest::Body)
            body_.Byte(s.format, cp, b);
        else if (s.dest == Dest::FontTable && entryOpen_)
            name_.Byte(Format{}, cp, b);
    }

    void TextUnicode(char32_t c)
    {
        if (c == 0)
            return;
        GroupState& s = Top();
        if (s.dest == Dest::Body)
            body_.Unicode(s.format, c);
        else if (s.dest == Dest::FontTable && entryOpen_)
            name_.Unicode(Format{}, c);
    }

    void RawText()
    {
        unsigned char c = At(pos_++);
        int cp = CurrentCodePage();
        // A raw double-byte character keeps its trail byte even when that is
        // \, { or } (as in 0x95 0x5C), in skipped text as well.
        bool pair = false;
        unsigned char trail = 0;
        if (IsLead(cp, c) && pos_ < in_.size() && IsTrail(cp, At(pos_))) {
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

    void Control()
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

    void ControlWord()
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

        const WordInfo* info = LookUp(name);
        if (fallback_ > 0) {
            --fallback_;
            if (info && info->word == Word::Bin)
                SkipBinary(param);
            return;
        }
        if (info)
            Execute(*info, hasParam, param);
    }

    void SkipBinary(std::int64_t count)
    {
        if (count > 0)
            pos_ += std::min<std::size_t>(std::size_t(count), in_.size() - pos_);
    }

    void Break()
    {
        GroupState& s = Top();
        if (s.dest == Dest::Body)
            body_.Literal(s.format, '\n');
    }

    void Execute(const WordInfo& info, bool hasParam, std::int64_t param)
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

    void BeginFontEntry(int id)
    {
        EndFontEntry();
        fonts_[id] = FontEntry{};
        entryOpen_ = true;
        entryId_ = id;
        memoValid_ = false;
    }

    void EndFontEntry()
    {
        if (!entryOpen_)
            return;
        fonts_[entryId_].face = Trim(name_.Take());
        entryOpen_ = false;
        memoValid_ = false;
    }

    void EndColor()
    {
        colorPending_.automatic = !colorHasComponent_;
        colors_.push_back(colorPending_);
        colorPending_ = ColorEntry{};
        colorHasComponent_ = false;
    }

    RtfRuns BuildRuns()
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

    std::string_view in_;
    std::size_t pos_ = 0;
    Decoder decoder_;
    TextSink body_;
    std::vector<GroupState> stack_;
    std::size_t overflow_ = 0; // groups opened beyond kMaxDepth and not yet closed
    GroupState overflowBase_;
    std::size_t docDepth_ = 0;
    bool done_ = false;
    int docCodePage_ = kJapaneseCodePage;
    int deff_ = 0;
    std::int64_t fallback_ = 0; // \uN fallback units still to skip

    std::map<int, FontEntry> fonts_;
    bool entryOpen_ = false; // a font entry whose name is being read
    int entryId_ = 0;
    TextSink name_;

    std::vector<ColorEntry> colors_;
    ColorEntry colorPending_;
    bool colorHasComponent_ = false;

    bool memoValid_ = false;
    int memoFont_ = 0;
    int memoCp_ = 0;
};

} // namespace

RtfRuns RtfReader::Read(std::string_view rtf)
{
    return Parser(rtf).Run();
}

int RtfReader::CodePageOfCharSet(int charSet, int documentCodePage)
{
    switch (charSet) {
    case 0: return 1252;   // ANSI
    case 2: return 1252;   // symbol: keep the bytes' Latin reading
    case 77: return 10000; // Macintosh Roman
    case 78: return 932;   // Macintosh Japanese, Shift-JIS
    case 128: return 932;  // Shift-JIS
    case 129: return 949;  // Hangul
    case 130: return 1361; // Johab
    case 134: return 936;  // GB2312
    case 136: return 950;  // Big5
    case 161: return 1253; // Greek
    case 162: return 1254; // Turkish
    case 163: return 1258; // Vietnamese
    case 177: return 1255; // Hebrew
    case 178: return 1256; // Arabic
    case 186: return 1257; // Baltic
    case 204: return 1251; // Cyrillic
    case 222: return 874;  // Thai
    case 238: return 1250; // Eastern European
    case 254: return 437;  // PC 437
    case 255: return 850;  // OEM
    default: return documentCodePage;
    }
}
