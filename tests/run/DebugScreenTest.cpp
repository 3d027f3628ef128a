// The debug console with the real perl and its debugger: stepping, printing
// a variable and quitting, a script that reads its input, Shift-JIS and
// megabytes of output, each typed line sent once, and the run's temporary
// folder deleted however the run ends.
#include "RunFixture.h"

#include "run/CDebugScreen.h"
#include "run/CTempFolder.h"

#include <csignal>

namespace {

using namespace runtest;

class DebugScreenTest : public RunFixture {
protected:
    bool Shows(const CDebugScreen& console, const std::string& text)
    {
        return WaitUntil([&] { return TextOf(console).find(text) != std::string::npos; });
    }
    bool Ends(const CDebugScreen& console)
    {
        return WaitUntil([&] { return !console.IsRunning(); });
    }
};

TEST_F(DebugScreenTest, StepPrintAVariableAndQuitUnderTheDebugger)
{
    const std::string script = files.write("step.cgi", "my $x = 41;\n$x++;\nprint \"x is $x\\n\";\n");
    CDebugScreen console;
    console.LoadPerlPath();
    ASSERT_TRUE(console.RunPerl(script));
    EXPECT_TRUE(console.IsRunning());
    ASSERT_TRUE(Shows(console, "DB<1>")) << TextOf(console);
    EXPECT_NE(TextOf(console).find("my $x = 41;"), std::string::npos) << "the first line is listed";
    TypeLine(&console, "n");
    ASSERT_TRUE(Shows(console, "2:\t$x++;")) << TextOf(console);
    TypeLine(&console, "p $x");
    ASSERT_TRUE(Shows(console, "p $x\n41\n")) << TextOf(console);
    ASSERT_TRUE(Shows(console, "DB<2>"));
    TypeLine(&console, "q");
    ASSERT_TRUE(Ends(console)) << TextOf(console);
    const std::string text = TextOf(console);
    EXPECT_TRUE(text.ends_with("end debug")) << text;
    EXPECT_EQ(text.find("x is"), std::string::npos) << "the script was left before its print";
    EXPECT_TRUE(ui.Boxes().empty());
}

TEST_F(DebugScreenTest, AScriptReadingItsInputGetsTheTypedLine)
{
    const std::string script =
        files.write("ask.cgi", "$| = 1;\nprint \"name? \";\nmy $name = <STDIN>;\nprint \"hello $name\";\n");
    CDebugScreen console;
    console.LoadPerlPath();
    ASSERT_TRUE(console.RunPerl(script));
    ASSERT_TRUE(Shows(console, "DB<1>"));
    TypeLine(&console, "c");
    ASSERT_TRUE(Shows(console, "name? ")) << TextOf(console);
    TypeLine(&console, "世界");
    ASSERT_TRUE(Shows(console, "hello " + J("世界") + "\n")) << TextOf(console);
    ASSERT_TRUE(Shows(console, "Debugged program terminated."))
        << "the debugger waits after the script's end";
    TypeLine(&console, "q");
    ASSERT_TRUE(Ends(console));
}

TEST_F(DebugScreenTest, EachTypedLineIsSentOnceEvenWithoutOutputBetween)
{
    const std::string script = files.write(
        "echo.cgi",
        "$| = 1;\nwhile (my $l = <STDIN>) {\n  last if $l eq \"quit\\n\";\n  print \"got:$l\";\n}\n");
    CDebugScreen console;
    console.LoadPerlPath();
    ASSERT_TRUE(console.RunPerl(script, " -w "));
    // Two Enters in a row, before the script has answered the first.
    TypeLine(&console, "abc");
    TypeLine(&console, "");
    ASSERT_TRUE(Shows(console, "got:\n")) << TextOf(console);
    TypeLine(&console, "quit");
    ASSERT_TRUE(Ends(console));
    EXPECT_EQ(TextOf(console), "abc\n\ngot:abc\ngot:\nquit\nend debug");
}

TEST_F(DebugScreenTest, ShiftJisOutputCutAnywhereShowsWholeCharacters)
{
    // Odd-length ASCII before each character moves the pipe's cuts about.
    const std::string script =
        files.write("sjis.cgi", "binmode STDOUT;\nfor my $i (1 .. 20000) { print \"a\", \"" + J("漢字") +
                                    "\", \"\\r\\n\" }\n");
    CDebugScreen console;
    console.LoadPerlPath();
    ASSERT_TRUE(console.RunPerl(script, " -w "));
    ASSERT_TRUE(Ends(console));
    std::string expected;
    for (int i = 0; i < 20000; ++i)
        expected += "a" + J("漢字") + "\n";
    EXPECT_TRUE(TextOf(console) == expected + "end debug") << "the Shift-JIS text or its breaks were changed";
}

TEST_F(DebugScreenTest, MegabytesOfOutputAreAllShownBeforeTheEnd)
{
    const std::string script = files.write(
        "big.cgi", "print \"line $_ \" . ('x' x 80) . \"\\n\" for 1 .. 40000;\nprint STDERR \"the end\";\n");
    CDebugScreen console;
    console.LoadPerlPath();
    ASSERT_TRUE(console.RunPerl(script, " -w "));
    ASSERT_TRUE(Ends(console));
    const std::string text = TextOf(console);
    EXPECT_GT(text.size(), 3u * 1000 * 1000);
    EXPECT_NE(text.find("line 1 x"), std::string::npos);
    EXPECT_NE(text.find("line 40000 x"), std::string::npos);
    EXPECT_TRUE(text.ends_with("xxx\nthe endend debug")) << text.substr(text.size() - 100);
    EXPECT_EQ(console.InputStart(), console.GetTextLength());
}

TEST_F(DebugScreenTest, WithoutPerlTheWarningShowsAndTheTemporaryFolderGoes)
{
    UsePerl("");
    const std::string script = files.write("a.cgi", "print 1;\n");
    const std::string temp = CTempFolder::CopyToTempFolder(script);
    ASSERT_FALSE(temp.empty());
    CDebugScreen console;
    console.LoadPerlPath();
    console.SetTempFolder(temp);
    ui.AnswerBox(IDOK);
    EXPECT_FALSE(console.RunPerl(temp + "/a.cgi"));
    ASSERT_EQ(ui.Boxes().size(), 1u);
    EXPECT_EQ(ui.Boxes()[0].Utf8Text(), "ActivePerl(Perl.exe)のパスが設定されていません");
    EXPECT_EQ(ui.Boxes()[0].Utf8Caption(), "警告");
    EXPECT_FALSE(console.IsRunning());
    EXPECT_TRUE(DebugFolders(tmp.path()).empty());
}

TEST_F(DebugScreenTest, APerlThatCannotStartIsToldAndNothingRuns)
{
    UsePerl(files.file("no-perl-here"));
    const std::string script = files.write("a.cgi", "print 1;\n");
    CDebugScreen console;
    console.LoadPerlPath();
    ui.AnswerBox(IDOK);
    EXPECT_FALSE(console.RunPerl(script));
    ASSERT_EQ(ui.Boxes().size(), 1u);
    EXPECT_EQ(ui.Boxes()[0].caption, "Error");
    EXPECT_EQ(ui.Boxes()[0].text, SystemErrorText(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(console.IsRunning());
}

TEST_F(DebugScreenTest, ClosingTheConsoleEndsTheScriptAndDeletesItsFolder)
{
    const std::string script = files.write("wait.cgi", "$| = 1;\nprint \"$$\\n\";\nsleep 100;\n");
    const std::string temp = CTempFolder::CopyToTempFolder(script);
    auto console = std::make_unique<CDebugScreen>();
    console->LoadPerlPath();
    console->SetTempFolder(temp);
    ASSERT_TRUE(console->RunPerl(temp + "/wait.cgi", " -w "));
    ASSERT_TRUE(Shows(*console, "\n"));
    const pid_t pid = pid_t(std::stol(TextOf(*console)));
    console.reset();
    EXPECT_NE(::kill(pid, 0), 0) << "the script is still running";
    EXPECT_TRUE(DebugFolders(tmp.path()).empty());
}

} // namespace
