// The syntax check with the real perl: what the list shows for a clean
// script and for one with errors, the run path taken out of the messages,
// the warnings when perl is not set or cannot be started, and the window
// staying responsive while perl works.
#include "RunFixture.h"

#include "run/CSyntaxCheck.h"

#include <QTimer>

namespace {

using namespace runtest;

class SyntaxCheckTest : public RunFixture {};

TEST_F(SyntaxCheckTest, ACleanScriptListsItsPathThenPerlsConfirmationWithoutThePath)
{
    const std::string script = files.write("a.cgi", "#!/usr/bin/perl\nprint \"ok\\n\";\n");
    CSyntaxCheck check;
    check.LoadPerlPath();
    check.CheckSyntax(script, script);
    EXPECT_EQ(TextOf(check), script + "\n syntax OK\n");
    EXPECT_TRUE(ui.Boxes().empty());
}

TEST_F(SyntaxCheckTest, ErrorsAndWarningsAreListedAndTheirLineNumbersRead)
{
    const std::string source = files.write("bad.cgi", "use strict;\nmy $x = 1;\n\n$y = 2;\nprint \"a\"\n}\n");
    TempDir copy("kestrix-run-copy");
    const std::string run = copy.write("bad.cgi", ReadFileBytes(source));
    CSyntaxCheck check;
    check.LoadPerlPath();
    check.CheckSyntax(run, source);
    const std::string text = TextOf(check);
    EXPECT_EQ(check.GetLine(0), source) << "the first line is the script's own path";
    EXPECT_EQ(text.find(run), std::string::npos) << "the run path is taken out: " << text;
    EXPECT_NE(text.find("Global symbol \"$y\" requires explicit package name"), std::string::npos) << text;
    bool sawLine4 = false, sawLine6 = false;
    for (long line = 1; line < check.GetLineCount(); ++line) {
        const std::string message = check.GetLine(line);
        if (message.find("\"$y\"") != std::string::npos) {
            EXPECT_NE(message.find("at  line 4"), std::string::npos) << message;
            sawLine4 = CSyntaxCheck::GetLineNumber(message) == 4;
        }
        if (message.find("syntax error") != std::string::npos)
            sawLine6 = CSyntaxCheck::GetLineNumber(message) == 6;
    }
    EXPECT_TRUE(sawLine4) << text;
    EXPECT_TRUE(sawLine6) << text;
}

TEST_F(SyntaxCheckTest, ShiftJisInTheScriptAndItsMessagesIsKeptByteForByte)
{
    // An error that quotes the script's own Shift-JIS text.
    const std::string script = files.write("sjis.cgi", "my $s = \"" + J("日本語") + "\" \"x\";\n");
    CSyntaxCheck check;
    check.LoadPerlPath();
    check.CheckSyntax(script, script);
    EXPECT_NE(TextOf(check).find("near \"\"" + J("日本語") + "\" \"x\"\""), std::string::npos)
        << sjis::ToUtf8(TextOf(check));
}

TEST_F(SyntaxCheckTest, KanjiThatPerlMisreadsAreListedAfterItsMessagesWithTheirLines)
{
    // perl -wc passes this script; it prints "表" with its trail byte eating
    // the "示" that follows, and "十" loses its trail byte to "分".
    const std::string script =
        files.write("hazard.cgi", "#!/usr/bin/perl\nprint \"" + J("表示") + "\";\n# " + J("表示") +
                                      "\nmy $x = '" + J("十分") + "';\nprint \"" + J("十分") + "\\n\";\n");
    CSyntaxCheck check;
    check.LoadPerlPath();
    check.CheckSyntax(script, script);
    ASSERT_EQ(check.GetLineCount(), 5) << sjis::ToUtf8(TextOf(check));
    EXPECT_EQ(check.GetLine(1), " syntax OK");
    const std::string first = check.GetLine(2);
    EXPECT_EQ(CSyntaxCheck::GetLineNumber(first), 2) << sjis::ToUtf8(first);
    EXPECT_NE(first.find(J("「表」")), std::string::npos) << sjis::ToUtf8(first);
    EXPECT_NE(first.find(J("ダブルクォート文字列")), std::string::npos) << sjis::ToUtf8(first);
    EXPECT_NE(first.find("at  line 2"), std::string::npos) << sjis::ToUtf8(first);
    EXPECT_EQ(CSyntaxCheck::GetLineNumber(check.GetLine(3)), 5) << sjis::ToUtf8(check.GetLine(3));
}

TEST_F(SyntaxCheckTest, WithoutPerlTheWarningShowsAndTheListStaysAsItWas)
{
    const std::string script = files.write("a.cgi", "print 1;\n");
    CSyntaxCheck check;
    check.LoadPerlPath();
    check.CheckSyntax(script, script);
    const std::string before = TextOf(check);
    UsePerl("");
    check.LoadPerlPath();
    ui.AnswerBox(IDOK);
    check.CheckSyntax(script, script);
    ASSERT_EQ(ui.Boxes().size(), 1u);
    EXPECT_EQ(ui.Boxes()[0].Utf8Text(), "ActivePerl(Perl.exe)のパスが設定されていません。");
    EXPECT_EQ(ui.Boxes()[0].Utf8Caption(), "警告");
    EXPECT_EQ(TextOf(check), before);
}

TEST_F(SyntaxCheckTest, APerlThatCannotBeStartedGivesTheSystemsReason)
{
    UsePerl(files.file("no-such-perl"));
    const std::string script = files.write("a.cgi", "print 1;\n");
    CSyntaxCheck check;
    check.LoadPerlPath();
    ui.AnswerBox(IDOK);
    check.CheckSyntax(script, script);
    ASSERT_EQ(ui.Boxes().size(), 1u);
    EXPECT_EQ(ui.Boxes()[0].caption, "Error");
    EXPECT_EQ(ui.Boxes()[0].text, SystemErrorText(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(TextOf(check), script + "\n") << "the list shows only the path";
}

TEST_F(SyntaxCheckTest, TheWindowKeepsWorkingWhilePerlChecks)
{
    // perl runs BEGIN blocks while it checks: this one takes a while.
    const std::string script =
        files.write("slow.cgi", "BEGIN { select(undef, undef, undef, 0.6) }\nprint 1;\n");
    CSyntaxCheck check;
    check.LoadPerlPath();
    bool sawChecking = false;
    QTimer::singleShot(100, [&] { sawChecking = check.IsChecking(); });
    check.CheckSyntax(script, script);
    EXPECT_TRUE(sawChecking) << "a timer fired during the check, and saw it going on";
    EXPECT_FALSE(check.IsChecking());
    EXPECT_EQ(TextOf(check), script + "\n syntax OK\n");
}

} // namespace
