#include "platform/text/Nkf.h"

#include "platform/text/Iconv.h"
#include "platform/text/Sjis.h"

#include <atomic>
#include <cstdint>
#include <cstring>
#include <limits>
#include <unordered_map>
#include <vector>

namespace {

std::atomic<NkfCode> g_outputCode{NkfCode::ShiftJis};

constexpr unsigned char kEsc = 0x1B;
constexpr unsigned char kShiftOut = 0x0E; // SO: JIS7 half-width katakana
constexpr unsigned char kShiftIn = 0x0F;  // SI: back from SO

// Rows and cells of the 94 x 94 JIS planes, and the rows that Shift-JIS lead
// bytes 0x81-0x9F and 0xE0-0xFC reach when the same arithmetic runs past 94.
constexpr int kCells = 94;
constexpr int kSjisRows = 120;

// Rows of code page 932 that are not plain JIS X 0208.
constexpr int kNecSpecialRow = 13;    // NEC special characters (①, Ⅰ, ㈱)
constexpr int kNecSelectedFirst = 89; // NEC-selected IBM extension kanji
constexpr int kNecSelectedLast = 92;
constexpr int kIbmFirst = 115; // IBM extension kanji 0xFA40-0xFC4B

// The geta mark, written for a JIS X 0212 character that Shift-JIS cannot hold.
constexpr std::uint16_t kGetaSjis = 0x81AC;

// A JIS row and cell, both 1-94, packed as row << 8 | cell; 0 means none.
constexpr std::uint16_t Pack(int row, int cell)
{
    return std::uint16_t(row << 8 | cell);
}
constexpr int RowOf(std::uint16_t code)
{
    return code >> 8;
}
constexpr int CellOf(std::uint16_t code)
{
    return code & 0xFF;
}

constexpr bool InRange(unsigned char c, unsigned char lo, unsigned char hi)
{
    return c >= lo && c <= hi;
}

constexpr bool IsKatakana(unsigned char c)
{
    return InRange(c, 0xA1, 0xDF);
}
constexpr bool IsEucByte(unsigned char c)
{
    return InRange(c, 0xA1, 0xFE);
}
constexpr bool IsJisByte(unsigned char c)
{
    return InRange(c, 0x21, 0x7E);
}

// Shift-JIS packs two JIS rows into each lead byte: trail bytes 0x40-0x9E
// (skipping 0x7F) are the odd row, 0x9F-0xFC the even row.
struct RowCell {
    int row;
    int cell;
};

constexpr RowCell SjisToRowCell(unsigned char lead, unsigned char trail)
{
    int pair = lead <= 0x9F ? lead - 0x81 : lead - 0xC1;
    if (trail <= 0x9E)
        return {2 * pair + 1, trail - 0x3F - (trail >= 0x80 ? 1 : 0)};
    return {2 * pair + 2, trail - 0x9E};
}

constexpr std::uint16_t RowCellToSjis(int row, int cell)
{
    int pair = (row - 1) / 2;
    int lead = pair <= 30 ? 0x81 + pair : 0xC1 + pair;
    int trail = row % 2 == 1 ? cell + 0x3F + (cell >= 64 ? 1 : 0) : cell + 0x9E;
    return std::uint16_t(lead << 8 | trail);
}

static_assert(RowCellToSjis(1, 1) == 0x8140 && RowCellToSjis(16, 1) == 0x889F);
static_assert(RowCellToSjis(120, 94) == 0xFCFC && RowCellToSjis(61, 64) == 0x9F80 &&
              RowCellToSjis(63, 1) == 0xE040);
static_assert(SjisToRowCell(0xE0, 0x40).row == 63 && SjisToRowCell(0xFC, 0xFC).cell == 94);

// What the character sets define, asked of glibc iconv once per process.
class Tables {
public:
    static const Tables& Get()
    {
        static const Tables tables;
        return tables;
    }

    // Assigned in JIS X 0208 (rows 1-94).
    bool InJis0208(int row, int cell) const { return jis0208_[Index(row, cell)]; }

    // Defined in code page 932 (rows 1-120 of the Shift-JIS arithmetic).
    bool InCp932(int row, int cell) const { return cp932_[Index(row, cell)]; }

    // The JIS code an IBM extension character (rows 115-120) is written as
    // in EUC-JP and JIS; 0 when the code is undefined.
    std::uint16_t IbmToJis(int row, int cell) const { return ibmToJis_[Index(row, cell)]; }

    // The Shift-JIS code for a JIS character of rows 89-92, which code page
    // 932 prefers to write as its IBM extension twin; 0 to use arithmetic.
    std::uint16_t NecSelectedToSjis(int row, int cell) const { return necSelectedToSjis_[Index(row, cell)]; }

    // The Shift-JIS code for a JIS X 0212 character; 0 when there is none.
    std::uint16_t X0212ToSjis(int row, int cell) const { return x0212ToSjis_[Index(row, cell)]; }

private:
    static std::size_t Index(int row, int cell) { return std::size_t((row - 1) * kCells + (cell - 1)); }

    Tables()
        : jis0208_(kCells * kCells), cp932_(kSjisRows * kCells), ibmToJis_(kSjisRows * kCells),
          necSelectedToSjis_(kSjisRows * kCells), x0212ToSjis_(kCells * kCells)
    {
        Iconv eucToUnicode("UTF-32LE", "EUC-JP");
        Iconv sjisToUnicode("UTF-32LE", "CP932");
        Iconv unicodeToSjis("CP932", "UTF-32LE");
        Iconv x0212ToUnicode("UTF-32LE", "EUC-JP-MS");
        std::string out;

        for (int row = 1; row <= kCells; ++row)
            for (int cell = 1; cell <= kCells; ++cell) {
                const char euc[] = {char(row + 0xA0), char(cell + 0xA0)};
                jis0208_[Index(row, cell)] = eucToUnicode.Convert({euc, 2}, out);
            }

        // Code page 932 as Unicode, and the first (lowest) code of rows 1-92
        // for each Unicode character, which is the one JIS and EUC-JP use for
        // an IBM extension character: JIS X 0208 before NEC row 13 before the
        // NEC-selected rows.
        std::vector<char32_t> unicode(kSjisRows * kCells, 0);
        std::unordered_map<char32_t, std::uint16_t> firstCode;
        for (int row = 1; row <= kSjisRows; ++row)
            for (int cell = 1; cell <= kCells; ++cell) {
                std::uint16_t sjis = RowCellToSjis(row, cell);
                const char bytes[] = {char(sjis >> 8), char(sjis & 0xFF)};
                if (!sjisToUnicode.Convert({bytes, 2}, out) || out.size() != 4)
                    continue;
                char32_t u = char32_t(static_cast<unsigned char>(out[0])) |
                             char32_t(static_cast<unsigned char>(out[1])) << 8 |
                             char32_t(static_cast<unsigned char>(out[2])) << 16 |
                             char32_t(static_cast<unsigned char>(out[3])) << 24;
                cp932_[Index(row, cell)] = true;
                unicode[Index(row, cell)] = u;
                if (row <= kNecSelectedLast)
                    firstCode.try_emplace(u, Pack(row, cell));
            }

        for (int row = kIbmFirst; row <= kSjisRows; ++row)
            for (int cell = 1; cell <= kCells; ++cell) {
                if (!cp932_[Index(row, cell)])
                    continue;
                auto it = firstCode.find(unicode[Index(row, cell)]);
                if (it != firstCode.end())
                    ibmToJis_[Index(row, cell)] = it->second;
            }

        for (int row = kNecSelectedFirst; row <= kNecSelectedLast; ++row)
            for (int cell = 1; cell <= kCells; ++cell) {
                if (!cp932_[Index(row, cell)])
                    continue;
                char32_t u = unicode[Index(row, cell)];
                const char utf32[] = {char(u & 0xFF), char(u >> 8 & 0xFF), char(u >> 16 & 0xFF),
                                      char(u >> 24)};
                if (unicodeToSjis.Convert({utf32, 4}, out) && out.size() == 2)
                    necSelectedToSjis_[Index(row, cell)] = std::uint16_t(
                        static_cast<unsigned char>(out[0]) << 8 | static_cast<unsigned char>(out[1]));
            }

        std::string sjis;
        for (int row = 1; row <= kCells; ++row)
            for (int cell = 1; cell <= kCells; ++cell) {
                const char euc[] = {char(0x8F), char(row + 0xA0), char(cell + 0xA0)};
                if (x0212ToUnicode.Convert({euc, 3}, out) && unicodeToSjis.Convert(out, sjis) &&
                    sjis.size() == 2)
                    x0212ToSjis_[Index(row, cell)] = std::uint16_t(static_cast<unsigned char>(sjis[0]) << 8 |
                                                                   static_cast<unsigned char>(sjis[1]));
            }
    }

    std::vector<bool> jis0208_;
    std::vector<bool> cp932_;
    std::vector<std::uint16_t> ibmToJis_;
    std::vector<std::uint16_t> necSelectedToSjis_;
    std::vector<std::uint16_t> x0212ToSjis_;
};

// One character of a decoded text. Ascii and Kana hold the byte (Kana as
// 0xA1-0xDF); Jis and X0212 a packed row and cell. Opaque is a valid
// Shift-JIS character with no place in the other codes and Invalid bytes the
// input code does not define: both are written out as their own bytes.
enum class Kind : std::uint8_t { Ascii, Kana, Jis, X0212, Opaque, Invalid };

struct Unit {
    Kind kind;
    std::uint8_t length; // how many bytes it has in the input
    std::uint16_t code;
    std::size_t pos; // where those bytes start
};

// The kinds of character a reading produced, as bits so that comparing the
// numbers compares the most suspicious kind first.
enum Grade : unsigned {
    kGradeKatakana = 1,
    kGradeVendor = 2,
    kGradeRare = 4,
};

struct Reading {
    unsigned grade = 0;
    std::size_t invalidBytes = 0;
};

// The readers below hand each character to `take` as they go, and stop early
// when it returns false; detection passes one that only lets them count.
constexpr auto kCountOnly = [](const Unit&) { return true; };

// The byte at s[i], or 0 past the end.
unsigned char At(std::string_view s, std::size_t i)
{
    return i < s.size() ? static_cast<unsigned char>(s[i]) : 0;
}

// Grades a JIS X 0208-plane character by what code page 932 makes of it.
unsigned GradeJis(const Tables& tables, int row, int cell)
{
    if (tables.InJis0208(row, cell))
        return 0;
    bool vendorRow = row == kNecSpecialRow || (row >= kNecSelectedFirst && row <= kNecSelectedLast);
    return vendorRow && tables.InCp932(row, cell) ? kGradeVendor : kGradeRare;
}

template <typename Take> Reading ReadSjis(std::string_view s, Take&& take)
{
    Reading r;
    const Tables* tables = nullptr;
    for (std::size_t i = 0; i < s.size();) {
        auto c = static_cast<unsigned char>(s[i]);
        Unit u{Kind::Ascii, 1, c, i};
        if (c < 0x80) {
            // ASCII as it stands
        } else if (IsKatakana(c)) {
            u.kind = Kind::Kana;
            r.grade |= kGradeKatakana;
        } else if (sjis::CharLength(s, i) != 2) {
            u.kind = Kind::Invalid;
            ++r.invalidBytes;
        } else {
            if (tables == nullptr)
                tables = &Tables::Get();
            auto [row, cell] = SjisToRowCell(c, static_cast<unsigned char>(s[i + 1]));
            std::uint16_t ibm = row >= kIbmFirst ? tables->IbmToJis(row, cell) : 0;
            if (row <= kCells) {
                u = {Kind::Jis, 2, Pack(row, cell), i};
                r.grade |= GradeJis(*tables, row, cell);
            } else if (ibm != 0) {
                u = {Kind::Jis, 2, ibm, i};
                r.grade |= kGradeVendor;
            } else {
                // The user-defined area and undefined codes past the IBM
                // extension: valid Shift-JIS that EUC-JP and JIS cannot hold.
                u = {Kind::Opaque, 2, 0, i};
                r.grade |= kGradeRare;
            }
        }
        if (!take(u))
            break;
        i += u.length;
    }
    return r;
}

template <typename Take> Reading ReadEuc(std::string_view s, Take&& take)
{
    Reading r;
    const Tables* tables = nullptr;
    for (std::size_t i = 0; i < s.size();) {
        unsigned char c = At(s, i);
        Unit u{Kind::Ascii, 1, c, i};
        if (c < 0x80) {
            // ASCII as it stands
        } else if (c == 0x8E && IsKatakana(At(s, i + 1))) {
            u = {Kind::Kana, 2, At(s, i + 1), i};
            r.grade |= kGradeKatakana;
        } else if (c == 0x8F && IsEucByte(At(s, i + 1)) && IsEucByte(At(s, i + 2))) {
            u = {Kind::X0212, 3, Pack(At(s, i + 1) - 0xA0, At(s, i + 2) - 0xA0), i};
            r.grade |= kGradeRare;
        } else if (IsEucByte(c) && IsEucByte(At(s, i + 1))) {
            if (tables == nullptr)
                tables = &Tables::Get();
            int row = c - 0xA0;
            int cell = At(s, i + 1) - 0xA0;
            u = {Kind::Jis, 2, Pack(row, cell), i};
            r.grade |= GradeJis(*tables, row, cell);
        } else {
            u.kind = Kind::Invalid;
            ++r.invalidBytes;
        }
        if (!take(u))
            break;
        i += u.length;
    }
    return r;
}

enum class JisMode { Ascii, Kanji, Kana, X0212 };

// The escape sequence at the start of s (which begins with ESC): its length
// and the mode it selects; length 0 when it is none this unit knows.
struct Escape {
    std::size_t length;
    JisMode mode;
    bool changesMode; // false for ESC & @, which only announces a revision
    bool marksJis;    // false for ESC ( B, which plain ASCII text may hold too
};

Escape ReadEscape(std::string_view s)
{
    struct Known {
        std::string_view bytes;
        Escape escape;
    };
    static constexpr Known known[] = {
        {"\x1B(B", {3, JisMode::Ascii, true, false}},  {"\x1B(J", {3, JisMode::Ascii, true, true}},
        {"\x1B(I", {3, JisMode::Kana, true, true}},    {"\x1B$@", {3, JisMode::Kanji, true, true}},
        {"\x1B$B", {3, JisMode::Kanji, true, true}},   {"\x1B$(B", {4, JisMode::Kanji, true, true}},
        {"\x1B$(@", {4, JisMode::Kanji, true, true}},  {"\x1B$(D", {4, JisMode::X0212, true, true}},
        {"\x1B&@", {3, JisMode::Ascii, false, false}},
    };
    for (const Known& k : known)
        if (s.starts_with(k.bytes))
            return k.escape;
    return {0, JisMode::Ascii, false, false};
}

bool HasJisDesignation(std::string_view s)
{
    for (std::size_t i = s.find(char(kEsc)); i != std::string_view::npos; i = s.find(char(kEsc), i + 1))
        if (ReadEscape(s.substr(i)).marksJis)
            return true;
    return false;
}

template <typename Take> void ReadJis(std::string_view s, Take&& take)
{
    JisMode mode = JisMode::Ascii;
    bool shiftedOut = false;
    for (std::size_t i = 0; i < s.size();) {
        unsigned char c = At(s, i);
        if (c == kEsc) {
            if (Escape e = ReadEscape(s.substr(i)); e.length != 0) {
                if (e.changesMode)
                    mode = e.mode;
                i += e.length;
                continue;
            }
        }
        if (c == kShiftOut || c == kShiftIn) {
            shiftedOut = c == kShiftOut;
            ++i;
            continue;
        }
        // Control characters (line breaks too) and space are ASCII in every
        // mode; the mode itself lasts until the next escape sequence.
        bool control = c < 0x21 || c == 0x7F;
        Unit u{Kind::Ascii, 1, c, i};
        if (c >= 0x80) {
            // Eight-bit half-width katakana; anything else up here is foreign.
            u.kind = IsKatakana(c) ? Kind::Kana : Kind::Invalid;
        } else if (control || (mode == JisMode::Ascii && !shiftedOut)) {
            // ASCII as it stands
        } else if (shiftedOut || mode == JisMode::Kana) {
            if (InRange(c, 0x21, 0x5F))
                u = {Kind::Kana, 1, std::uint16_t(c + 0x80), i};
            else
                u.kind = Kind::Invalid;
        } else if (IsJisByte(At(s, i + 1))) {
            Kind kind = mode == JisMode::X0212 ? Kind::X0212 : Kind::Jis;
            u = {kind, 2, Pack(c - 0x20, At(s, i + 1) - 0x20), i};
        } else {
            u.kind = Kind::Invalid; // half a double-byte character
        }
        if (!take(u))
            break;
        i += u.length;
    }
}

bool HasHighByte(std::string_view s)
{
    for (char c : s)
        if (static_cast<unsigned char>(c) >= 0x80)
            return true;
    return false;
}

NkfInput Detect(std::string_view s)
{
    if (HasJisDesignation(s))
        return NkfInput::Jis;
    if (!HasHighByte(s))
        return NkfInput::Ascii;
    Reading sjis = ReadSjis(s, kCountOnly);
    Reading euc = ReadEuc(s, kCountOnly);
    bool sjisValid = sjis.invalidBytes == 0;
    bool eucValid = euc.invalidBytes == 0;
    bool takeEuc;
    if (sjisValid != eucValid)
        takeEuc = eucValid;
    else if (sjisValid)
        takeEuc = euc.grade <= sjis.grade;
    else if (euc.invalidBytes != sjis.invalidBytes)
        takeEuc = euc.invalidBytes < sjis.invalidBytes;
    else
        takeEuc = euc.grade < sjis.grade;
    return takeEuc ? NkfInput::Euc : NkfInput::ShiftJis;
}

// Writes characters in the output code up to a byte limit (the room left for
// the NUL), one whole character at a time. In JIS a character that leaves the
// output shifted out of ASCII must also leave room for the ESC ( B that ends
// the text.
class Writer {
public:
    Writer(NkfCode to, NkfInput from, std::string_view src, std::size_t limit)
        : to_(to), src_(src), limit_(limit),
          same_((to == NkfCode::ShiftJis && (from == NkfInput::ShiftJis || from == NkfInput::Ascii)) ||
                (to == NkfCode::Euc && (from == NkfInput::Euc || from == NkfInput::Ascii)))
    {
    }

    // Adds the character; false when it does not fit, and nothing more will.
    bool Put(const Unit& u)
    {
        piece_.clear();
        JisMode mode = JisMode::Ascii;
        if (same_ || u.kind == Kind::Opaque || u.kind == Kind::Invalid)
            piece_ = src_.substr(u.pos, u.length);
        else if (to_ == NkfCode::ShiftJis)
            PieceSjis(u);
        else if (to_ == NkfCode::Euc)
            PieceEuc(u);
        else
            mode = PieceJis(u);
        if (to_ == NkfCode::Jis && mode != mode_)
            piece_.insert(0, Designation(mode));
        std::size_t reserve = mode == JisMode::Ascii ? 0 : Designation(JisMode::Ascii).size();
        if (piece_.size() + reserve > limit_ - text_.size())
            return false;
        text_ += piece_;
        mode_ = mode;
        return true;
    }

    std::string Finish()
    {
        if (mode_ != JisMode::Ascii)
            text_ += Designation(JisMode::Ascii); // the room was kept for it
        return std::move(text_);
    }

private:
    static std::string_view Designation(JisMode mode)
    {
        switch (mode) {
        case JisMode::Ascii: return "\x1B(B";
        case JisMode::Kanji: return "\x1B$B";
        case JisMode::Kana: return "\x1B(I";
        case JisMode::X0212: return "\x1B$(D";
        }
        return {};
    }

    void PieceSjis(const Unit& u)
    {
        if (u.kind == Kind::Ascii || u.kind == Kind::Kana) {
            piece_ += char(u.code);
            return;
        }
        const Tables& tables = Tables::Get();
        int row = RowOf(u.code);
        int cell = CellOf(u.code);
        std::uint16_t sjis = 0;
        if (u.kind == Kind::X0212)
            sjis = tables.X0212ToSjis(row, cell) ? tables.X0212ToSjis(row, cell) : kGetaSjis;
        else if (row >= kNecSelectedFirst && row <= kNecSelectedLast)
            sjis = tables.NecSelectedToSjis(row, cell);
        if (sjis == 0)
            sjis = RowCellToSjis(row, cell);
        piece_ += char(sjis >> 8);
        piece_ += char(sjis & 0xFF);
    }

    void PieceEuc(const Unit& u)
    {
        if (u.kind == Kind::Ascii) {
            piece_ += char(u.code);
            return;
        }
        if (u.kind == Kind::Kana) {
            piece_ += char(0x8E);
            piece_ += char(u.code);
            return;
        }
        if (u.kind == Kind::X0212)
            piece_ += char(0x8F);
        piece_ += char(RowOf(u.code) + 0xA0);
        piece_ += char(CellOf(u.code) + 0xA0);
    }

    JisMode PieceJis(const Unit& u)
    {
        switch (u.kind) {
        case Kind::Kana: piece_ += char(u.code - 0x80); return JisMode::Kana;
        case Kind::Jis:
        case Kind::X0212:
            piece_ += char(RowOf(u.code) + 0x20);
            piece_ += char(CellOf(u.code) + 0x20);
            return u.kind == Kind::Jis ? JisMode::Kanji : JisMode::X0212;
        default: piece_ += char(u.code); return JisMode::Ascii;
        }
    }

    NkfCode to_;
    std::string_view src_;
    std::size_t limit_;
    bool same_;
    JisMode mode_ = JisMode::Ascii;
    std::string piece_;
    std::string text_;
};

std::string ConvertFrom(std::string_view in, NkfInput from, NkfCode to, std::size_t limit)
{
    Writer writer(to, from, in, limit);
    auto put = [&writer](const Unit& u) { return writer.Put(u); };
    switch (from) {
    case NkfInput::Jis: ReadJis(in, put); break;
    case NkfInput::Euc: ReadEuc(in, put); break;
    case NkfInput::Ascii:
    case NkfInput::ShiftJis: ReadSjis(in, put); break;
    }
    return writer.Finish();
}

std::string Convert(std::string_view in, NkfCode to, std::size_t limit)
{
    return ConvertFrom(in, Detect(in), to, limit);
}

} // namespace

void SetNkfOption(const char* option)
{
    if (option == nullptr)
        return;
    std::string_view o(option);
    if (o == "s")
        g_outputCode = NkfCode::ShiftJis;
    else if (o == "j")
        g_outputCode = NkfCode::Jis;
    else if (o == "e")
        g_outputCode = NkfCode::Euc;
}

NkfCode NkfOutputCode()
{
    return g_outputCode;
}

void NkfConvert(char* out, std::size_t outSize, const char* in)
{
    if (out == nullptr || outSize == 0)
        return;
    // The whole result is built before out is touched, so out may even be
    // the input buffer.
    std::string text = Convert(in ? std::string_view(in) : std::string_view(), g_outputCode, outSize - 1);
    std::memmove(out, text.data(), text.size());
    out[text.size()] = '\0';
}

std::size_t NkfConvertedSize(const char* in)
{
    std::string_view text = in ? std::string_view(in) : std::string_view();
    return Convert(text, g_outputCode, std::numeric_limits<std::size_t>::max()).size() + 1;
}

std::string NkfConvertText(std::string_view in, NkfCode to)
{
    return Convert(in, to, std::numeric_limits<std::size_t>::max());
}

std::string NkfConvertFrom(std::string_view in, NkfInput from, NkfCode to)
{
    return ConvertFrom(in, from, to, std::numeric_limits<std::size_t>::max());
}

NkfInput NkfDetect(std::string_view in)
{
    return Detect(in);
}
