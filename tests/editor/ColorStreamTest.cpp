// The coloured stream of a whole script, fragment for fragment, and its
// reading back to the script's own bytes.
#include "EditorFixture.h"

#include "editor/CColorStreamBuilder.h"
#include "editor/CColorStreamReader.h"
#include "platform/rtf/RtfReader.h"

#include <random>

using namespace editortest;

namespace {

CommandTable Commands()
{
    CommandTable table;
    for (const char* word : {"print", "my", "open", "if", "foreach", "sub", "-X", "__END__", "q", "@ARGV"})
        table.emplace(word, std::string(word) + " LIST:");
    table.emplace("abc", ""); // a word with no tip is no command
    table.emplace(std::string(31, 'w'), "too long:");
    return table;
}

std::string Body(std::string_view line,
                 CColorStreamBuilder::Paragraph paragraph = CColorStreamBuilder::Paragraph::PlainText)
{
    CommandTable table = Commands();
    CColorStreamBuilder builder({"F", 20, 1, 0x0000FF00, 0x00FF0000}, table);
    builder.AppendLine(line, paragraph);
    return builder.Take();
}

struct LineCase {
    const char* name;
    std::string line;
    std::string body;
};

void PrintTo(const LineCase& c, std::ostream* os)
{
    *os << c.name;
}

class StreamLine : public ::testing::TestWithParam<LineCase> {};

TEST_P(StreamLine, IsWrittenFragmentForFragment)
{
    EXPECT_EQ(Body(GetParam().line), GetParam().body);
}

INSTANTIATE_TEST_SUITE_P(
    Fragments, StreamLine,
    ::testing::Values(
        LineCase{"Command", "print $a;", " \\cf2 print \\cf0 $a; \\par "},
        LineCase{"Comment", "# c", " \\cf1 # c \\cf0  \\par "}, LineCase{"Empty", "", " \\par "},
        LineCase{"DoubleByteRun", J("$s = 日本;"), "$s = \\f1 \\'93\\'fa\\'96\\'7b \\f0 ; \\par "},
        LineCase{"CommandThenComment", "print $x; # done",
                 " \\cf2 print \\cf0 $x;  \\cf1 # done \\cf0  \\par "},
        LineCase{"StringWithTrailByte5C", J("print \"表\" # x"),
                 " \\cf2 print \\cf0 \"\\f1 \\'95\\'5c \\f0 \" # x \\par "},
        LineCase{"DollarHashIsNoComment", "my $n = $#list;", " \\cf2 my \\cf0 $n = $#list; \\par "},
        LineCase{"HashInRegex", "s/a#b/c/", "s/a \\cf1 #b/c/ \\cf0  \\par "},
        LineCase{"HashInDoubleQuotes", "print \"#\";", " \\cf2 print \\cf0 \"#\"; \\par "},
        LineCase{"HashInSingleQuotes", "print '#';", " \\cf2 print \\cf0 ' \\cf1 #'; \\cf0  \\par "},
        LineCase{"Shebang", "#!/usr/bin/perl", "#!/usr/bin/perl \\par "},
        LineCase{"IndentedShebang", "  #!perl -w", "  #!perl -w \\par "},
        LineCase{"HashBangLater", "x; #!y", "x; #!y \\par "}, LineCase{"Entity", "&#38;", "&#38; \\par "},
        LineCase{"NotAfterPunctuation", "$print &print ->print (print",
                 "$print &print ->print (print \\par "},
        LineCase{"AfterQuoteSlashEquals", "\"\"print=print/print",
                 "\"\" \\cf2 print \\cf0= \\cf2 print \\cf0/ \\cf2 print \\cf0 \\par "},
        LineCase{"LongWordNeverACommand", std::string(31, 'w'), std::string(31, 'w') + " \\par "},
        LineCase{"OneLetterNeverACommand", "q x", "q x \\par "},
        LineCase{"EmptyTipNoCommand", "abc", "abc \\par "},
        LineCase{"BracesEscaped", "if ($a) { print; }",
                 " \\cf2 if \\cf0 ($a) \\{  \\cf2 print \\cf0; \\} \\par "},
        LineCase{"BackslashesDoubled", "print \"a\\n\";", " \\cf2 print \\cf0 \"a\\\\n\"; \\par "},
        LineCase{"TrailBytes7BAnd5CNotEscaped", J("本表"), "\\f1 \\'96\\'7b\\'95\\'5c \\par "},
        LineCase{"LineEndsInDoubleByte", J("x日"), "x\\f1 \\'93\\'fa \\par "},
        LineCase{"CommentEndsInDoubleByte", J("#日"), " \\cf1 #\\f1 \\'93\\'fa \\f0  \\cf0  \\par "},
        LineCase{"HalfWidthKatakanaKept", J("print ｶﾀｶﾅ"), " \\cf2 print \\cf0 " + J("ｶﾀｶﾅ") + " \\par "},
        LineCase{"LoneLeadByteAtEnd", "x\x82", "x\\f1 \\'82 \\par "},
        LineCase{"LoneLeadByteBeforeCommentStaysAlone", "x\xE5#c",
                 "x\\f1 \\'e5 \\f0  \\cf1 #c \\cf0  \\par "},
        LineCase{"CommandAtTrailByteWaitsForItsCharacter", "\x95@ARGV;",
                 "\\f1 \\'95\\'40 \\f0  \\cf2 ARGV \\cf0; \\par "},
        LineCase{"UnclosedStringEndsScan", "\"abc print", "\"abc print \\par "},
        LineCase{"HashLastCharacter", "x #", "x  \\cf1 # \\cf0  \\par "},
        LineCase{"AdjacentCommands", "print-X", " \\cf2 print \\cf0 \\cf2 -X \\cf0 \\par "}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(StreamHeader, CarriesFontColoursAndSize)
{
    CSyntaxColorizer colorizer;
    colorizer.SetFont(J("ＭＳ　明朝"), 200, 1);
    colorizer.SetColors(0x00FF0000, 0x0000FF00);
    CLineReader reader("print 1;\n");
    const std::string stream = colorizer.BuildStream(reader);
    EXPECT_EQ(
        stream,
        "{\\rtf1\\ansi\\ansicpg932\\deff0\\deflang1033\\deflangfe1041{\\fonttbl"
        "{\\f0\\fnil\\fprq2\\fcharset1 \\'82\\'6c\\'82\\'72\\'81\\'40\\'96\\'be\\'92\\'a9;}"
        "{\\f1\\froman\\fprq1\\fcharset128 \\'82\\'6c\\'82\\'72 \\'83\\'53\\'83\\'56\\'83\\'62\\'83\\'4e;}}"
        "{\n\\colortbl ;\\red0\\green255\\blue0;\\red0\\green0\\blue255;}\\par"
        "\\viewkind4\\uc1\\pard\\lang1041\\f0\\fs20 \\par"
        "print 1; \\par }");
    colorizer.SetFont("x", 219, 128);
    EXPECT_EQ(colorizer.FontSizeHalfPoints(), 20) << "210 to 219 twips are 10 points";
    EXPECT_EQ(colorizer.CharSet(), 128);
}

TEST(StreamLines, ThreeLinesMiddleEmptyGiveThreeParagraphs)
{
    CSyntaxColorizer colorizer;
    CLineReader reader("a\r\n\r\nb");
    std::string stream = colorizer.BuildStream(reader);
    EXPECT_NE(stream.find("\\fs12 \\para \\par  \\par b \\par }"), std::string::npos) << stream;
}

TEST(StreamLines, OtherCodesArriveAsShiftJis)
{
    CSyntaxColorizer colorizer;
    const std::string euc = "\xC6\xFC\xCB\xDC"; // 日本 in EUC-JP
    const std::string file = euc + "\n";
    CLineReader reader(file);
    std::string stream = colorizer.BuildStream(reader);
    EXPECT_NE(stream.find("\\f1 \\'93\\'fa\\'96\\'7b \\par }"), std::string::npos) << stream;
}

// ---- reading back ----

TEST(StreamRoundTrip, LeadBytesBesideFragmentsComeBackWhole)
{
    // Found by fuzzing: a lead byte before a comment took the fragment's
    // space as its trail byte, and a command word starting at a trail byte
    // split its character, so the reader declined the stream.
    CommandTable table = Commands();
    CColorStreamBuilder builder({"F", 20, 1, 0x0000FF00, 0x00FF0000}, table);
    builder.AppendHeader();
    const std::vector<std::string> lines = {"x\xE5#c", "\x95@ARGV;", ";\xE5 #", "\x82"};
    for (const std::string& line : lines)
        builder.AppendLine(line, CColorStreamBuilder::Paragraph::PlainText);
    builder.AppendEnd();
    const auto runs = CColorStreamReader::Read(builder.Stream());
    ASSERT_TRUE(runs) << builder.Stream();
    std::string text;
    for (const RtfRun& run : *runs)
        text += run.text;
    EXPECT_EQ(text, "x\xE5#c\n\x95@ARGV;\n;\xE5 #\n\x82");
}

std::string RunsText(const RtfRuns& runs)
{
    std::string text;
    for (const RtfRun& run : runs)
        text += run.text;
    return text;
}

const char* const kScripts[] = {
    "#!/usr/bin/perl\n"
    "use strict;\n"
    "print \"Content-type: text/html\\n\\n\";   # ヘッダ\n"
    "my %h = (a => 1, b => {c => 2});\n"
    "if ($h{a}) { print \"表示ソ\\\\\"; }\n"
    "foreach my $x (@list) { print $x; }\n",
    "$s = \"日本語のテキスト\";  # 日本語コメント\n"
    "$k = 'ｶﾀｶﾅ ﾃｽﾄ';\n"
    "  print  $k ;  \n"
    "\n"
    "sub f { return \\@_; }\n"
    "print-X 1; open(F, \"<$file\") or die;#end\n",
    "print\tq{a} ;\r\n   \r\nprint \"}{\\\"\" #{\r\n",
    "x\\",
    "  ",
    "",
    "\n\n",
    "print \"ﾃﾞｰﾀ\";\n",
    "print \"ﾃﾞｰﾀ\";\n$x = \"日本\";\n",
    "my $a = \"表\"; print $a; # 表\n"
    "print \"#\" . '#'; print \\$x \\n # \\cf0 \\par\n",
};

class StreamRoundTrip : public ::testing::TestWithParam<const char*> {};

TEST_P(StreamRoundTrip, ReaderGivesBackTheScriptsLines)
{
    const std::string file = J(GetParam());
    CSyntaxColorizer colorizer;
    colorizer.SetFont(J("ＭＳ　明朝"), 200, 1);
    ASSERT_TRUE(colorizer.LoadCommandFile(kKeyData));
    CLineReader reader(file);
    const std::string stream = colorizer.BuildStream(reader);
    auto runs = CColorStreamReader::Read(stream);
    ASSERT_TRUE(runs) << stream;
    EXPECT_EQ(RunsText(*runs), JoinedLines(file, '\n')) << stream;
}

INSTANTIATE_TEST_SUITE_P(Scripts, StreamRoundTrip, ::testing::ValuesIn(kScripts));

TEST(StreamRoundTrip, RandomLinesOfScriptBytes)
{
    // Lines built from the pieces that trouble readers: spaces around
    // fragments, backslashes, braces, trail bytes 0x5C 0x7B 0x7D, commands
    // next to punctuation, comments and double-byte text.
    const std::vector<std::string> pieces = {
        " ", "  ", "print", "my",    "#",     "\\",   "{", "}",     "\"",    "'",  "$",  "=", "/",
        ";", "(",  J("表"), J("本"), J("ソ"), J("ｱ"), "x", "\\par", "\\cf0", "-X", "\t", "&", "!"};
    std::mt19937 random(12345);
    CSyntaxColorizer colorizer;
    ASSERT_TRUE(colorizer.LoadCommandFile(kKeyData));
    for (int round = 0; round < 300; ++round) {
        std::string file;
        int lines = int(random() % 5) + 1;
        for (int l = 0; l < lines; ++l) {
            int count = int(random() % 12);
            for (int k = 0; k < count; ++k)
                file += pieces[random() % pieces.size()];
            file += '\n';
        }
        CLineReader reader(file);
        const std::string stream = colorizer.BuildStream(reader);
        auto runs = CColorStreamReader::Read(stream);
        ASSERT_TRUE(runs) << stream;
        ASSERT_EQ(RunsText(*runs), JoinedLines(file, '\n')) << stream;
    }
}

TEST(StreamRoundTrip, CarriageReturnInsideALineReachesTheControlAsALineBreak)
{
    // Found by fuzzing: a CR inside a line went into the stream as a raw
    // byte, which the stream's readers take for the stream's own line break
    // and drop, so the two halves of the line ran together.
    CommandTable table = Commands();
    CColorStreamBuilder builder({"F", 20, 1, 0x0000FF00, 0x00FF0000}, table);
    builder.AppendHeader();
    // A lead byte before a CR is no character: it must not take the CR's
    // escape for its trail byte.
    for (const std::string& line :
         {std::string("print 1;\rprint 2; # a\rb"), J("\r表"), std::string("\x95\rx")})
        builder.AppendLine(line, CColorStreamBuilder::Paragraph::PlainText);
    builder.AppendEnd();
    const std::string expected = "print 1;\rprint 2; # a\rb\n" + J("\r表") + "\n\x95\rx";
    EXPECT_EQ(builder.Stream().find('\r'), std::string::npos) << builder.Stream();

    const auto runs = CColorStreamReader::Read(builder.Stream());
    ASSERT_TRUE(runs) << builder.Stream();
    EXPECT_EQ(RunsText(*runs), expected);
    // The general reader, which takes a stream the colour reader declines,
    // keeps the escaped CRs too.
    const std::string general = RunsText(RtfReader::Read(builder.Stream()));
    EXPECT_EQ(std::count(general.begin(), general.end(), '\r'), 4) << general;

    // The control shows each CR as a line break, as it shows the lone CRs of
    // a file it opens.
    const CSyntaxColorizer colorizer; // gives the control the coloured-stream reader, as in the editor
    CRichEditCtrl control;
    control.StreamIn(StreamFormat::Rtf, builder.Stream());
    EXPECT_EQ(Text(&control), "print 1;\nprint 2; # a\nb\n\n表\n?\nx");
}

TEST(StreamColours, CommandAndCommentRunsCarryTheirColours)
{
    CSyntaxColorizer colorizer;
    colorizer.SetColors(0x00FF0000, 0x0000FF00);
    ASSERT_TRUE(colorizer.LoadCommandFile(kKeyData));
    const std::string file = J("$s = \"日本\"; print $s; # コメント\n");
    CLineReader reader(file);
    auto runs = CColorStreamReader::Read(colorizer.BuildStream(reader));
    ASSERT_TRUE(runs);
    std::string command, comment;

    for (const RtfRun& run : *runs) {
        if (run.hasColor && run.color == 0x00FF0000)
            command += run.text;
        if (run.hasColor && run.color == 0x0000FF00)
            comment += run.text;
    }
    EXPECT_EQ(command, "print");
    EXPECT_EQ(comment, J("# コメント"));
}

TEST(StreamReader, DeclinesStreamsItDidNotBuild)
{
    EXPECT_FALSE(CColorStreamReader::Read("{\\rtf1\\ansi hello}"));
    EXPECT_FALSE(CColorStreamReader::Read(""));
    CSyntaxColorizer colorizer;
    CLineReader reader("print 1;\n");
    std::string stream = colorizer.BuildStream(reader);
    for (std::size_t cut = 0; cut < stream.size(); cut += 7)
        (void)CColorStreamReader::Read(std::string_view(stream).substr(0, cut)); // never crashes
    stream.insert(stream.size() - 3, "\\b ");
    EXPECT_FALSE(CColorStreamReader::Read(stream));
}

TEST(StreamRecolor, ControlTextLinesEndAtCarriageReturns)
{
    // A re-coloured document: its CR stays in the line and the LF starts the
    // next one, both read as white space and not shown.
    EXPECT_EQ(Body("print\r", CColorStreamBuilder::Paragraph::Recolored), " \\cf2 print \\cf0\r\\par");
    EXPECT_EQ(Body("\n# c\r", CColorStreamBuilder::Paragraph::Recolored), "\n \\cf1 # c\r \\cf0 \\par");
}

} // namespace
