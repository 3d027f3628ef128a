#include "platform/text/Nkf.h"

#include "NamedCase.h"
#include "platform/text/Iconv.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <expected>
#include <filesystem>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace {

// Bytes as hex, so that a failed comparison shows where the outputs part.
std::string Hex(std::string_view s)
{
    static constexpr char digits[] = "0123456789abcdef";
    std::string out;
    for (char c : s) {
        auto b = static_cast<unsigned char>(c);
        if (!out.empty())
            out += ' ';
        out += digits[b >> 4];
        out += digits[b & 15];
    }
    return out;
}

// The nkf command is a declared dependency of these tests: its output is the
// reference the conversions are held against.
std::string NkfCommandPath()
{
    for (const char* path : {"/usr/bin/nkf", "/usr/local/bin/nkf"})
        if (::access(path, X_OK) == 0)
            return path;
    return {};
}

// Runs nkf with the flags on the input, passed through a temporary file.
std::expected<std::string, std::string> RunNkf(const std::string& flags, std::string_view input)
{
    std::string nkf = NkfCommandPath();
    if (nkf.empty())
        return std::unexpected("the nkf command is not installed (looked for /usr/bin/nkf); "
                               "these tests compare against it: install the nkf package");
    std::string path = (std::filesystem::temp_directory_path() / "kx_nkf_XXXXXX").string();
    int fd = ::mkstemp(path.data());
    if (fd < 0)
        return std::unexpected("cannot create a temporary file for nkf");
    bool written = ::write(fd, input.data(), input.size()) == ssize_t(input.size());
    ::close(fd);
    std::string result;
    int status = -1;
    if (written) {
        std::string command = nkf + " " + flags + " " + path;
        if (FILE* pipe = ::popen(command.c_str(), "r")) {
            char buffer[4096];
            std::size_t n;
            while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
                result.append(buffer, n);
            status = ::pclose(pipe);
        }
    }
    std::filesystem::remove(path);
    if (status != 0)
        return std::unexpected("nkf " + flags + " failed");
    return result;
}

constexpr NkfCode kCodes[] = {NkfCode::ShiftJis, NkfCode::Euc, NkfCode::Jis};

// nkf's flag for an output code; -x keeps half-width katakana half-width.
std::string NkfFlags(NkfCode code)
{
    switch (code) {
    case NkfCode::ShiftJis: return "-x -s";
    case NkfCode::Euc: return "-x -e";
    case NkfCode::Jis: return "-x -j";
    }
    return {};
}

const char* Name(NkfCode code)
{
    switch (code) {
    case NkfCode::ShiftJis: return "ShiftJis";
    case NkfCode::Euc: return "Euc";
    case NkfCode::Jis: return "Jis";
    }
    return "?";
}

bool HasHighByte(std::string_view s)
{
    return std::any_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

// Every test leaves the process-wide output code at its default.
class NkfTest : public ::testing::Test {
protected:
    void TearDown() override { SetNkfOption("s"); }
};

// ---------------------------------------------------------------------------
// The same texts through nkf and through NkfConvertText, from each input code
// to each output code. The Shift-JIS texts are the source; their EUC-JP and
// JIS forms are made by nkf itself.
//
// The texts steer clear of the places where this unit knowingly differs from
// nkf (NkfExactTest below pins those down): nkf rewrites NEC-selected IBM
// extension kanji (0xED40-0xEEFC) and the IBM duplicates of JIS X 0208
// symbols (0xFA54 "￢", 0xFA5B "∵") even in Shift-JIS to Shift-JIS output,
// and drops bytes it cannot place; so the code page 932 text below uses the
// IBM extension codes (0xFA40-0xFC4B) that nkf keeps.
struct CommandCase {
    const char* name;
    std::string sjis;
};

class NkfCommandTest : public ::testing::TestWithParam<CommandCase> {};

TEST_P(NkfCommandTest, MatchesNkfInAllDirections)
{
    const std::string& sjis = GetParam().sjis;
    auto euc = RunNkf("-x -e", sjis);
    ASSERT_TRUE(euc) << euc.error();
    auto jis = RunNkf("-x -j", sjis);
    ASSERT_TRUE(jis) << jis.error();

    bool ascii = !HasHighByte(sjis);
    struct Input {
        const char* name;
        const std::string& bytes;
        NkfInput detected;
    } inputs[] = {
        {"from ShiftJis", sjis, ascii ? NkfInput::Ascii : NkfInput::ShiftJis},
        {"from Euc", *euc, ascii ? NkfInput::Ascii : NkfInput::Euc},
        {"from Jis", *jis, ascii ? NkfInput::Ascii : NkfInput::Jis},
    };
    for (const Input& in : inputs) {
        SCOPED_TRACE(in.name);
        EXPECT_EQ(NkfDetect(in.bytes), in.detected);
        for (NkfCode to : kCodes) {
            SCOPED_TRACE(std::string("to ") + Name(to));
            auto expected = RunNkf(NkfFlags(to), in.bytes);
            ASSERT_TRUE(expected) << expected.error();
            EXPECT_EQ(Hex(NkfConvertText(in.bytes, to)), Hex(*expected));
        }
    }
    // And the program's own code comes back byte for byte.
    EXPECT_EQ(Hex(NkfConvertText(sjis, NkfCode::ShiftJis)), Hex(sjis));
}

INSTANTIATE_TEST_SUITE_P(
    NkfTexts, NkfCommandTest,
    ::testing::Values(
        // 漢字とひらがなとカタカナ、ﾊﾝｶｸｶﾀｶﾅ ｶﾞｷﾞｸﾞ｡「ﾃｽﾄ」
        CommandCase{"KanjiKanaHalfWidth",
                    "\x8a\xbf\x8e\x9a\x82\xc6\x82\xd0\x82\xe7\x82\xaa\x82\xc8\x82\xc6"
                    "\x83J\x83^\x83J\x83i\x81"
                    "A\xca\xdd\xb6\xb8\xb6\xc0\xb6\xc5 \xb6\xde\xb7\xde\xb8\xde\xa1\x81u\xc3\xbd\xc4\x81v"},
        // print "価格は￥１，０００～２，０００です―以上\n";
        CommandCase{"YenTildeDash", "print \"\x89\xbf\x8ai\x82\xcd\x81\x8f\x82P\x81"
                                    "C\x82O\x82O\x82O\x81`\x82Q\x81"
                                    "C\x82O\x82O\x82O\x82\xc5\x82\xb7\x81\\\x88\xc8\x8f\xe3\\n\";"},
        // my $path = "C:\\perl\\bin\\perl.exe"; # ソフト表示能力
        // (ソ, 表 and 能 end in 0x5C, the backslash.)
        CommandCase{
            "BackslashTrailBytes",
            "my $path = \"C:\\\\perl\\\\bin\\\\perl.exe\"; # \x83\\\x83t\x83g\x95\\\x8e\xa6\x94\\\x97\xcd"},
        CommandCase{"AsciiBackslashes", "print \"C:\\\\temp\\\\a.txt\\n\";\r\n$x =~ s/\\s+$//;\n"},
        // line1 あいう / line2 ｱｲｳ / (empty) / end, with CR LF line breaks
        CommandCase{"CrLfLines", "line1 \x82\xa0\x82\xa2\x82\xa4\r\nline2 \xb1\xb2\xb3\r\n\r\nend"},
        // ①②③ Ⅰ Ⅱ ㈱ №　纊 髙 﨑 ⅰ ⅱ ∵ ≒: NEC special characters and IBM
        // extension kanji, which EUC-JP and JIS write in rows 13 and 89-92.
        CommandCase{"Cp932Extensions",
                    "\x87@\x87"
                    "A\x87"
                    "B \x87T \x87U \x87\x8a \x87\x82\x81@\xfa\\ \xfb\xfc \xfa\xb1 \xfa@ \xfa"
                    "A \x81\xe6 \x81\xe0\n"},
        // ｱ漢ｱ: JIS output switches straight from katakana to kanji and back,
        // and must return to ASCII at the end of a text without a newline.
        CommandCase{"KatakanaKanjiSwitches", "\xb1\x8a\xbf\xb1"},
        // A CGI script with a greeting: こんにちは、ｾｶｲ
        CommandCase{"CgiScript", "#!/usr/bin/perl\nprint \"Content-type: text/html\\n\\n\";\nprint \"<p>"
                                 "\x82\xb1\x82\xf1\x82\xc9\x82\xbf\x82\xcd\x81"
                                 "A\xbe\xb6\xb2</p>\\n\";\n"}),
    CaseName);

// ---------------------------------------------------------------------------
// Exact bytes for the cases that matter one by one. Where nkfAgrees is set the
// row is also checked against nkf; where it is not, the comment says what nkf
// does instead and why this unit does otherwise.
struct ExactCase {
    const char* name;
    std::string in;
    NkfCode to;
    std::string expected;
    bool nkfAgrees;
};

class NkfExactTest : public ::testing::TestWithParam<ExactCase> {};

TEST_P(NkfExactTest, Converts)
{
    const ExactCase& c = GetParam();
    EXPECT_EQ(Hex(NkfConvertText(c.in, c.to)), Hex(c.expected));
    if (c.nkfAgrees) {
        auto nkf = RunNkf(NkfFlags(c.to), c.in);
        ASSERT_TRUE(nkf) << nkf.error();
        EXPECT_EQ(Hex(*nkf), Hex(c.expected)) << "nkf no longer agrees with this row";
    }
}

INSTANTIATE_TEST_SUITE_P(
    NkfBytes, NkfExactTest,
    ::testing::Values(
        // アｱｲｳ: half-width katakana stay half-width.
        ExactCase{"KatakanaToEuc", "\x83\x41\xb1\xb2\xb3", NkfCode::Euc, "\xa5\xa2\x8e\xb1\x8e\xb2\x8e\xb3",
                  true},
        ExactCase{"KatakanaToJis", "\x83\x41\xb1\xb2\xb3", NkfCode::Jis, "\x1b$B%\"\x1b(I123\x1b(B", true},
        ExactCase{"JisKatakanaToSjis", "\x1b(I123\x1b(B", NkfCode::ShiftJis, "\xb1\xb2\xb3", true},
        ExactCase{"ShiftOutKatakana",
                  "a\x1b$B$\"\x1b(B\x0e"
                  "12\x0fz\n",
                  NkfCode::ShiftJis, "a\x82\xa0\xb1\xb2z\n", true},
        ExactCase{"EightBitKatakanaInJis", "a\x1b$B$\"\x1b(B\xb1\xb2z\n", NkfCode::Euc,
                  "a\xa4\xa2\x8e\xb1\x8e\xb2z\n", true},
        ExactCase{"OldKanjiEscapeRewritten", "\x1b$@$\"\x1b(B", NkfCode::Jis, "\x1b$B$\"\x1b(B", true},
        ExactCase{"JisRomanIsAscii", "\x1b$B$\"\x1b(J\\~\n", NkfCode::ShiftJis, "\x82\xa0\\~\n", true},
        ExactCase{"UnterminatedJisClosed", "\x1b$B$\"", NkfCode::Jis, "\x1b$B$\"\x1b(B", true},
        ExactCase{"UnterminatedJisToSjis", "\x1b$B$\"", NkfCode::ShiftJis, "\x82\xa0", true},
        // The kanji mode of the input lasts over a line break; the output
        // returns to ASCII before it.
        ExactCase{"LineBreakInKanjiMode", "\x1b$B$\"\n$\"\x1b(B\n", NkfCode::Jis,
                  "\x1b$B$\"\x1b(B\n\x1b$B$\"\x1b(B\n", true},
        // ソ表 end in 0x5C; they are not a backslash.
        ExactCase{"TrailBackslashToEuc", "\x83\x5c\x95\x5c", NkfCode::Euc, "\xa5\xbd\xc9\xbd", true},
        ExactCase{"TrailBackslashToJis", "\x83\x5c\x95\x5c", NkfCode::Jis, "\x1b$B%=I=\x1b(B", true},
        // あ纊: IBM extension kanji become NEC-selected rows in EUC-JP, and
        // come back as IBM extension kanji.
        ExactCase{"IbmKanjiToEuc", "\x82\xa0\xfa\x5c", NkfCode::Euc, "\xa4\xa2\xf9\xa1", true},
        ExactCase{"NecSelectedToSjis", "\xa4\xa2\xf9\xa1", NkfCode::ShiftJis, "\x82\xa0\xfa\x5c", true},
        // あ￢: the NEC-selected "￢" is the JIS X 0208 one in Shift-JIS.
        ExactCase{"NecSelectedNotSign", "\xa4\xa2\xfc\xfb", NkfCode::ShiftJis, "\x82\xa0\x81\xca", true},
        // あ￢∵Ⅰ in IBM codes take the JIS X 0208 and NEC row 13 places.
        ExactCase{"IbmDuplicatesToEuc", "\x82\xa0\xfa\x54\xfa\x5b\xfa\x4a", NkfCode::Euc,
                  "\xa4\xa2\xa2\xcc\xa2\xe8\xad\xb5", true},
        // あ纊ⅰ in NEC-selected codes: nkf rewrites them as IBM codes (FA5C
        // FA40); Shift-JIS to Shift-JIS must give the same bytes back.
        ExactCase{"NecSelectedKeptInSjis", "\x82\xa0\xed\x40\xee\xef", NkfCode::ShiftJis,
                  "\x82\xa0\xed\x40\xee\xef", false},
        // あ￢∵ in IBM codes: nkf writes 81CA 81E6; same reason.
        ExactCase{"IbmDuplicatesKeptInSjis", "\x82\xa0\xfa\x54\xfa\x5b", NkfCode::ShiftJis,
                  "\x82\xa0\xfa\x54\xfa\x5b", false},
        // あ + user-defined F040: nkf drops it; it has no EUC-JP or JIS code,
        // so its bytes pass through, and from JIS they come back.
        ExactCase{"UserDefinedToEuc", "\x82\xa0\xf0\x40", NkfCode::Euc, "\xa4\xa2\xf0\x40", false},
        ExactCase{"UserDefinedToJis", "\x82\xa0\xf0\x40", NkfCode::Jis, "\x1b$B$\"\x1b(B\xf0\x40", false},
        ExactCase{"UserDefinedBackFromJis", "\x1b$B$\"\x1b(B\xf0\x40", NkfCode::ShiftJis, "\x82\xa0\xf0\x40",
                  false},
        // Invalid bytes pass through; nkf turns 0x80 into 8E A0 and drops a
        // lead byte with no trail byte.
        ExactCase{"InvalidBytePasses", "\x82\xa0\x80\x82\xa0", NkfCode::Euc, "\xa4\xa2\x80\xa4\xa2", false},
        ExactCase{"CutLeadBytePasses", "\x82\xa0\x82", NkfCode::Euc, "\xa4\xa2\x82", false},
        ExactCase{"LeadByteKeepsLineBreak", "\x82\xa0\x82\n\x82\xa0", NkfCode::Euc, "\xa4\xa2\x82\n\xa4\xa2",
                  false},
        // A lone ｡: nkf reads it as nothing at all.
        ExactCase{"LoneKatakanaKept", "\xa1", NkfCode::Euc, "\x8e\xa1", false},
        // Half a kanji at the end of JIS text: nkf drops it.
        ExactCase{"HalfJisKanjiPasses", "\x1b$B$\"$", NkfCode::ShiftJis, "\x82\xa0$", false},
        // 亜 + JIS X 0212 "ⅰ" (eucJP-ms): Shift-JIS has it as FA40.
        ExactCase{"X0212ToSjis", "\xb0\xa1\x8f\xf3\xf3", NkfCode::ShiftJis, "\x88\x9f\xfa\x40", true},
        ExactCase{"X0212ToJis", "\xb0\xa1\x8f\xf3\xf3", NkfCode::Jis, "\x1b$B0!\x1b$(Dss\x1b(B", true},
        // nkf rewrites it as NEC-selected FCF1; EUC-JP to EUC-JP keeps it.
        ExactCase{"X0212KeptInEuc", "\xb0\xa1\x8f\xf3\xf3", NkfCode::Euc, "\xb0\xa1\x8f\xf3\xf3", false},
        // 亜 + JIS X 0212 "丂" + 蔭: no Shift-JIS code, so the geta mark 〓
        // stands in; nkf drops the character.
        ExactCase{"X0212WithoutSjis", "\xb0\xa1\x8f\xb0\xa1\xb0\xfe", NkfCode::ShiftJis,
                  "\x88\x9f\x81\xac\x88\xfc", false},
        // ESC ( B alone does not make a text JIS; nkf takes it for JIS and
        // drops the (redundant) escape.
        ExactCase{"AsciiDesignationAlone", "a\x1b(Bb", NkfCode::Euc, "a\x1b(Bb", false},
        ExactCase{"EmptyToSjis", "", NkfCode::ShiftJis, "", true},
        ExactCase{"EmptyToJis", "", NkfCode::Jis, "", true}),
    CaseName);

// ---------------------------------------------------------------------------
// Which code a text is read as. Every row but one is also held against
// nkf's own guess (nkf -g).
struct DetectCase {
    const char* name;
    std::string in;
    NkfInput expected;
    bool nkfAgrees = true;
};

std::optional<NkfInput> FromNkfGuess(std::string guess);

class NkfDetectTest : public ::testing::TestWithParam<DetectCase> {};

TEST_P(NkfDetectTest, Detects)
{
    const DetectCase& c = GetParam();
    EXPECT_EQ(NkfDetect(c.in), c.expected);
    if (c.nkfAgrees) {
        auto guess = RunNkf("-g", c.in);
        ASSERT_TRUE(guess) << guess.error();
        auto code = FromNkfGuess(*guess);
        ASSERT_TRUE(code) << "unknown nkf guess " << *guess;
        EXPECT_EQ(*code, c.expected) << "nkf guessed " << *guess;
    }
}

INSTANTIATE_TEST_SUITE_P(
    NkfGuess, NkfDetectTest,
    ::testing::Values(DetectCase{"Empty", "", NkfInput::Ascii},
                      DetectCase{"Ascii", "print \"\\x1b\";\r\n", NkfInput::Ascii},
                      DetectCase{"JisKanji", "\x1b$B$\"\x1b(B", NkfInput::Jis},
                      DetectCase{"JisOldKanji", "\x1b$@$\"\x1b(B", NkfInput::Jis},
                      DetectCase{"JisKatakanaOnly", "\x1b(I1\x1b(B", NkfInput::Jis},
                      DetectCase{"JisRomanOnly", "\x1b(J\\\x1b(B", NkfInput::Jis},
                      // あいう in EUC reads as six half-width katakana in Shift-JIS.
                      DetectCase{"EucHiragana", "\xa4\xa2\xa4\xa4\xa4\xa6", NkfInput::Euc},
                      // 日本 and 漢字 in EUC.
                      DetectCase{"EucKanji", "\xc6\xfc\xcb\xdc", NkfInput::Euc},
                      DetectCase{"EucKanjiOddInSjis", "\xb4\xc1\xbb\xfa", NkfInput::Euc},
                      // ｱｲｳｴ in Shift-JIS is also EUC 渦鵜: the codes cannot tell; EUC wins
                      // the tie, as in nkf.
                      DetectCase{"EvenKatakanaRunTakenForEuc", "\xb1\xb2\xb3\xb4", NkfInput::Euc},
                      DetectCase{"OddKatakanaRun", "\xb1\xb2\xb3", NkfInput::ShiftJis},
                      DetectCase{"SjisHiragana", "\x82\xa0", NkfInput::ShiftJis},
                      // 8E B1 is a Shift-JIS kanji and EUC ｱ; the kanji is more ordinary.
                      DetectCase{"SjisKanjiOverEucKatakana", "\x8e\xb1", NkfInput::ShiftJis},
                      // ｱ + あ in EUC against a kanji and two katakana in Shift-JIS: a tie.
                      DetectCase{"KatakanaBothWays", "\x8e\xb1\xa4\xa2", NkfInput::Euc},
                      // EUC あ + NEC row 13 "Ⅰ" against four katakana: the vendor
                      // character is the more suspicious.
                      DetectCase{"EucVendorLosesToKatakana", "\xa4\xa2\xad\xb5", NkfInput::ShiftJis},
                      // EUC あ + NEC-selected 纊 against katakana and an IBM code in Shift-JIS.
                      DetectCase{"EucVendorBeatsKatakanaAndVendor", "\xa4\xa2\xf9\xa1", NkfInput::Euc},
                      // Unassigned EUC rows and cells, and JIS X 0212, are rarer still.
                      DetectCase{"EucUnassignedRow", "\xa4\xa2\xa9\xa1", NkfInput::ShiftJis},
                      DetectCase{"EucUnassignedCell", "\xa4\xa2\xa2\xaf", NkfInput::ShiftJis},
                      DetectCase{"EucPastLastKanji", "\xa4\xa2\xcf\xd4", NkfInput::ShiftJis},
                      DetectCase{"EucLastKanji", "\xa4\xa2\xcf\xd3", NkfInput::Euc},
                      DetectCase{"EucX0212", "\xa4\xa2\x8f\xb0\xa1", NkfInput::ShiftJis},
                      // Shift-JIS user-defined F5A1 is as rare as the unassigned EUC row 85;
                      // the Shift-JIS katakana tip it to EUC.
                      DetectCase{"SjisUserDefinedAndKatakana", "\xa4\xa2\xf5\xa1", NkfInput::Euc},
                      // A lone ｡: nkf calls it ASCII and drops the byte.
                      DetectCase{"LoneKatakanaByte", "\xa1", NkfInput::ShiftJis, false}),
    CaseName);

// nkf's names for what it guessed, as this unit's detection.
std::optional<NkfInput> FromNkfGuess(std::string guess)
{
    while (!guess.empty() && (guess.back() == '\n' || guess.back() == ' '))
        guess.pop_back();
    if (guess == "ASCII")
        return NkfInput::Ascii;
    if (guess == "Shift_JIS" || guess == "CP932")
        return NkfInput::ShiftJis;
    if (guess == "EUC-JP" || guess == "CP51932" || guess == "EUCJP-MS")
        return NkfInput::Euc;
    if (guess == "ISO-2022-JP")
        return NkfInput::Jis;
    return std::nullopt;
}

// ---------------------------------------------------------------------------
// Truncation. The oracle splits the full output into whole characters by the
// output code's own byte rules (an escape sequence belongs to the character
// after it); a buffer of n bytes must then hold the longest run of whole
// characters that fits with the NUL and, for JIS, the ESC ( B that ends it.
struct Cut {
    std::size_t end;
    bool shifted; // JIS only: not in ASCII after this character
};

std::vector<Cut> Cuts(std::string_view s, NkfCode code)
{
    std::vector<Cut> cuts{{0, false}};
    bool twoByte = false;
    bool shifted = false;
    for (std::size_t i = 0; i < s.size();) {
        auto c = static_cast<unsigned char>(s[i]);
        std::size_t n = 1;
        if (code == NkfCode::ShiftJis) {
            n = (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC) ? 2 : 1;
        } else if (code == NkfCode::Euc) {
            n = c == 0x8F ? 3 : c == 0x8E || (c >= 0xA1 && c <= 0xFE) ? 2 : 1;
        } else {
            if (c == 0x1B) {
                std::size_t length = s.substr(i, 3) == "\x1b$(" ? 4 : 3;
                std::string_view escape = s.substr(i, length);
                shifted = escape != "\x1b(B";
                twoByte = escape[1] == '$';
                i += length;
                if (i == s.size())
                    break; // the closing ESC ( B
                c = static_cast<unsigned char>(s[i]);
            }
            // Bytes passed through raw (outside any shift) keep their
            // Shift-JIS characters whole.
            bool sjisLead = (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
            n = twoByte || (!shifted && sjisLead) ? 2 : 1;
        }
        i += n;
        cuts.push_back({i, shifted});
    }
    return cuts;
}

struct TruncationCase {
    const char* name;
    std::string in;
    NkfCode to;
};

class NkfTruncationTest : public NkfTest, public ::testing::WithParamInterface<TruncationCase> {};

TEST_P(NkfTruncationTest, StopsAtWholeCharactersAndNeverOverruns)
{
    const TruncationCase& c = GetParam();
    static constexpr const char* options[] = {"s", "j", "e"};
    SetNkfOption(options[int(c.to)]);
    std::string full = NkfConvertText(c.in, c.to);
    ASSERT_EQ(NkfConvertedSize(c.in.c_str()), full.size() + 1);
    std::vector<Cut> cuts = Cuts(full, c.to);
    ASSERT_EQ(cuts.back().end, c.to == NkfCode::Jis && cuts.back().shifted ? full.size() - 3 : full.size());

    constexpr std::size_t kCanary = 16;
    for (std::size_t size = 0; size <= full.size() + 2; ++size) {
        SCOPED_TRACE("buffer of " + std::to_string(size));
        std::vector<char> buffer(size + kCanary, '\xCC');
        NkfConvert(buffer.data(), size, c.in.c_str());
        for (std::size_t i = size; i < buffer.size(); ++i)
            ASSERT_EQ(buffer[i], '\xCC') << "written past the buffer at " << i;
        if (size == 0)
            continue;
        auto nul = std::find(buffer.begin(), buffer.begin() + std::ptrdiff_t(size), '\0');
        ASSERT_NE(nul, buffer.begin() + std::ptrdiff_t(size)) << "not terminated";
        std::string got(buffer.begin(), nul);

        std::string expected;
        for (const Cut& cut : cuts) {
            std::string candidate = full.substr(0, cut.end) + (cut.shifted ? "\x1b(B" : "");
            if (candidate.size() + 1 <= size)
                expected = candidate;
        }
        EXPECT_EQ(Hex(got), Hex(expected));
    }
}

// 漢字ｶﾅとASCII\r\n, ending in a half-width katakana ｱ
const std::string kMixed = "\x8a\xbf\x8e\x9a\xb6\xc5\x82\xc6"
                           "ASCII\r\n\xb1";
// ①纊 髙 + user-defined F040
const std::string kVendor = "\x87\x40\xfa\x5c \xfb\xfc\xf0\x40";
// 亜 + JIS X 0212 ⅰ, in EUC
const std::string kEucX0212 = "\xb0\xa1\x8f\xf3\xf3\xa4\xa2";

INSTANTIATE_TEST_SUITE_P(NkfBuffers, NkfTruncationTest,
                         ::testing::Values(TruncationCase{"MixedToSjis", kMixed, NkfCode::ShiftJis},
                                           TruncationCase{"MixedToEuc", kMixed, NkfCode::Euc},
                                           TruncationCase{"MixedToJis", kMixed, NkfCode::Jis},
                                           TruncationCase{"VendorToEuc", kVendor, NkfCode::Euc},
                                           TruncationCase{"VendorToJis", kVendor, NkfCode::Jis},
                                           TruncationCase{"EucX0212ToEuc", kEucX0212, NkfCode::Euc},
                                           TruncationCase{"EucX0212ToJis", kEucX0212, NkfCode::Jis},
                                           TruncationCase{"JisToJis", "\x1b$B$\"\x1b(I1\x1b$B$\"\x1b(B\n",
                                                          NkfCode::Jis}),
                         CaseName);

// Converts into a buffer of the given size with four bytes of "Z" after it,
// which must stay as they are; returns the text up to the NUL, as hex.
std::string ConvertIntoBuffer(std::size_t size, const char* in)
{
    std::vector<char> buffer(size + 4, 'Z');
    NkfConvert(buffer.data(), size, in);
    EXPECT_EQ(std::string_view(buffer.data() + size, 4), "ZZZZ") << "written past a buffer of " << size;
    return Hex(buffer.data());
}

// The callers sized EUC buffers as the text's length + 1, which half-width
// katakana outgrow: each becomes two bytes.
TEST_F(NkfTest, EucKatakanaInLengthPlusOneBuffer)
{
    const char* in = "\xb1\xb2\xb3"; // ｱｲｳ
    SetNkfOption("e");
    ASSERT_EQ(NkfConvertedSize(in), 7u);
    // A second ｱ would need 5 bytes with the NUL.
    EXPECT_EQ(ConvertIntoBuffer(4, in), Hex("\x8e\xb1"));
    EXPECT_EQ(ConvertIntoBuffer(7, in), Hex("\x8e\xb1\x8e\xb2\x8e\xb3"));
}

// Three times the length is not always enough for JIS either: one
// half-width katakana byte takes seven.
TEST_F(NkfTest, JisKatakanaInThreeTimesLengthBuffer)
{
    const char* in = "ab\xb1";
    SetNkfOption("j");
    ASSERT_EQ(NkfConvertedSize(in), 10u);
    EXPECT_EQ(ConvertIntoBuffer(9, in), Hex("ab"));
}

TEST_F(NkfTest, ZeroSizeWritesNothingAndNullInputIsEmpty)
{
    char buffer[4] = {'Z', 'Z', 'Z', 'Z'};
    NkfConvert(buffer, 0, "\x82\xa0");
    EXPECT_EQ(std::string_view(buffer, 4), "ZZZZ");
    NkfConvert(buffer, 4, nullptr);
    EXPECT_EQ(buffer[0], '\0');
    EXPECT_EQ(NkfConvertedSize(nullptr), 1u);
    NkfConvert(nullptr, 4, "a"); // no buffer: nothing to do, no crash
}

TEST_F(NkfTest, ConvertsInPlace)
{
    char buffer[16] = "\x82\xa0\x82\xa2"; // あい
    SetNkfOption("e");
    NkfConvert(buffer, sizeof buffer, buffer);
    EXPECT_EQ(Hex(buffer), Hex("\xa4\xa2\xa4\xa4"));
}

// ---------------------------------------------------------------------------
// The option: what each text does to the output code, starting from EUC-JP.
TEST_F(NkfTest, OptionSelectsOutputCode)
{
    struct Row {
        const char* name;
        const char* option;
        NkfCode expected;
    } rows[] = {
        {"shift-jis", "s", NkfCode::ShiftJis},
        {"jis", "j", NkfCode::Jis},
        {"euc", "e", NkfCode::Euc},
        {"empty", "", NkfCode::Euc},
        {"upper case", "S", NkfCode::Euc},
        {"with dash", "-s", NkfCode::Euc},
        {"two letters", "sj", NkfCode::Euc},
        {"other", "x", NkfCode::Euc},
        {"null", nullptr, NkfCode::Euc},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        SetNkfOption("e");
        SetNkfOption(row.option);
        EXPECT_EQ(NkfOutputCode(), row.expected);
    }
}

TEST_F(NkfTest, OptionStaysForFollowingConversions)
{
    const char* in = "\x82\xa0"; // あ
    char buffer[16];
    SetNkfOption("j");
    for (int i = 0; i < 2; ++i) {
        NkfConvert(buffer, sizeof buffer, in);
        EXPECT_EQ(Hex(buffer), Hex("\x1b$B$\"\x1b(B"));
    }
    SetNkfOption("?");
    NkfConvert(buffer, sizeof buffer, in);
    EXPECT_EQ(Hex(buffer), Hex("\x1b$B$\"\x1b(B"));
    SetNkfOption("s");
    NkfConvert(buffer, sizeof buffer, in);
    EXPECT_EQ(Hex(buffer), Hex(in));
}

// Each test puts the code back to Shift-JIS, so this holds whether it runs
// first (the default) or later.
TEST_F(NkfTest, DefaultOutputIsShiftJis)
{
    EXPECT_EQ(NkfOutputCode(), NkfCode::ShiftJis);
}

// ---------------------------------------------------------------------------
// Binary junk: nothing crashes or runs past the buffer, a text read as
// Shift-JIS or EUC-JP converts to its own code unchanged, and JIS output
// always ends back in ASCII.
void CheckJunk(std::string_view in)
{
    NkfInput detected = NkfDetect(in);
    for (NkfCode to : kCodes) {
        std::string out = NkfConvertText(in, to);
        bool sameCode = (to == NkfCode::ShiftJis && detected == NkfInput::ShiftJis) ||
                        (to == NkfCode::Euc && detected == NkfInput::Euc) ||
                        (to != NkfCode::Jis && detected == NkfInput::Ascii);
        if (sameCode) {
            ASSERT_EQ(Hex(out), Hex(in));
        }
        if (to == NkfCode::Jis) {
            std::size_t last = std::string_view::npos;
            for (std::string_view d : {"\x1b(B", "\x1b$B", "\x1b(I", "\x1b$(D"}) {
                std::size_t at = out.rfind(d);
                if (at != std::string::npos && (last == std::string_view::npos || at > last))
                    last = at;
            }
            if (last != std::string_view::npos) {
                ASSERT_EQ(out.substr(last, 3), "\x1b(B") << Hex(in);
            }
        }
    }
}

TEST_F(NkfTest, EveryByteAndBytePair)
{
    for (int a = 0; a < 256; ++a) {
        const char one[] = {char(a)};
        CheckJunk({one, 1});
        for (int b = 0; b < 256; ++b) {
            const char two[] = {char(a), char(b)};
            CheckJunk({two, 2});
        }
    }
}

TEST_F(NkfTest, RandomJunkWithBoundedBuffers)
{
    std::mt19937 random(20240531);
    // Bytes that build and break escape sequences, shifts and multibyte
    // characters, and then any byte at all.
    const std::string alphabet =
        std::string("\x1b$()BIJD@&\x0e\x0f!~\n\r") + "\x8e\x8f\xa1\xdf\xe0\xfc\xfd\xff\x81\x40\x5c";
    std::vector<std::string> texts;
    for (int i = 0; i < 300; ++i) {
        std::string text(random() % 40, '\0');
        for (char& c : text)
            c = i % 2 ? char(random()) : alphabet[random() % alphabet.size()];
        std::replace(text.begin(), text.end(), '\0', '\x1b'); // NkfConvert stops at NUL
        texts.push_back(text);
    }
    for (const std::string& text : texts) {
        CheckJunk(text);
        for (const char* option : {"s", "e", "j"}) {
            SetNkfOption(option);
            std::size_t need = NkfConvertedSize(text.c_str());
            std::size_t size = random() % (need + 2);
            std::vector<char> buffer(size + 8, '\xCC');
            NkfConvert(buffer.data(), size, text.c_str());
            for (std::size_t i = size; i < buffer.size(); ++i)
                ASSERT_EQ(buffer[i], '\xCC') << Hex(text);
            if (size > 0) {
                ASSERT_LT(std::strlen(buffer.data()), size);
            }
        }
    }
}

TEST(NkfRowCell, FirstAndLastCellsOfOddAndEvenRowsMatchIconv)
{
    // A Shift-JIS lead byte covers two rows: an odd row takes trail bytes
    // 0x40-0x9E, an even one 0x9F-0xFC. The edges of both halves are where
    // a wrong split shows.
    Iconv toSjis("SHIFT_JIS", "EUC-JP");
    Iconv toJis("ISO-2022-JP", "EUC-JP");
    ASSERT_TRUE(toSjis.ok() && toJis.ok());
    for (int row : {1, 2, 16, 17, 48, 49, 82, 83}) {
        for (int cell : {1, 94}) {
            const std::string euc{char(0xA0 + row), char(0xA0 + cell)};
            std::string sjis, jis;
            ASSERT_TRUE(toSjis.Convert(euc, sjis)) << row << "-" << cell;
            ASSERT_TRUE(toJis.Convert(euc, jis)) << row << "-" << cell;
            EXPECT_EQ(Hex(NkfConvertFrom(sjis, NkfInput::ShiftJis, NkfCode::Euc)), Hex(euc))
                << row << "-" << cell;
            EXPECT_EQ(Hex(NkfConvertFrom(sjis, NkfInput::ShiftJis, NkfCode::Jis)), Hex(jis))
                << row << "-" << cell;
            EXPECT_EQ(Hex(NkfConvertFrom(euc, NkfInput::Euc, NkfCode::ShiftJis)), Hex(sjis))
                << row << "-" << cell;
        }
    }
    // The character that gave the split away: 0x899E is row 17's last cell.
    EXPECT_EQ(Hex(NkfConvertFrom("\x89\x9E", NkfInput::ShiftJis, NkfCode::Euc)), "b1 fe");
}

} // namespace
