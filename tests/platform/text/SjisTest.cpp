#include "platform/text/Sjis.h"

#include "NamedCase.h"

#include <gtest/gtest.h>

#include <QString>
#include <string>

namespace {

QString Q(const char16_t* text)
{
    return QString::fromUtf16(text);
}

struct ToUnicodeCase {
    const char* name;
    std::string bytes;
    QString expected;
};

class SjisToUnicodeTest : public ::testing::TestWithParam<ToUnicodeCase> {};

TEST_P(SjisToUnicodeTest, Decodes)
{
    EXPECT_EQ(sjis::ToUnicode(GetParam().bytes).toStdU16String(), GetParam().expected.toStdU16String());
}

INSTANTIATE_TEST_SUITE_P(
    SjisBytes, SjisToUnicodeTest,
    ::testing::Values(ToUnicodeCase{"Hiragana", "\x82\xa0\x82\xa2", Q(u"あい")},
                      ToUnicodeCase{"HalfWidthKatakana", "\xb1\xdf", Q(u"ｱﾟ")},
                      // The trail byte 0x5C is part of the character, not a backslash.
                      ToUnicodeCase{"TrailBackslash", "\x83\x5c\x95\x5c\\", Q(u"ソ表\\")},
                      ToUnicodeCase{"NecAndIbmExtensions", "\x87\x40\xfa\x5c\xed\x40", Q(u"①纊纊")},
                      ToUnicodeCase{"InvalidSingleByte", "a\x80z", Q(u"a\uFFFDz")},
                      ToUnicodeCase{"CutLeadByte", "a\x82", Q(u"a\uFFFD")},
                      // An undefined double-byte code is one character, not two.
                      ToUnicodeCase{"UndefinedPair", "\x85\x40z", Q(u"\uFFFDz")},
                      // A lead byte whose next byte cannot be a trail byte is a character
                      // of its own; the next byte (here a line break) must survive.
                      ToUnicodeCase{"LeadBeforeLineBreak", "\x82\n\x82\xa0", Q(u"\uFFFD\nあ")},
                      ToUnicodeCase{"LeadBeforeSpace", "\x81 a", Q(u"\uFFFD a")},
                      ToUnicodeCase{"CrLf", "a\r\n", Q(u"a\r\n")},
                      // The edges of the lead and trail byte ranges: a byte just
                      // outside a range is a character of its own and never takes
                      // the byte after it along.
                      ToUnicodeCase{"LastLowLead", "\x9f\x40\x9f\xfc", Q(u"檗滌")},
                      ToUnicodeCase{"ByteAfterLowLeads",
                                    "\xa0"
                                    "a",
                                    Q(u"\uFFFDa")},
                      ToUnicodeCase{"LastKatakanaAndFirstHighLead", "\xdf\xe0\x40", Q(u"ﾟ漾")},
                      ToUnicodeCase{"LastHighLead", "\xfc\x40", Q(u"髜")},
                      ToUnicodeCase{"ByteAfterHighLeads",
                                    "\xfd"
                                    "a",
                                    Q(u"\uFFFDa")},
                      ToUnicodeCase{"TrailEdges", "\x81\x80\x81\xfc", Q(u"÷◯")},
                      ToUnicodeCase{"ByteAfterTrails",
                                    "\x81\xfd"
                                    "a",
                                    Q(u"\uFFFD\uFFFDa")},
                      ToUnicodeCase{"DeleteIsNoTrail", "\x81\x7f", Q(u"\uFFFD\x7f")}),
    CaseName);

struct FromUnicodeCase {
    const char* name;
    QString text;
    std::string expected;
};

class SjisFromUnicodeTest : public ::testing::TestWithParam<FromUnicodeCase> {};

TEST_P(SjisFromUnicodeTest, Encodes)
{
    EXPECT_EQ(sjis::FromUnicode(GetParam().text), GetParam().expected);
    EXPECT_EQ(sjis::Cp932Length(GetParam().text), GetParam().expected.size());
}

INSTANTIATE_TEST_SUITE_P(
    SjisText, SjisFromUnicodeTest,
    ::testing::Values(FromUnicodeCase{"MixedKana", Q(u"aあｱ"), "a\x82\xa0\xb1"},
                      FromUnicodeCase{"TrailBackslash", Q(u"ソ表"), "\x83\x5c\x95\x5c"},
                      // Code page 932 writes IBM extension kanji in their IBM codes.
                      FromUnicodeCase{"Extensions", Q(u"①纊"), "\x87\x40\xfa\x5c"},
                      // A character outside code page 932 is one "?", even when
                      // it takes a surrogate pair.
                      FromUnicodeCase{"Unmappable", Q(u"a\u00E9b"), "a?b"},
                      FromUnicodeCase{"SurrogatePair", Q(u"a\U0001F600b"), "a?b"},
                      // A lone high surrogate must not swallow the character after it.
                      FromUnicodeCase{"LoneHighSurrogate", Q(u"a") + QChar(0xD800) + Q(u"あ"), "a?\x82\xa0"},
                      FromUnicodeCase{"HighSurrogateAtEnd", Q(u"a") + QChar(0xD800), "a?"}),
    CaseName);

// Text converts as its characters would one by one, whatever stands beside
// a character code page 932 cannot hold or a surrogate out of its pair.
TEST(SjisTest, FromUnicodeGivesEachCharacterAsItWouldAlone)
{
    const QString pieces[] = {Q(u"a"),
                              Q(u"\\"),
                              Q(u"あ"),
                              Q(u"ｱ"),
                              Q(u"表"),
                              Q(u"①"),
                              Q(u"纊"),
                              Q(u"\u00E9"),
                              Q(u"\u2603"),
                              Q(u"\U0001F600"),
                              QString(QChar(0xD800)),
                              QString(QChar(0xDC00)),
                              Q(u"\uFFFD"),
                              Q(u"～"),
                              Q(u"\u00A5"),
                              Q(u"\r\n"),
                              Q(u"\uE000")};
    std::uint32_t random = 12345;
    for (int round = 0; round < 400; ++round) {
        QString text;
        std::string alone;
        const int count = int(random % 24);
        for (int k = 0; k < count; ++k) {
            random = random * 1103515245u + 12345u;
            text += pieces[(random >> 8) % std::size(pieces)];
        }
        // The characters one by one, cut as the conversion cuts them: a
        // surrogate pair is one, a lone high surrogate goes with what follows.
        for (qsizetype i = 0; i < text.size();) {
            const qsizetype n = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
            alone += sjis::FromUnicode(text.mid(i, n));
            i += n;
        }
        ASSERT_EQ(sjis::FromUnicode(text), alone) << text.toStdString();
    }
}

TEST(SjisTest, LeadAndTrailRangesEndWhereCodePage932Ends)
{
    struct Row {
        int byte;
        bool lead;
        bool trail;
    } rows[] = {{0x3F, false, false}, {0x40, false, true}, {0x7E, false, true}, {0x7F, false, false},
                {0x80, false, true},  {0x81, true, true},  {0x9F, true, true},  {0xA0, false, true},
                {0xDF, false, true},  {0xE0, true, true},  {0xFC, true, true},  {0xFD, false, false}};
    for (const Row& row : rows) {
        EXPECT_EQ(sjis::IsLeadByte(static_cast<unsigned char>(row.byte)), row.lead) << std::hex << row.byte;
        EXPECT_EQ(sjis::IsTrailByte(static_cast<unsigned char>(row.byte)), row.trail) << std::hex << row.byte;
    }
}

TEST(SjisTest, IsValid)
{
    struct Row {
        const char* name;
        std::string bytes;
        bool valid;
    } rows[] = {
        {"empty", "", true},
        {"ascii", "print;\n", true},
        {"kanji and katakana", "\x8a\xbf\xb1", true},
        {"cut lead byte", "\x8a", false},
        {"invalid byte", "\x80", false},
        {"undefined pair", "\x85\x40", false},
    };
    for (const Row& row : rows)
        EXPECT_EQ(sjis::IsValid(row.bytes), row.valid) << row.name;
}

} // namespace
