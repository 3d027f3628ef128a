// The kanji code conversions against glibc's iconv on valid text. The input
// picks characters from the Shift-JIS characters glibc converts to EUC-JP and
// back unchanged (ASCII, half-width katakana, JIS X 0208); on such text the
// EUC-JP conversion must equal glibc's byte for byte, the JIS conversion must
// read (through glibc) as the same characters, and both must come back to the
// very same Shift-JIS.
#include "FuzzCheck.h"
#include "platform/text/Nkf.h"

#include <cerrno>
#include <cstring>
#include <iconv.h>
#include <vector>

namespace {

// The whole of in through glibc; nullopt-like false when any of it fails.
bool Glibc(const char* to, const char* from, std::string_view in, std::string& out)
{
    out.clear();
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return false;
    std::string copy(in);
    char* src = copy.data();
    std::size_t left = copy.size();
    bool ok = true;
    char buffer[512];
    for (;;) {
        char* dst = buffer;
        std::size_t room = sizeof buffer;
        const std::size_t r =
            left > 0 ? iconv(cd, &src, &left, &dst, &room) : iconv(cd, nullptr, nullptr, &dst, &room);
        out.append(buffer, std::size_t(dst - buffer));
        if (r == std::size_t(-1) && errno == E2BIG)
            continue;
        if (r == std::size_t(-1)) {
            ok = false;
            break;
        }
        if (left == 0 && dst == buffer)
            break;
    }
    iconv_close(cd);
    return ok;
}

std::string Hex(std::string_view bytes)
{
    std::string out;
    char b[4];
    for (unsigned char c : bytes) {
        std::snprintf(b, sizeof b, "%02x ", c);
        out += b;
    }
    return out;
}

// glibc's UTF-8 reading of Shift-JIS with its yen sign and overline read as
// the ASCII backslash and tilde that code page 932 has at 0x5C and 0x7E.
std::string GlibcAscii(const std::string& utf8)
{
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        if (utf8.compare(i, 2, "\xC2\xA5") == 0) {
            out += '\\';
            ++i;
        } else if (utf8.compare(i, 3, "\xE2\x80\xBE") == 0) {
            out += '~';
            i += 2;
        } else {
            out += utf8[i];
        }
    }
    return out;
}

struct Char {
    std::string sjis;
    std::string euc;
    bool katakana;
};

// Every Shift-JIS character glibc takes to EUC-JP and back unchanged. ESC,
// SO, SI and NUL are left out: ESC would start a JIS escape, SO and SI switch
// JIS text to half-width katakana and back (the older 7-bit way), and NUL
// ends the text.
std::vector<Char> BuildTable()
{
    std::vector<Char> table;
    auto consider = [&](std::string sjis, bool katakana) {
        std::string euc, back;
        if (Glibc("EUC-JP", "SHIFT_JIS", sjis, euc) && Glibc("SHIFT_JIS", "EUC-JP", euc, back) &&
            back == sjis)
            table.push_back({sjis, euc, katakana});
    };
    for (int b = 1; b < 0x80; ++b)
        if (b != 0x1B && b != 0x0E && b != 0x0F)
            consider(std::string(1, char(b)), false);
    for (int b = 0xA1; b <= 0xDF; ++b)
        consider(std::string(1, char(b)), true);
    for (int lead = 0x81; lead <= 0xEF; ++lead) {
        if (lead >= 0xA0 && lead < 0xE0)
            continue;
        for (int trail = 0x40; trail <= 0xFC; ++trail)
            if (trail != 0x7F)
                consider(std::string{char(lead), char(trail)}, false);
    }
    return table;
}

const std::vector<Char>& Table()
{
    static const std::vector<Char> table = BuildTable();
    return table;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    FUZZ_CHECK(Table().size() > 6000, "glibc converts too few characters; is its gconv data there?");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::vector<Char>& table = Table();
    std::string sjis, euc;
    bool katakana = false;
    for (std::size_t i = 0; i + 1 < size; i += 2) {
        const Char& c = table[(std::size_t(data[i]) << 8 | data[i + 1]) % table.size()];
        sjis += c.sjis;
        euc += c.euc;
        katakana = katakana || c.katakana;
    }

    const std::string nkfEuc = NkfConvertFrom(sjis, NkfInput::ShiftJis, NkfCode::Euc);
    FUZZ_CHECK(nkfEuc == euc, "Shift-JIS to EUC-JP differs from glibc");
    FUZZ_CHECK(NkfConvertFrom(euc, NkfInput::Euc, NkfCode::ShiftJis) == sjis,
               "EUC-JP to Shift-JIS differs from glibc");
    FUZZ_CHECK(NkfConvertFrom(euc, NkfInput::Euc, NkfCode::Euc) == euc, "EUC-JP to itself changed the text");

    const std::string nkfJis = NkfConvertFrom(sjis, NkfInput::ShiftJis, NkfCode::Jis);
    const std::string jisBack = NkfConvertFrom(nkfJis, NkfInput::Jis, NkfCode::ShiftJis);
    if (jisBack != sjis)
        std::fprintf(stderr, "text %s\nJIS  %s\nback %s\n", Hex(sjis).c_str(), Hex(nkfJis).c_str(),
                     Hex(jisBack).c_str());
    FUZZ_CHECK(jisBack == sjis, "JIS did not come back to Shift-JIS");
    FUZZ_CHECK(NkfConvertFrom(nkfJis, NkfInput::Jis, NkfCode::Euc) == euc,
               "JIS to EUC-JP differs from glibc");
    // glibc's ISO-2022-JP has no half-width katakana; ISO-2022-JP-3 has.
    const char* jisName = katakana ? "ISO-2022-JP-3" : "ISO-2022-JP";
    std::string expected, got, glibcJis;
    FUZZ_CHECK(Glibc("UTF-8", "SHIFT_JIS", sjis, expected), "glibc refused its own characters");
    // glibc reads Shift-JIS 0x5C and 0x7E as JIS X 0201's yen sign and
    // overline; the program's code page 932 has ASCII there, as JIS's ASCII
    // does. No double-byte character reads as either, so they are put back.
    // (One pass: replacing in place moved the rest of the text each time.)
    expected = GlibcAscii(expected);
    FUZZ_CHECK(Glibc("UTF-8", jisName, nkfJis, got), "glibc cannot read the JIS conversion");
    if (got != expected)
        std::fprintf(stderr, "text %s\nJIS  %s\nread %s\nwant %s\n", Hex(sjis).c_str(), Hex(nkfJis).c_str(),
                     Hex(got).c_str(), Hex(expected).c_str());
    FUZZ_CHECK(got == expected, "the JIS conversion reads as other characters than glibc's");
    if (!katakana && Glibc("ISO-2022-JP", "SHIFT_JIS", sjis, glibcJis))
        FUZZ_CHECK(NkfConvertFrom(glibcJis, NkfInput::Jis, NkfCode::ShiftJis) == sjis,
                   "glibc's JIS did not read back as the Shift-JIS text");
    return 0;
}
