#include "PublishFixture.h"

#include "publish/PublishChecks.h"

namespace {

using namespace publishtest;

class PublishChecksTest : public PublishFixture {
protected:
    std::vector<PublishIssue> Check(const std::vector<std::string>& files,
                                    const std::string& serverPerl = "/usr/bin/perl")
    {
        return PublishChecks::Check(PublishPlan::Build(project.path(), files, {}), "/usr/bin/perl",
                                    serverPerl);
    }
    static std::vector<std::string> For(const std::vector<PublishIssue>& issues, const std::string& file,
                                        IssueSeverity severity)
    {
        std::vector<std::string> texts;
        for (const auto& issue : issues)
            if (issue.relativePath == file && issue.severity == severity)
                texts.push_back(std::to_string(issue.line) + ":" + sjis::ToUtf8(issue.text));
        return texts;
    }
};

TEST_F(PublishChecksTest, ASyntaxErrorFailsTheScriptWithItsLineAndTheCrLfScriptIsOnlyNoted)
{
    const auto issues = Check(Site());
    ASSERT_TRUE(PublishChecks::HasErrors(issues));
    const auto broken = For(issues, "broken.cgi", IssueSeverity::Error);
    ASSERT_FALSE(broken.empty());
    EXPECT_TRUE(broken.front().starts_with("3:syntax error at  line 3")) << broken.front();
    // The run path is taken out of perl's words.
    for (const auto& text : broken)
        EXPECT_EQ(text.find(project.path()), std::string::npos) << text;
    EXPECT_TRUE(For(issues, "crlf.cgi", IssueSeverity::Error).empty());
    const auto notes = For(issues, "crlf.cgi", IssueSeverity::Note);
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_NE(notes[0].find("CR LF"), std::string::npos);
    EXPECT_FALSE(PublishChecks::HasErrorsFor(issues, "cgi/plain.pl"));
    EXPECT_FALSE(PublishChecks::HasErrorsFor(issues, "index.html"));
}

TEST_F(PublishChecksTest, TheShebangMustNameTheServersPerl)
{
    const auto files = std::vector<std::string>{
        Write("other.cgi", "#!/usr/local/bin/perl -w\nprint \"Content-Type: text/plain\\n\\nx\";\n"),
        Write("none.cgi", "print \"Content-Type: text/plain\\n\\nx\";\n"),
        Write("env.cgi", "#!/usr/bin/env perl\nprint \"Content-Type: text/plain\\n\\nx\";\n"),
        Write("taint.cgi", "#!/usr/bin/perl -T\nprint \"Content-Type: text/plain\\n\\nx\";\n")};
    const auto issues = Check(files);
    EXPECT_EQ(For(issues, "other.cgi", IssueSeverity::Error),
              std::vector<std::string>{
                  "1:「#!」行の perl (/usr/local/bin/perl) がサーバの perl (/usr/bin/perl) と違います。"});
    EXPECT_EQ(For(issues, "none.cgi", IssueSeverity::Error),
              std::vector<std::string>{
                  "1:1 行目に「#!/usr/bin/perl」がありません。サーバはスクリプトを起動できません。"});
    EXPECT_TRUE(For(issues, "env.cgi", IssueSeverity::Error).empty());
    // "-T" on the "#!" line is passed to the check too, or perl refuses.
    EXPECT_TRUE(For(issues, "taint.cgi", IssueSeverity::Error).empty());
    // Against a server whose perl it names, the same script passes.
    EXPECT_FALSE(PublishChecks::HasErrorsFor(Check({files[0]}, "/usr/local/bin/perl"), "other.cgi"));
}

TEST_F(PublishChecksTest, WarningsAndShiftJisHazardsAreListedWithoutStoppingThePublish)
{
    const auto issues = Check(
        {Write("warn.cgi", "#!/usr/bin/perl\nmy @a = (1);\nmy $x = @a[0];\nprint \"" + J("表示") + "\";\n")});
    EXPECT_FALSE(PublishChecks::HasErrors(issues));
    const auto warnings = For(issues, "warn.cgi", IssueSeverity::Warning);
    ASSERT_EQ(warnings.size(), 2u);
    EXPECT_TRUE(warnings[0].starts_with("3:Scalar value @a[0] better written as $a[0]")) << warnings[0];
    EXPECT_TRUE(warnings[1].starts_with("4:「表」")) << warnings[1];
}

TEST_F(PublishChecksTest, WithoutALocalPerlTheCompileCheckIsLeftOutAndSaidSo)
{
    const auto issues =
        PublishChecks::Check(PublishPlan::Build(project.path(), Site(), {}), "", "/usr/bin/perl");
    EXPECT_FALSE(PublishChecks::HasErrorsFor(issues, "broken.cgi"));
    ASSERT_FALSE(issues.empty());
    EXPECT_EQ(sjis::ToUtf8(issues[0].text),
              "Perl のパスが設定されていないため、構文チェックを省略しました。");
    const auto missing = PublishChecks::Check(PublishPlan::Build(project.path(), Site(), {}),
                                              "/nonexistent/perl", "/usr/bin/perl");
    EXPECT_NE(For(missing, "crlf.cgi", IssueSeverity::Error).front().find("/nonexistent/perl"),
              std::string::npos);
}

} // namespace
