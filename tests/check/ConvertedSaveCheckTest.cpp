// The converted-save check: which characters an EUC-JP or JIS copy loses,
// judged against Python's own strict codecs reading the copy the save
// writes, and the charset declarations that stop fitting the copy.
#include "TempDir.h"
#include "check/CConvertedSaveCheck.h"
#include "platform/NamedCase.h"
#include "platform/text/Sjis.h"

#include <QProcess>
#include <gtest/gtest.h>
#include <set>

namespace {

std::string S(const char* utf8)
{
    return sjis::FromUtf8(utf8);
}

std::vector<std::string> Characters(const std::vector<LostCharacter>& lost)
{
    std::vector<std::string> out;
    for (const LostCharacter& l : lost)
        out.push_back(sjis::ToUtf8(l.character));
    return out;
}

TEST(ConvertedSave, TheNecAndIbmCharactersAreLostInBothCodesWithTheirLines)
{
    const std::string script =
        S("print \"①番 ㈱山田\\n\";\n# ふつうの漢字とかな、記号 ～ − ∥\nprint \"Ⅲ 髙橋 "
          "﨑\\n\";\n");
    for (const NkfCode to : {NkfCode::Euc, NkfCode::Jis}) {
        const auto lost = CConvertedSaveCheck::Lost(script, to);
        EXPECT_EQ(Characters(lost), (std::vector<std::string>{"①", "㈱", "Ⅲ", "髙", "﨑"}));
        ASSERT_EQ(lost.size(), 5u);
        EXPECT_EQ(lost[0].line, 1);
        EXPECT_EQ(lost[0].column, 8);
        EXPECT_EQ(lost[2].line, 3);
    }
}

TEST(ConvertedSave, HalfWidthKatakanaAreLostInJisButKeptInEuc)
{
    const std::string script = S("print \"ｶﾀｶﾅ\";\n");
    EXPECT_TRUE(CConvertedSaveCheck::Lost(script, NkfCode::Euc).empty());
    EXPECT_EQ(CConvertedSaveCheck::Lost(script, NkfCode::Jis).size(), 4u);
    EXPECT_TRUE(CConvertedSaveCheck::Lost(script, NkfCode::ShiftJis).empty());
}

// Every code page 932 extension character on a line of its own: NEC special
// characters (row 13), NEC-selected IBM extensions, IBM extensions.
std::string EveryExtensionCharacter(std::vector<std::string>& chars)
{
    std::string script;
    const std::pair<unsigned, unsigned> ranges[] = {{0x8740, 0x879C}, {0xED40, 0xEEFC}, {0xFA40, 0xFC4B}};
    for (const auto& [first, last] : ranges)
        for (unsigned code = first; code <= last; ++code) {
            const std::string ch{static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
            if ((code & 0xFF) == 0x7F || !sjis::IsValid(ch) ||
                sjis::ToUnicode(ch) == QStringLiteral("\uFFFD"))
                continue;
            chars.push_back(ch);
            script += ch + "\n";
        }
    return script;
}

// Python reads the copy with its strict codec; a line is kept when it reads
// as the same text as the original line read as code page 932, the usual
// mapping differences (JIS "¬" and "〜" against code page 932's "￢" and
// "～") aside.
std::vector<bool> PythonKeeps(const std::string& original, const std::string& copy, const char* codec)
{
    TempDir dir("kestrix-roundtrip");
    const std::string a = dir.write("original.txt", original);
    const std::string b = dir.write("copy.txt", copy);
    QProcess python;
    python.start("/usr/bin/python3",
                 {"-c",
                  "import sys\n"
                  "t = str.maketrans('\\u00ac\\u301c\\u2016\\u2212\\u00a2\\u00a3\\u2014',"
                  "                  '\\uffe2\\uff5e\\u2225\\uff0d\\uffe0\\uffe1\\u2015')\n"
                  "o = open(sys.argv[1], 'rb').read().decode('cp932').split('\\n')\n"
                  "c = open(sys.argv[2], 'rb').read().decode(sys.argv[3], errors='replace')"
                  ".translate(t).split('\\n')\n"
                  "print(''.join('1' if x == y else '0' for x, y in zip(o, c)))\n",
                  QString::fromStdString(a), QString::fromStdString(b), codec});
    python.waitForFinished(30000);
    std::vector<bool> keeps;
    for (const char c : python.readAllStandardOutput().trimmed())
        keeps.push_back(c == '1');
    return keeps;
}

struct RoundTripCase {
    const char* name;
    NkfCode to;
    const char* codec;
};

class ExtensionRoundTrip : public ::testing::TestWithParam<RoundTripCase> {};

TEST_P(ExtensionRoundTrip, EveryExtensionCharacterIsListedExactlyWhenTheCopyLosesIt)
{
    std::vector<std::string> chars;
    const std::string script = EveryExtensionCharacter(chars);
    ASSERT_GT(chars.size(), 450u);
    const std::string copy = NkfConvertFrom(script, NkfInput::ShiftJis, GetParam().to);
    const std::vector<bool> keeps = PythonKeeps(script, copy, GetParam().codec);
    ASSERT_EQ(keeps.size(), chars.size() + 1); // and the empty text after the last line

    std::set<int> lostLines;
    for (const LostCharacter& l : CConvertedSaveCheck::Lost(script, GetParam().to))
        lostLines.insert(l.line);
    std::size_t lost = 0;
    for (std::size_t k = 0; k < chars.size(); ++k) {
        const bool listed = lostLines.count(static_cast<int>(k) + 1) > 0;
        EXPECT_EQ(listed, !keeps[k]) << sjis::ToUtf8(chars[k]) << " line " << k + 1;
        lost += listed;
    }
    // Only the IBM characters with a twin in JIS X 0208 ("￢", "∵") survive.
    EXPECT_GT(lost, chars.size() - 10);
}

const RoundTripCase kRoundTrips[] = {
    {"euc_jp", NkfCode::Euc, "euc_jp"},
    {"jis", NkfCode::Jis, "iso2022_jp"},
};

INSTANTIATE_TEST_SUITE_P(Codes, ExtensionRoundTrip, ::testing::ValuesIn(kRoundTrips), CaseName);

TEST(ConvertedSave, CharsetDeclarationsThatNoLongerFitAreFoundAndRewritten)
{
    const std::string script =
        "print \"Content-Type: text/html; charset=Shift_JIS\\n\\n\";\n"
        "print '<meta charset=\"x-sjis\">';\n"
        "print '<meta http-equiv=\"Content-Type\" content=\"text/html; charset=euc-jp\">';\n";
    const auto wrong = CConvertedSaveCheck::WrongDeclarations(script, NkfCode::Euc);
    ASSERT_EQ(wrong.size(), 2u);
    EXPECT_EQ(wrong[0].name, "Shift_JIS");
    EXPECT_EQ(wrong[0].line, 1);
    EXPECT_EQ(wrong[1].name, "x-sjis");
    EXPECT_EQ(wrong[1].line, 2);

    const std::string rewritten = CConvertedSaveCheck::WithDeclarations(script, NkfCode::Euc);
    EXPECT_EQ(rewritten,
              "print \"Content-Type: text/html; charset=EUC-JP\\n\\n\";\n"
              "print '<meta charset=\"EUC-JP\">';\n"
              "print '<meta http-equiv=\"Content-Type\" content=\"text/html; charset=euc-jp\">';\n");
    EXPECT_TRUE(CConvertedSaveCheck::WrongDeclarations(rewritten, NkfCode::Euc).empty());
    EXPECT_EQ(CConvertedSaveCheck::WrongDeclarations(script, NkfCode::Jis).size(), 3u);
}

} // namespace
