// The line difference between a kept version and the current text.
#include "platform/recovery/LineDiff.h"

#include "NamedCase.h"

#include <gtest/gtest.h>

namespace {

struct DiffCase {
    const char* name;
    const char* before;
    const char* after;
    const char* shown;
};

const DiffCase kCases[] = {
    {"nothing_changed", "a\nb\n", "a\nb\n", "  a\n  b\n"},
    {"a_line_added_in_the_middle", "a\nc\n", "a\nb\nc\n", "  a\n+ b\n  c\n"},
    {"a_line_removed_at_the_start", "a\nb\nc", "b\nc", "- a\n  b\n  c\n"},
    {"a_line_changed", "a\nb\nc\n", "a\nB\nc\n", "  a\n- b\n+ B\n  c\n"},
    {"crlf_against_lf_differs", "a\r\nb\n", "a\nb\n", "- a\r\n+ a\n  b\n"},
    {"everything_new", "", "x\ny", "+ x\n+ y\n"},
    {"moved_line", "a\nb\nc\n", "b\nc\na\n", "- a\n  b\n  c\n+ a\n"},
};

class LineDiffTest : public ::testing::TestWithParam<DiffCase> {};

TEST_P(LineDiffTest, ShowsKeptRemovedAndAddedLines)
{
    const DiffCase& c = GetParam();
    EXPECT_EQ(LineDiff::Format(LineDiff::Compare(c.before, c.after)), c.shown);
}

INSTANTIATE_TEST_SUITE_P(Texts, LineDiffTest, ::testing::ValuesIn(kCases), CaseName);

TEST(LineDiffLimits, TextsTooLargeForTheTableStillShowEveryChangedLine)
{
    std::string before, after;
    for (int i = 0; i < 50; ++i) {
        before += "old" + std::to_string(i) + "\n";
        after += "new" + std::to_string(i) + "\n";
    }
    const auto lines = LineDiff::Compare("same\n" + before + "end\n", "same\n" + after + "end\n", 10);
    ASSERT_EQ(lines.size(), 102u);
    EXPECT_EQ(lines.front().kind, LineDiff::Kind::Same);
    EXPECT_EQ(lines[1].kind, LineDiff::Kind::Removed);
    EXPECT_EQ(lines[51].kind, LineDiff::Kind::Added);
    EXPECT_EQ(lines.back().text, "end");
}

} // namespace
