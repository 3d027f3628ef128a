// The word F1 hands to the help: the selection without spaces, or the word
// at the caret.
#include "platform/NamedCase.h"

#include "editor/CHelpKeyword.h"
#include "platform/text/Sjis.h"

#include <gtest/gtest.h>

namespace {

struct CaretCase {
    const char* name;
    const char* line; // UTF-8; "|" marks the caret and is removed
    const char* word;
};

class WordAtCaret : public ::testing::TestWithParam<CaretCase> {};

TEST_P(WordAtCaret, IsTheHelpKeyword)
{
    std::string line = sjis::FromUtf8(GetParam().line);
    // Without a "|" the caret is past the end of the line.
    std::size_t caret = line.find('|');
    if (caret == std::string::npos)
        caret = line.size() + 10;
    else
        line.erase(caret, 1);
    EXPECT_EQ(CHelpKeyword::AtColumn(line, caret), GetParam().word);
}

INSTANTIATE_TEST_SUITE_P(Lines, WordAtCaret,
                         ::testing::Values(CaretCase{"InsideAWord", "  spr|intf(\"%d\", $n);", "sprintf"},
                                           CaretCase{"AtTheStartOfAWord", "|print $x;", "print"},
                                           CaretCase{"JustAfterAWord", "print| $x;", "print"},
                                           CaretCase{"FileTestWithItsMinus", "if (-|e $file) {", "-e"},
                                           CaretCase{"FileTestCaretBeforeTheMinus", "if (|-d $dir) {", ""},
                                           CaretCase{"MinusBetweenWordsIsNoFileTest", "$a-|b", "b"},
                                           CaretCase{"LongWordAfterMinusIsNoFileTest", "-|foo", "foo"},
                                           CaretCase{"ScalarWithItsSigil", "chomp($|_);", "$_"},
                                           CaretCase{"ArrayWithItsSigil", "for (@AR|GV) {", "@ARGV"},
                                           CaretCase{"HashWithItsSigil", "$ENV{X} = %E|NV;", "%ENV"},
                                           CaretCase{"PunctuationVariable", "local $|/ = undef;", "$/"},
                                           CaretCase{"PunctuationVariableCaretAfter", "die $!|;", "$!"},
                                           CaretCase{"BlankLine", "   |   ", ""},
                                           CaretCase{"EmptyLine", "|", ""},
                                           CaretCase{"KanaWhoseSecondBytesAreLetters", "ア|イ", ""},
                                           CaretCase{"WordAfterKanji", "アイprint|", "print"},
                                           CaretCase{"CaretBeyondTheLine", "print", "print"}),
                         CaseName);

TEST(HelpKeyword, SelectionLosesEverySpace)
{
    EXPECT_EQ(CHelpKeyword::FromSelection("print f"), "printf");
    EXPECT_EQ(CHelpKeyword::FromSelection(" pr int "), "print");
    EXPECT_EQ(CHelpKeyword::FromSelection("   "), "");
}

} // namespace
