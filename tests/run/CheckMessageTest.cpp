// Reading the line number from the interpreter's messages, and taking the
// run path out of its output however the output is cut into pieces.
#include "platform/NamedCase.h"

#include "run/CCheckMessage.h"

#include <gtest/gtest.h>
#include <string>

namespace {

struct LineCase {
    const char* name;
    std::string text;
    short line;
};

class LineNumber : public ::testing::TestWithParam<LineCase> {};

TEST_P(LineNumber, IsReadAsTheCheckReadsIt)
{
    EXPECT_EQ(CCheckMessage::GetLineNumber(GetParam().text), GetParam().line);
}

INSTANTIATE_TEST_SUITE_P(
    Messages, LineNumber,
    ::testing::Values(LineCase{"SyntaxErrorWithComma", "syntax error at  line 12, near \"}\"", 12},
                      LineCase{"WarningWithFullStop",
                               "Name \"main::x\" used only once: possible typo at  line 3.", 3},
                      LineCase{"BlanksBetweenDigitsAreSkipped", "at  line 1 2.", 12},
                      LineCase{"TabAndLineBreakAreBlanksToo", "at  line \t4\r\n", 4},
                      LineCase{"LetterRightAfterLineGivesZero", "at  line x", 0},
                      LineCase{"NothingAfterLineGivesZero", "at  line ", 0},
                      LineCase{"NoLineWordGivesMinusOne", "-  syntax OK", -1},
                      LineCase{"UpperCaseLineIsNotTheWord", "at Line 5", -1},
                      LineCase{"LineWithoutItsBlankIsNotTheWord", "at line5", -1},
                      LineCase{"TheFirstOccurrenceCounts", "at  line 7, then line 9", 7},
                      LineCase{"MultiLineIsAFirstOccurrenceWithoutDigits",
                               "(Might be a runaway multi-line \"\" string starting on line 7)", 0},
                      LineCase{"WordsEndingInLineCount", "newline 8", 8},
                      LineCase{"LargestPositiveSixteenBitNumber", "line 32767", 32767},
                      LineCase{"AboveThatWrapsNegative", "line 32768", -32768},
                      LineCase{"SixtyFiveThousandFiveHundredThirtyFiveReadsMinusOne", "line 65535", -1},
                      LineCase{"SixtyFiveThousandFiveHundredThirtySixWrapsToZero", "line 65536", 0},
                      LineCase{"AnOverlongNumberStopsAtTheLargestInt", "line 99999999999999999999", -1},
                      LineCase{"ShiftJisTextBeforeTheWord", "\x8A\xBF\x8E\x9A at  line 21, near", 21}),
    CaseName);

TEST(CheckOutputFilter, RemovesTheRunPathEvenWhenAPieceEndsInsideIt)
{
    const std::string run = "/tmp/kestrix-ab12/a.cgi";
    CCheckOutputFilter filter(run);
    std::string shown;
    shown += filter.Add("syntax error at /tmp/kes");
    EXPECT_EQ(shown, "") << "half a line waits for the rest";
    shown += filter.Add("trix-ab12/a.cgi line 2, near \"}\"\n" + run + " had compil");
    EXPECT_EQ(shown, "syntax error at  line 2, near \"}\"\n");
    shown += filter.Add("ation errors.\n");
    shown += filter.Finish();
    EXPECT_EQ(shown, "syntax error at  line 2, near \"}\"\n had compilation errors.\n");
}

TEST(CheckOutputFilter, ALastLineWithoutBreakIsShownAtTheEnd)
{
    CCheckOutputFilter filter("/w/a.cgi");
    EXPECT_EQ(filter.Add("/w/a.cgi syntax OK"), "");
    EXPECT_EQ(filter.Finish(), " syntax OK");
    EXPECT_EQ(filter.Finish(), "");
}

} // namespace
