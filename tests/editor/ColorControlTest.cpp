// The colouring engine on a real control: a whole script loaded and read
// back byte for byte, colours on the right characters after double-byte
// text, and the caret line recoloured as the user types.
#include "EditorFixture.h"

using namespace editortest;

namespace {

class ColorControl : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(colorizer.LoadCommandFile(kKeyData));
        auto owned = std::make_unique<RecordingTip>();
        tip = owned.get();
        colorizer.SetTipWindow(std::move(owned));
        colorizer.SetFont(J("ＭＳ　明朝"), 200, 1);
        colorizer.SetColors(kCommand, kComment);
        control.LimitText(1 << 20);
        control.resize(600, 400);
        control.show();
    }
    void Load(const std::string& file)
    {
        CLineReader reader(file);
        colorizer.BuildFromPlainText(control, reader, CSyntaxColorizer::NeedsConversion(file));
    }
    COLORREF ColorAt(long pos) { return editortest::ColorAt(&control, pos); }
    long Find(const std::string& text) { return editortest::Find(&control, text); }
    void Type(char c)
    {
        QTest::keyClick(&control, c);
        colorizer.RecolorCaretLine(&control, c);
    }

    CSyntaxColorizer colorizer;
    CRichEditCtrl control;
    RecordingTip* tip = nullptr;
};

TEST_F(ColorControl, ScriptsComeBackByteForByte)
{
    const char* scripts[] = {
        "#!/usr/bin/perl\nuse strict;\nprint \"Content-type: text/html\\n\\n\"; # ヘッダ\n",
        "$s = \"日本語\";  # 日本語\n$k = 'ｶﾀｶﾅ';\n  print  $k ;  \n\nsub f { return \\@_; }\n",
        "print \"表示ソ\\\\\"; # 能\nif ($a) {print;}\nprint-X 1;open(F,\"<$x\")or die;#end",
        "print \"ﾃﾞｰﾀ\";\r\n\r\n",
    };
    for (const char* script : scripts) {
        const std::string file = J(script);
        Load(file);
        EXPECT_EQ(control.GetTextRange(0, -1), JoinedLines(file, '\r')) << script;
    }
}

TEST_F(ColorControl, ColoursLandAfterDoubleByteText)
{
    Load(J("$s = \"日本語ｶﾅ\"; print $s; # コメント\nmy $x;\n"));
    const long print = Find("print");
    ASSERT_GT(print, 0);
    EXPECT_EQ(ColorAt(print - 1), 0u);
    for (long i = print; i < print + 5; ++i)
        EXPECT_EQ(ColorAt(i), kCommand) << i;
    EXPECT_EQ(ColorAt(print + 5), 0u);
    const long hash = Find("#");
    EXPECT_EQ(ColorAt(hash - 1), 0u);
    EXPECT_EQ(ColorAt(hash), kComment);
    EXPECT_EQ(ColorAt(hash + 2), kComment) << "the comment's double-byte text";
    EXPECT_EQ(ColorAt(Find("my")), kCommand);
    EXPECT_EQ(ColorAt(Find("$x")), 0u);
}

TEST_F(ColorControl, TypingACommandWordColoursItAndShowsItsTip)
{
    Load(J("$a = \"日本\"; \n"));
    const long end = control.LineLength(0);
    control.SetSel(end, end);
    for (char c : std::string("prin"))
        Type(c);
    EXPECT_TRUE(tip->tips.empty());
    EXPECT_EQ(ColorAt(end), 0u);
    Type('t');
    EXPECT_EQ(control.GetTextRange(0, -1), J("$a = \"日本\"; print"));
    for (long i = end; i < end + 5; ++i)
        EXPECT_EQ(ColorAt(i), kCommand) << i;
    ASSERT_EQ(tip->tips.size(), 1u);
    EXPECT_EQ(tip->tips[0], colorizer.LookupCommand("print"));
    EXPECT_TRUE(tip->shown);
    // The next key hides the tip, and the word stops being a command.
    Type('x');
    EXPECT_FALSE(tip->shown);
    EXPECT_EQ(ColorAt(end), 0u);
}

TEST_F(ColorControl, TipsStayHiddenWhenSwitchedOff)
{
    colorizer.SetTipSwitch(false);
    Load("\n");
    control.SetSel(0, 0);
    for (char c : std::string("print"))
        Type(c);
    EXPECT_EQ(tip->tips.size(), 1u) << "the tip text is still handed over";
    EXPECT_FALSE(tip->shown);
    EXPECT_EQ(ColorAt(0), kCommand);
}

TEST_F(ColorControl, NextTypedCharacterIsDefaultColoured)
{
    Load("my\n");
    control.SetSel(2, 2);
    QTest::keyClick(&control, ' ');
    colorizer.RecolorCaretLine(&control, ' ');
    EXPECT_EQ(ColorAt(0), kCommand);
    EXPECT_EQ(ColorAt(2), 0u) << "a character typed after a command word is not in its colour";
}

TEST_F(ColorControl, EnterRecoloursTheSplitLineUnlessItEndsInAComment)
{
    // "printx" is no command; Enter between "print" and "x" makes it one.
    Load("printx\n# note\n");
    control.SetSel(5, 5);
    QTest::keyClick(&control, Qt::Key_Return);
    colorizer.RecolorCaretLine(&control, 13);
    EXPECT_EQ(control.GetTextRange(0, -1), "print\rx\r# note");
    EXPECT_EQ(ColorAt(0), kCommand);

    // After a comment line the split line keeps its comment colour.
    const long noteEnd = control.LineIndex(2) + control.LineLength(control.LineIndex(2));
    control.SetSel(noteEnd, noteEnd);
    QTest::keyClick(&control, Qt::Key_Return);
    colorizer.RecolorCaretLine(&control, 13);
    EXPECT_EQ(ColorAt(control.LineIndex(2)), kComment);
}

TEST_F(ColorControl, RecolouredDocumentKeepsItsText)
{
    const std::string file = J("print 1; # 一\n$x = \"表\";\nmy $y;");
    Load(file);
    const std::string before = control.GetTextRange(0, -1);
    control.SetSel(0, -1);
    CharFormat black;
    black.mask = CFM_COLOR;
    control.SetCharFormat(CharFormatTarget::Selection, black);
    ASSERT_TRUE(colorizer.BuildFromControl(control));
    EXPECT_EQ(control.GetTextRange(0, -1), before);
    EXPECT_EQ(ColorAt(0), kCommand);
    EXPECT_EQ(ColorAt(Find("#")), kComment);
    EXPECT_EQ(ColorAt(Find("my")), kCommand);
}

TEST_F(ColorControl, ColorWordsPaintsACommentOverTheFollowingLines)
{
    Load("# a\nprint 1;\n");
    const long last = control.GetTextLength();
    colorizer.ColorWords(control, 0, last, -1);
    EXPECT_EQ(ColorAt(Find("print")), kComment);
    EXPECT_TRUE(tip->tips.empty());
}

TEST_F(ColorControl, ShebangLineIsNeverColoured)
{
    Load("#!/usr/bin/perl -w print\n");
    EXPECT_EQ(ColorAt(0), 0u);
    EXPECT_EQ(ColorAt(Find("print")), 0u);
}

std::string ReadScript(const std::string& name)
{
    return ReadFileBytes(KESTRIX_SOURCE_DIR "/tests/editor/scripts/" + name);
}

struct ScriptCase {
    const char* file;
    const char* shiftJisTwin; // the same script in Shift-JIS, for other codes
};

void PrintTo(const ScriptCase& c, std::ostream* os)
{
    *os << c.file;
}

class ScriptFiles : public ColorControl, public ::testing::WithParamInterface<ScriptCase> {};

TEST_P(ScriptFiles, LoadIntoTheControlAndComeBackAsShiftJis)
{
    const std::string file = ReadScript(GetParam().file);
    ASSERT_FALSE(file.empty()) << GetParam().file;
    Load(file);
    const std::string expected = JoinedLines(ReadScript(GetParam().shiftJisTwin), '\r');
    EXPECT_EQ(control.GetTextRange(0, -1), expected);
    // Commands after Japanese text on the same line are still coloured.
    const long open = Find("open(");
    ASSERT_GE(open, 0);
    EXPECT_EQ(ColorAt(open), kCommand);
}

INSTANTIATE_TEST_SUITE_P(Scripts, ScriptFiles,
                         ::testing::Values(ScriptCase{"bbs.cgi", "bbs.cgi"},
                                           ScriptCase{"counter.cgi", "counter.cgi"},
                                           ScriptCase{"counter-euc.cgi", "counter.cgi"},
                                           ScriptCase{"counter-jis.cgi", "counter.cgi"}),
                         [](const auto& info) {
                             std::string name = info.param.file;
                             for (char& c : name)
                                 if (c == '-' || c == '.')
                                     c = '_';
                             return name;
                         });

TEST_F(ColorControl, CrLfScriptWithHalfWidthKanaStaysShiftJis)
{
    const std::string file = ReadScript("crlf.cgi");
    Load(file);
    EXPECT_EQ(control.GetTextRange(0, -1), JoinedLines(file, '\r'));
    EXPECT_EQ(ColorAt(Find("#")), kComment);
}

} // namespace
