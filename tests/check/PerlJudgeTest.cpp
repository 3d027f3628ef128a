// Perl itself as the judge: each fragment prints what its author wrote only
// once its hazards are escaped. For every row the checker reports exactly the
// marked characters, /usr/bin/perl prints something other than the author's
// text, and after the quick fix it prints the author's text byte for byte
// and the checker has nothing more to say.
#include "CorpusScript.h"
#include "check/CSjisHazardChecker.h"
#include "platform/NamedCase.h"
#include "platform/text/Sjis.h"

#include <gtest/gtest.h>

namespace {

struct JudgeCase {
    const char* name;
    const char* fragment; // UTF-8, hazards marked as in CorpusScript
    const char* expected; // UTF-8: what the author meant perl to print
};

const JudgeCase kCases[] = {
    {"a_double_quoted_string_loses_the_byte_after_5C", R"(print "⟪表|D⟫示";)", "表示"},
    {"a_double_quoted_string_ending_in_5C_runs_on", R"(print "⟪予|D⟫定⟪表|D⟫", "\n";)", "予定表\n"},
    {"a_full_width_space_before_a_name_is_an_array", R"(print "全角⟪　|D⟫space";)", "全角　space"},
    {"a_here_document_loses_the_byte", "print <<EOT;\n⟪能|H⟫力\nEOT\n", "能力\n"},
    {"a_quoted_here_document_interpolates_the_array", "print <<\"EOT\";\n⟪　|H⟫x\nEOT\n", "　x\n"},
    {"a_trail_byte_closes_qq_braces", R"(print qq{⟪マ|D⟫};)", "マ"},
    {"a_single_quoted_string_ending_in_5C_runs_on", R"(print '⟪ソ|S⟫', "\n";)", "ソ\n"},
    {"q_with_quote_delimiters_ending_in_5C_runs_on", R"(print q'⟪ソ|S⟫', "\n";)", "ソ\n"},
    {"a_qw_list_ending_in_5C_runs_on", R"(print qw(⟪ソ|S⟫);)", "ソ"},
    {"a_pattern_loses_the_byte_after_5C", R"(print '表示' =~ /^⟪表|R⟫示$/ ? "y" : "n";)", "y"},
    {"a_trail_bracket_opens_a_class", R"(print 'ー' =~ /^⟪ー|R⟫$/ ? "y" : "n";)", "y"},
    {"a_trail_bar_splits_the_pattern", R"(for ('ポ', 'a') { print /^⟪ポ|R⟫$/ ? "y" : "n" })", "yn"},
    {"a_trail_caret_anchors_mid_pattern", R"(for ('タ') { print /^⟪タ|R⟫$/ ? "y" : "n" })", "y"},
    {"a_full_width_space_in_a_pattern_is_an_array", R"(for ('　abc') { print /^⟪　|R⟫abc$/ ? "y" : "n" })",
     "y"},
    {"a_trail_bracket_closes_a_character_class", R"(for ('‐', 'a') { print /^[⟪‐|C⟫x]+$/ ? "y" : "n" })",
     "yn"},
    {"a_trail_5C_escapes_in_a_character_class", R"(for ('⟪ソ|S⟫', 'a') { print /^[⟪ソ|C⟫x]+$/ ? "y" : "n" })",
     "yn"},
    {"a_replacement_loses_the_byte", R"($_ = "a"; s/a/⟪表|D⟫示/; print;)", "表示"},
    {"a_transliteration_list_ending_in_5C_runs_on", R"($_ = "ab"; tr/ab/⟪ソ|T⟫/; print;)", "ソ"},
    {"a_command_loses_the_byte", "print `printf '%s' '⟪能|D⟫力'`;", "能力"},
};

class PerlJudge : public ::testing::TestWithParam<JudgeCase> {};

TEST_P(PerlJudge, PerlMisreadsTheFragmentUntilTheQuickFix)
{
    const CorpusScript script = CorpusScript::FromTemplate(GetParam().fragment);
    const std::string expected = sjis::FromUtf8(GetParam().expected);

    const SjisHazards hazards = CSjisHazardChecker::Check(script.plain);
    ASSERT_EQ(hazards.size(), script.marks.size());
    for (std::size_t k = 0; k < hazards.size(); ++k) {
        EXPECT_EQ(hazards[k].offset, script.marks[k].offset);
        EXPECT_EQ(hazards[k].context, script.marks[k].context);
    }
    EXPECT_NE(RunPerl(script.plain), expected) << "perl already reads the fragment as written";

    const std::string fixed = CSjisHazardChecker::ApplyFixes(script.plain, hazards);
    EXPECT_EQ(fixed, script.escaped);
    EXPECT_EQ(RunPerl(fixed), expected);
    EXPECT_TRUE(CSjisHazardChecker::Check(fixed).empty());
}

INSTANTIATE_TEST_SUITE_P(Fragments, PerlJudge, ::testing::ValuesIn(kCases), CaseName);

TEST(PerlJudgeSingleQuotes, ATrailByteThatIsTheDelimiterHasNoAutomaticFix)
{
    const std::string script = sjis::FromUtf8("print q|ポ|, \"\\n\";");
    const SjisHazards hazards = CSjisHazardChecker::Check(script);
    ASSERT_EQ(hazards.size(), 1u);
    EXPECT_EQ(hazards[0].kind, HazardKind::Delimiter);
    EXPECT_FALSE(hazards[0].HasFix());
    EXPECT_NE(RunPerl(script), sjis::FromUtf8("ポ\n"));
    EXPECT_EQ(CSjisHazardChecker::ApplyFixes(script, hazards), script);
}

TEST(PerlJudgeSingleQuotes, A5CTrailByteBeforeAnOrdinaryCharacterIsKeptAndNotReported)
{
    const std::string script = sjis::FromUtf8("print '申し込み 表示', q(能力);");
    EXPECT_TRUE(CSjisHazardChecker::Check(script).empty());
    EXPECT_EQ(RunPerl(script), sjis::FromUtf8("申し込み 表示能力"));
}

} // namespace
