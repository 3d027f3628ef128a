// The RTF reader on hand-written streams, the writer's output form, the
// writer and reader together on generated runs, and the reader on mutated
// streams.
#include "platform/rtf/RtfReader.h"
#include "platform/rtf/RtfWriter.h"
#include "platform/text/Sjis.h"

#include "NamedCase.h"
#include <cstdio>

#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

namespace {

std::string J(const char* utf8)
{
    return sjis::FromUtf8(utf8);
}

bool SameFormat(const RtfRun& a, const RtfRun& b)
{
    return a.hasColor == b.hasColor && (!a.hasColor || a.color == b.color) && a.face == b.face &&
           a.charSet == b.charSet && a.halfPoints == b.halfPoints && a.bold == b.bold && a.italic == b.italic;
}

// Runs as readable UTF-8: "[attributes]text" per run, the attributes that
// differ from the defaults, and \n, \t and \ in the text escaped.
std::string Dump(const RtfRuns& runs)
{
    std::string out;
    for (const RtfRun& run : runs) {
        std::vector<std::string> attrs;
        if (!run.face.empty())
            attrs.push_back("face:" + sjis::ToUtf8(run.face));
        if (run.charSet != 1)
            attrs.push_back("cs:" + std::to_string(run.charSet));
        if (run.halfPoints != 0)
            attrs.push_back("fs:" + std::to_string(run.halfPoints));
        if (run.hasColor) {
            char rgb[16];
            std::snprintf(rgb, sizeof rgb, "c:%02x%02x%02x", GetRValue(run.color), GetGValue(run.color),
                          GetBValue(run.color));
            attrs.push_back(rgb);
        }
        if (run.bold)
            attrs.push_back("b");
        if (run.italic)
            attrs.push_back("i");
        out += "[";
        for (std::size_t i = 0; i < attrs.size(); ++i)
            out += (i ? " " : "") + attrs[i];
        out += "]";
        for (char c : sjis::ToUtf8(run.text)) {
            if (c == '\n')
                out += "\\n";
            else if (c == '\t')
                out += "\\t";
            else if (c == '\\')
                out += "\\\\";
            else
                out += c;
        }
    }
    return out;
}

// ---- the reader on hand-written streams ----

struct ReadCase {
    const char* name;
    std::string rtf;
    const char* expected; // Dump of the runs, UTF-8
};

// A stream in the form the colouring engine builds: the default font in
// \fcharset1 with a Japanese name, a raw line break before \colortbl.
const std::string kColouringStream =
    R"({\rtf1\ansi\ansicpg932\deff0\deflang1033\deflangfe1041{\fonttbl{\f0\fnil\fprq2\fcharset1 \'82\'6c\'82\'72\'81\'40\'96\'be\'92\'a9;})"
    R"({\f1\froman\fprq1\fcharset128 \'82\'6c\'82\'72 \'83\'53\'83\'56\'83\'62\'83\'4e;}}{)"
    "\n"
    R"(\colortbl ;\red0\green255\blue0;\red0\green0\blue255;}\par\viewkind4\uc1\pard\lang1041\f0\fs20 \par  \cf2 print \cf0 $a; \par \f1 \'93\'fa\'96\'7b \f0 ; \par })";

const ReadCase kReadCases[] = {
    {"ControlWordTakesOneSpace", R"({\rtf1 \b  two\b0  x})", "[b] two[] x"},
    {"ControlWordEndsAtNonLetter", R"({\rtf1 a\b1b\b0;c\i-1d})", "[]a[b]b[];c[i]d"},
    {"ShiftJisEscapesInCharset128Font",
     R"({\rtf1\ansi\deff0{\fonttbl{\f0\fnil\fcharset128 \'82\'6c\'82\'72 \'83\'53\'83\'56\'83\'62\'83\'4e;}}\f0 \'93\'fa\'96\'7b\'95\'5c\'b1})",
     "[face:ＭＳ ゴシック cs:128]日本表ｱ"},
    {"UppercaseHexDigits", R"({\rtf1 \'93\'FA})", "[]日"},
    {"AnsiFontIsCp1252", R"({\rtf1{\fonttbl{\f0\fcharset0 Arial;}}\f0 caf\'e9 \'93q\'94\'85})",
     "[face:Arial cs:0]caf? “q”…"},
    {"DefaultCharsetFollowsAnsicpg", R"({\rtf1\ansi\ansicpg1252{\fonttbl{\f0\fcharset1 X;}}\f0 \'85})",
     "[face:X]…"},
    {"DefaultCharsetWithoutAnsicpgIs932", R"({\rtf1\ansi{\fonttbl{\f0\fcharset1 X;}}\f0 \'82\'a0})",
     "[face:X]あ"},
    {"CpgOnFontWinsOverCharset", R"({\rtf1{\fonttbl{\f0\fcharset128\cpg1252 X;}}\f0 \'85})",
     "[face:X cs:128]…"},
    {"UnknownFontTakesDocumentCodePage", R"({\rtf1\ansicpg1252\f7 \'85})", "[]…"},
    {"RawShiftJisKeepsBackslashTrail", "{\\rtf1 \x95\x5c\x96\x7b\x83\x7d}", "[]表本マ"},
    {"UnicodeSkipsOneFallback", R"({\rtf1\uc1 \u26085?\u26412?})", "[]日本"},
    {"UnicodeWithUc0SkipsNothing", R"({\rtf1\uc0 \u26085 x})", "[]日x"},
    {"UnicodeWithUc2SkipsTwoEscapes", R"({\rtf1\uc2\u26085\'93\'fa!})", "[]日!"},
    {"NegativeUnicodeAdds65536", R"({\rtf1 \u-211?})", "[]Ｍ"},
    {"SurrogatePairIsOneCharacter", R"({\rtf1 a\u-10179?\u-8704?b})", "[]a?b"},
    {"FallbackSkipEndsAtBrace", R"({\rtf1\uc3\u26085{\b x}y})", "[]日[b]x[]y"},
    {"FallbackCountsControlWords", R"({\rtf1\uc2\u26085\b\i x})", "[]日x"},
    {"UcIsScopedToGroup", R"({\rtf1{\uc0\u26085}\u26412?})", "[]日本"},
    {"ColourTable",
     R"({\rtf1{\colortbl ;\red255\green0\blue0;\red0\green0\blue255;}\cf1 r\cf2 b\cf0 a\cf9 o\cf-1 n})",
     "[c:ff0000]r[c:0000ff]b[]aon"},
    {"ExplicitColourEntryZero", R"({\rtf1{\colortbl\red0\green128\blue0;}\cf0 g})", "[c:008000]g"},
    {"ColourEntryWithoutSemicolonAtEnd", R"({\rtf1{\colortbl;\red1\green2\blue3}\cf1 x})", "[c:010203]x"},
    {"NestedGroupsRestoreFormat", R"({\rtf1 a{\b b{\i c}d}e})", "[]a[b]b[b i]c[b]d[]e"},
    {"PlainResetsToDefaultFont",
     R"({\rtf1{\fonttbl{\f0 A;}{\f1 B;}}{\colortbl;\red1\green2\blue3;}\f1\fs30\cf1\b\i x\plain y})",
     "[face:B fs:30 c:010203 b i]x[face:A]y"},
    {"DeffSelectsStartingFont", R"({\rtf1\deff1{\fonttbl{\f0 A;}{\f1 B;}}x})", "[face:B]x"},
    {"FontNameAroundNestedGroups",
     R"({\rtf1{\fonttbl{\f0\froman{\*\panose 0203}  Times New Roman {\*\falt T};}}x})",
     "[face:Times New Roman]x"},
    {"FontEntriesWithoutGroups", R"({\rtf1{\fonttbl\f0 A;\f1 B;}\f1 x})", "[face:B]x"},
    {"AdjacentEqualFormatsMerge",
     R"({\rtf1{\colortbl;\red1\green1\blue1;\red1\green1\blue1;}\cf1 a\cf2 b{\b0 c}\pard d})",
     "[c:010101]abcd"},
    {"StarDestinationSkipped", R"({\rtf1 a{\*\unknown b{c}\par\'41}d})", "[]ad"},
    {"KnownDestinationsSkipped",
     R"({\rtf1{\info{\title T}}{\stylesheet{\s0 Normal;}}{\header H}{\pict 0a0b}a})", "[]a"},
    {"FieldKeepsResultOnly", R"({\rtf1{\field{\*\fldinst HYPERLINK "x"}{\fldrslt link}}})", "[]link"},
    {"BinarySkipsItsBytes", R"({\rtf1 a\bin3 {\}b})", "[]ab"},
    {"BreaksAndTabs", "{\\rtf1 a\\par b\\line c\\tab d\\\r\ne\\cell f}", R"([]a\nb\nc\td\ne\tf)"},
    {"RawLineBreaksAreNotText", "{\\rtf1 a\r\nb\rc\nd}", "[]abcd"},
    {"RawTabIsTextOtherControlBytesAreNot", std::string("{\\rtf1 a\x01\tb\0c}", 14), R"([]a\tbc)"},
    {"ControlSymbols", R"({\rtf1 \{\}\\\~x\-y\_z\|\:})", R"([]{}\\ xy-z)"},
    {"NamedPunctuation", R"({\rtf1 \lquote\rquote\ldblquote\rdblquote\emdash})", "[]‘’“”―"},
    {"NulEscapeDropped", R"({\rtf1 a\'00b})", "[]ab"},
    {"DanglingLeadByteBecomesQuestionMark", R"({\rtf1 \'93\par x\'93})", R"([]?\nx?)"},
    {"LeadByteWithBadTrailKeepsTheNextCharacter", R"({\rtf1 \'93\'0ax})", R"([]?\nx)"},
    {"TruncatedHexEscape", R"({\rtf1 ab\'4)", "[]ab"},
    {"HexEscapeAtEnd", R"({\rtf1 ab\')", "[]ab"},
    {"BackslashAtEnd", R"({\rtf1 ab\)", "[]ab"},
    {"HexEscapeWithOneDigit", R"({\rtf1 a\'4zb})", "[]azb"},
    // Raw CR and LF are the stream's own line breaks; escaped, they are text
    // (the coloured stream sends a script's CR inside a line that way).
    {"EscapedCarriageReturnIsTextRawOneIsNot", "{\\rtf1 a\\'0db\r\nc\rd\\'0a}", "[]a\rbcd\\n"},
    {"HugeParameters", R"({\rtf1 a\fs99999999999999999999 b\cf-99999999999 c\u99999999999 xd})",
     "[]a[fs:32767]bc?d"},
    {"HugeUcSkipsToGroupEnd", R"({\rtf1{\uc99999999999\u26085 skipped \par text}kept})", "[]日kept"},
    {"HugeBinRunsToEnd", R"({\rtf1 a\bin99999999999 b})", "[]a"},
    {"NegativeBinSkipsNothing", R"({\rtf1 a\bin-5 b})", "[]ab"},
    {"UnclosedGroupsAreClosed", R"({\rtf1 a{\b b)", "[]a[b]b"},
    {"DocumentEndsAtItsClosingBrace", R"({\rtf1 a}b})", "[]a"},
    {"StrayCloseWithoutDocumentGroupIgnored", R"(a}b\b c)", "[]ab[b]c"},
    {"DestinationOnDocumentGroupIgnored", R"({\rtf1\*\info a})", "[]a"},
    {"ColouringEngineStream", kColouringStream,
     R"([face:ＭＳ　明朝]\n[face:ＭＳ　明朝 fs:20]\n [face:ＭＳ　明朝 fs:20 c:0000ff]print )"
     R"([face:ＭＳ　明朝 fs:20]$a; \n[face:ＭＳ ゴシック cs:128 fs:20]日本 [face:ＭＳ　明朝 fs:20]; \n)"},
};

class RtfRead : public ::testing::TestWithParam<ReadCase> {};

TEST_P(RtfRead, Case)
{
    EXPECT_EQ(Dump(RtfReader::Read(GetParam().rtf)), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Rtf, RtfRead, ::testing::ValuesIn(kReadCases), CaseName);

TEST(RtfReadLimits, DeepNestingIsReadWithoutRecursion)
{
    const std::size_t depth = 200000;
    std::string rtf =
        R"({\rtf1 {\i )" + std::string(depth, '{') + R"(\b x)" + std::string(depth, '}') + "y}z}";
    EXPECT_EQ(Dump(RtfReader::Read(rtf)), "[b i]x[i]y[]z");
    // Left open, the groups close at the end.
    EXPECT_EQ(Dump(RtfReader::Read(R"({\rtf1 )" + std::string(depth, '{') + "x")), "[]x");
}

// ---- the writer ----

RtfRun MakeRun(std::string text, int charSet = 1, std::string face = "")
{
    RtfRun run;
    run.text = std::move(text);
    run.charSet = BYTE(charSet);
    run.face = std::move(face);
    return run;
}

struct WriteCase {
    const char* name;
    RtfRuns runs;
    std::string expected; // a piece of the output
};

const WriteCase kWriteCases[] = {
    {"Header", {}, R"({\rtf1\ansi\ansicpg932\deff0)"},
    {"ShiftJisFaceNameEscaped",
     {MakeRun("x", 128, J("ＭＳ ゴシック"))},
     R"(\fcharset128 \'82\'6c\'82\'72 \'83\'53)"},
    {"FaceNameSemicolonEscaped", {MakeRun("x", 1, "a;b")}, R"( a\'3bb;})"},
    {"TrailBytesThatLookLikeSyntaxAreEscaped", {MakeRun(J("表本マ"), 128)}, R"(\'95\'5c\'96\'7b\'83\'7d)"},
    {"HalfWidthKanaIsOneEscape", {MakeRun(J("ｱ"), 128)}, R"(\'b1})"},
    {"JapaneseInAnsiFontIsUnicode", {MakeRun(J("日Ｍ"), 0)}, R"(\u26085?\u-211?)"},
    {"SyntaxCharactersEscaped", {MakeRun("{a}\\")}, R"(\{a\}\\)"},
    {"ParagraphsAndTabs", {MakeRun("a\nb\tc")}, "a\\par\r\nb\\tab c"},
    {"DigitAfterControlWordIsDelimited",
     {[] {
         RtfRun r = MakeRun("1");
         r.bold = true;
         return r;
     }()},
     R"(\b 1)"},
};

class RtfWrite : public ::testing::TestWithParam<WriteCase> {};

TEST_P(RtfWrite, Case)
{
    std::string rtf = RtfWriter::Write(GetParam().runs, "", 0);
    EXPECT_NE(rtf.find(GetParam().expected), std::string::npos) << rtf;
}

INSTANTIATE_TEST_SUITE_P(Rtf, RtfWrite, ::testing::ValuesIn(kWriteCases), CaseName);

TEST(RtfWriteRead, LineBreaksOfEveryKindBecomeParagraphs)
{
    RtfRuns runs = {MakeRun("a\r\nb\rc\nd")};
    EXPECT_EQ(Dump(RtfReader::Read(RtfWriter::Write(runs, "", 0))), R"([]a\nb\nc\nd)");
}

TEST(RtfWriteRead, SizeFallsBackToDefaultOnlyThroughPlain)
{
    RtfRuns runs = {MakeRun("a"), MakeRun("b"), MakeRun("c")};
    runs[0].halfPoints = 30;
    runs[0].bold = true;
    runs[2].halfPoints = 16;
    EXPECT_EQ(Dump(RtfReader::Read(RtfWriter::Write(runs, "F", 0))),
              "[face:F fs:30 b]a[face:F]b[face:F fs:16]c");
    EXPECT_EQ(Dump(RtfReader::Read(RtfWriter::Write(runs, "F", 22))),
              "[face:F fs:30 b]a[face:F fs:22]b[face:F fs:16]c");
}

// True when the output is 7-bit and its braces balance once escapes are
// taken out - what any RTF reader needs.
::testing::AssertionResult IsWellFormed(const std::string& rtf)
{
    long depth = 0;
    for (std::size_t i = 0; i < rtf.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(rtf[i]);
        if (c >= 0x80 || c == 0)
            return ::testing::AssertionFailure() << "byte " << int(c) << " at " << i;
        if (c == '\\')
            ++i;
        else if (c == '{')
            ++depth;
        else if (c == '}' && --depth < 0)
            return ::testing::AssertionFailure() << "unbalanced } at " << i;
    }
    if (depth != 0)
        return ::testing::AssertionFailure() << depth << " groups left open";
    if (rtf.rfind("{\\rtf1", 0) != 0 || rtf.back() != '}')
        return ::testing::AssertionFailure() << "not one {\\rtf1 ...} group";
    return ::testing::AssertionSuccess();
}

// ---- the writer and the reader together on generated runs ----

class RunGenerator {
public:
    explicit RunGenerator(unsigned seed) : rng_(seed) {}

    RtfRuns Runs()
    {
        static const std::vector<std::string> faces = {
            "", J("ＭＳ ゴシック"), J("ＭＳ 明朝"), "Courier New", "odd{face}\\;x", J("表示"),
        };
        static const int charSets[] = {1, 128, 0};
        RtfRuns runs(Pick(0, 10));
        for (RtfRun& run : runs) {
            run.face = faces[Pick(0, int(faces.size()) - 1)];
            run.charSet = BYTE(charSets[Pick(0, 2)]);
            run.halfPoints = Pick(0, 2) == 0 ? 0 : Pick(8, 72);
            run.hasColor = Pick(0, 1);
            run.color = run.hasColor ? COLORREF(Pick(0, 0xFFFFFF)) : 0;
            run.bold = Pick(0, 1);
            run.italic = Pick(0, 1);
            run.text = Text(run.charSet != 0);
        }
        return runs;
    }

private:
    int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng_); }

    // Text mixing ASCII (with RTF's syntax characters), Japanese, trail bytes
    // 0x5C / 0x7B / 0x7D, half-width katakana, breaks, tabs and control
    // bytes. rawPairs adds arbitrary lead/trail pairs, which only a font read
    // as code page 932 carries byte for byte.
    std::string Text(bool rawPairs)
    {
        static const std::vector<std::string> pieces = {
            J("日本語"), J("表"),  J("本"), J("ソ"), J("十"), J("マ"), J("能"), J("予"), J("ｱｲｳﾞ"),
            J("　"),     J("ー"),  "\\",    "{",     "}",     ";",     "\n",    "\t",    "\x1b",
            " ",         "\\par ", "1",     "-",     "?",     "a",     "Z",     J("①"),  J("㈱"),
        };
        std::string text;
        int n = Pick(0, 16);
        for (int k = 0; k < n; ++k) {
            switch (Pick(0, rawPairs ? 3 : 2)) {
            case 0: text += char(Pick(0x20, 0x7E)); break;
            case 1:
            case 2: text += pieces[Pick(0, int(pieces.size()) - 1)]; break;
            case 3: {
                int lead = Pick(0, 1) ? Pick(0x81, 0x9F) : Pick(0xE0, 0xFC);
                int trail = Pick(0, 1) ? Pick(0x40, 0x7E) : Pick(0x80, 0xFC);
                text += char(lead);
                text += char(trail);
                break;
            }
            }
        }
        return text;
    }

    std::mt19937 rng_;
};

// What reading a written document gives: the writer's defaults filled in,
// empty runs gone and equal neighbours merged.
RtfRuns Expected(const RtfRuns& runs, const std::string& defaultFace, int defaultHalfPoints)
{
    RtfRuns out;
    for (RtfRun run : runs) {
        if (run.text.empty())
            continue;
        if (run.face.empty())
            run.face = defaultFace;
        if (run.halfPoints == 0)
            run.halfPoints = defaultHalfPoints;
        if (!run.hasColor)
            run.color = 0;
        if (!out.empty() && SameFormat(out.back(), run))
            out.back().text += run.text;
        else
            out.push_back(run);
    }
    return out;
}

TEST(RtfWriteRead, ReadingWhatWasWrittenGivesTheRunsBack)
{
    RunGenerator generate(20240611);
    for (int iteration = 0; iteration < 400; ++iteration) {
        RtfRuns runs = generate.Runs();
        std::string face = iteration % 2 ? J("ＭＳ ゴシック") : "";
        int size = iteration % 2 ? 20 : 0;
        std::string rtf = RtfWriter::Write(runs, face, size);
        ASSERT_TRUE(IsWellFormed(rtf)) << rtf;
        ASSERT_EQ(Dump(RtfReader::Read(rtf)), Dump(Expected(runs, face, size)))
            << "iteration " << iteration << "\n"
            << rtf;
    }
}

// ---- the reader on mutated streams ----

// What any reading must give, however bad the stream: no empty runs, no two
// neighbours of the same format, no NUL, and no lead byte without its trail.
::testing::AssertionResult IsSane(const RtfRuns& runs)
{
    for (std::size_t r = 0; r < runs.size(); ++r) {
        const std::string& text = runs[r].text;
        if (text.empty())
            return ::testing::AssertionFailure() << "empty run " << r;
        if (r > 0 && SameFormat(runs[r - 1], runs[r]))
            return ::testing::AssertionFailure() << "runs " << r - 1 << " and " << r << " not merged";
        for (std::size_t i = 0; i < text.size(); ++i) {
            unsigned char c = static_cast<unsigned char>(text[i]);
            if (c == 0)
                return ::testing::AssertionFailure() << "NUL in run " << r;
            if (sjis::IsLeadByte(c)) {
                unsigned char t = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
                if (!((t >= 0x40 && t <= 0x7E) || (t >= 0x80 && t <= 0xFC)))
                    return ::testing::AssertionFailure()
                           << "lead byte without trail in run " << r << " at " << i;
                ++i;
            }
        }
    }
    return ::testing::AssertionSuccess();
}

TEST(RtfReadFuzz, MutatedStreamsReadSafely)
{
    RtfRuns written = {MakeRun(J("#!/usr/bin/perl\n# 日本語のコメント {表} \\本\\\nprint \"ｱｲｳ\";\n"), 128,
                               J("ＭＳ ゴシック")),
                       MakeRun(J("ソ十マ\tend"), 0, "Courier New")};
    written[1].hasColor = true;
    written[1].color = RGB(0, 0, 255);
    written[1].bold = true;
    const std::vector<std::string> seeds = {
        RtfWriter::Write(written, J("ＭＳ 明朝"), 20),
        kColouringStream,
        R"({\rtf1\ansi\ansicpg1252\uc2{\fonttbl{\f0\fcharset0 Arial;}{\f1\fcharset134 S;}}{\*\g x}{\pict\bin4 {{{{})"
        R"(\f0 caf\'e9\u26085\'93\'fa{\f1 \'c4\'e3}{\field{\*\fldinst x}{\fldrslt y}}\line\tab\~\-})",
    };
    static const char* const inserts[] = {"{",        "}",     "\\",    "\\'", "\\'9",  "\\u-",
                                          "\\u26085", "\\bin", "\\uc9", "\\*", "\\par", ";",
                                          "\\f1",     "\\cf1", "\\'93", " "};

    std::mt19937 rng(1234567);
    auto pick = [&](std::size_t low, std::size_t high) {
        return std::uniform_int_distribution<std::size_t>(low, high)(rng);
    };
    for (int iteration = 0; iteration < 4000; ++iteration) {
        std::string s = seeds[std::size_t(iteration) % seeds.size()];
        for (std::size_t m = pick(1, 4); m > 0 && !s.empty(); --m) {
            std::size_t at = pick(0, s.size() - 1);
            std::size_t length = pick(1, std::min<std::size_t>(64, s.size() - at));
            switch (pick(0, 5)) {
            case 0: s[at] = char(pick(0, 255)); break;
            case 1: s.resize(at); break;
            case 2: s.insert(pick(0, s.size()), s.substr(at, length)); break;
            case 3: s.erase(at, length); break;
            case 4: s.insert(at, inserts[pick(0, std::size(inserts) - 1)]); break;
            case 5: s.insert(at, 1, char(pick(0, 255))); break;
            }
        }
        // An exact-size copy, so reading one byte past the end is caught by
        // the address sanitizer.
        std::vector<char> exact(s.begin(), s.end());
        RtfRuns runs = RtfReader::Read(std::string_view(exact.data(), exact.size()));
        ASSERT_TRUE(IsSane(runs)) << "iteration " << iteration;
    }
}

} // namespace
