// What the versions dialog shows of a script's previous versions: the list
// newest first with times and sizes, and each version read as the user reads
// it (RTF as its text, EUC-JP and JIS converted, any line break) compared
// line by line with the text as the editor holds it.
#include "EditorFixture.h"

#include "editor/CVersionHistory.h"
#include "platform/recovery/VersionStore.h"
#include "platform/text/Nkf.h"

#include "platform/NamedCase.h"

using namespace editortest;

struct ReadableCase {
    const char* name;
    std::string bytes;
    std::string text; // UTF-8
};

namespace {

// "漢字 ｶﾅ" in each form a file may hold it.
const std::vector<ReadableCase> kReadable = {
    {"ShiftJisWithCrLf", J("一 漢字 ｶﾅ\r\n二\r\n"), "一 漢字 ｶﾅ\n二\n"},
    {"ShiftJisWithLoneCr", J("一\r二"), "一\n二"},
    {"HalfWidthKatakanaOnlyStaysShiftJis", J("ｱｲｳ\n"), "ｱｲｳ\n"},
    {"EucJp", NkfConvertFrom(J("一 漢字\n"), NkfInput::ShiftJis, NkfCode::Euc), "一 漢字\n"},
    {"Jis", NkfConvertFrom(J("一 漢字\n"), NkfInput::ShiftJis, NkfCode::Jis), "一 漢字\n"},
    {"RtfGivesItsText", "{\\rtf1\\ansi{\\fonttbl{\\f0\\fcharset128 x;}}\\f0 \\'8a\\'bf\\par {\\b b}\\par}",
     "漢\nb\n"},
};

class VersionReadAsTheUserReadsIt : public ::testing::TestWithParam<ReadableCase> {};

TEST_P(VersionReadAsTheUserReadsIt, Case)
{
    EXPECT_EQ(U(CVersionHistory::Readable(GetParam().bytes)), GetParam().text);
}
INSTANTIATE_TEST_SUITE_P(VersionHistory, VersionReadAsTheUserReadsIt, ::testing::ValuesIn(kReadable),
                         CaseName);

TEST(VersionHistory, TheDifferenceNumbersTheLinesOfBothTexts)
{
    TempDir dir;
    VersionStore store(dir.file("versions"), {});
    const std::string script = dir.file("s.cgi");
    ASSERT_EQ(store.Keep(script, J("一\r\n二\r\n三\r\n")), 0);
    ASSERT_EQ(store.Keep(script, J("一\r\n")), 0);
    const CVersionHistory history(store, script);
    ASSERT_EQ(history.Entries().size(), 2u);
    EXPECT_EQ(U(history.Entries()[0].size), "4 バイト");
    EXPECT_EQ(U(history.Entries()[1].size), "12 バイト");

    // The editor's text: "\r" between lines, none after the last.
    const auto rows = history.Compare(1, J("一\r2\r三"));
    ASSERT_TRUE(rows);
    EXPECT_EQ(U(CVersionHistory::Format(*rows)), "    1     1   一\n"
                                                 "    2       - 二\n"
                                                 "          2 + 2\n"
                                                 "    3     3   三\n");
    // A version the store has dropped meanwhile.
    std::filesystem::remove(history.Entries()[0].version.file);
    EXPECT_FALSE(history.Compare(0, J("一")));
    EXPECT_FALSE(history.Compare(5, J("一")));
}

TEST(VersionHistory, SizesAndTimesReadAtAGlance)
{
    EXPECT_EQ(U(CVersionHistory::FormatSize(0)), "0 バイト");
    EXPECT_EQ(U(CVersionHistory::FormatSize(999)), "999 バイト");
    EXPECT_EQ(U(CVersionHistory::FormatSize(1000)), "1,000 バイト");
    EXPECT_EQ(U(CVersionHistory::FormatSize(52428800)), "52,428,800 バイト");
    ScopedEnv tz("TZ", "UTC");
    ::tzset();
    EXPECT_EQ(CVersionHistory::FormatTime(1796639465123456789LL), "2026/12/07 10:31:05");
}

} // namespace
