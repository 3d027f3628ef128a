// Output on its way into the console, cut into pieces at every awkward
// place: a Shift-JIS character and a CR LF line break split between two
// pieces are shown whole, and a NUL byte does not cut the text after it.
#include "run/CConsoleText.h"

#include <gtest/gtest.h>
#include <string>

namespace {

// "漢" in Shift-JIS is 0x8A 0xBF; its trail byte is no ASCII character.
const std::string kKan = "\x8A\xBF";

TEST(ConsoleText, ACharacterSplitBetweenPiecesWaitsForItsSecondByte)
{
    CConsoleText text;
    EXPECT_EQ(text.Add("abc\x8A"), "abc");
    EXPECT_EQ(text.Add("\xBF"
                       "d"),
              kKan + "d");
    EXPECT_EQ(text.Finish(), "");
}

TEST(ConsoleText, ALineBreakSplitBetweenPiecesIsOneBreak)
{
    CConsoleText text;
    EXPECT_EQ(text.Add("one\r"), "one");
    EXPECT_EQ(text.Add("\ntwo\r\n"), "\ntwo\n");
    EXPECT_EQ(text.Add("bare\rcr\r"), "bare\rcr");
    EXPECT_EQ(text.Finish(), "\r") << "a last CR is shown at the end";
}

TEST(ConsoleText, EveryCutOfAStreamGivesTheSameText)
{
    const std::string stream = "a" + kKan + "\r\n" + kKan + kKan + "\r\rb\n" + kKan;
    const std::string whole = "a" + kKan + "\n" + kKan + kKan + "\r\rb\n" + kKan;
    for (std::size_t cut = 0; cut <= stream.size(); ++cut) {
        CConsoleText text;
        std::string shown = text.Add(stream.substr(0, cut));
        shown += text.Add(stream.substr(cut));
        shown += text.Finish();
        EXPECT_EQ(shown, whole) << "cut at " << cut;
    }
}

TEST(ConsoleText, ANulByteIsDroppedAndTheTextAfterItKept)
{
    CConsoleText text;
    EXPECT_EQ(text.Add(std::string("ab\0cd\n", 6)), "abcd\n");
}

} // namespace
