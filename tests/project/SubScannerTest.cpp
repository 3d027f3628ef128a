// The sub scanner on texts written for each rule, on real perl modules, and
// the way a rescan's result changes a script's listed subs.
#include "platform/NamedCase.h"

#include "platform/text/Sjis.h"
#include "project/SubScanner.h"

#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

namespace {

using Names = std::vector<std::string>;

struct ScanCase {
    const char* name;
    std::string text;
    Names subs;
};

class SubsOfAText : public ::testing::TestWithParam<ScanCase> {};

TEST_P(SubsOfAText, AreTheDeclaredNamesInTextOrder)
{
    EXPECT_EQ(subscan::ScanSubs(GetParam().text), GetParam().subs);
}

INSTANTIATE_TEST_SUITE_P(
    Declarations, SubsOfAText,
    ::testing::Values(
        ScanCase{"DeclarationAfterALineBreak", "my $x;\nsub parse_form {\n}\n", {"parse_form"}},
        ScanCase{"PackageQualifiedNameStopsAtTheColons", "\nsub main::run { }", {"main"}},
        ScanCase{"DoubleByteCharacterEndsTheName", "\nsub ab" + sjis::FromUtf8("日本") + "cd {", {"ab"}},
        ScanCase{"WordEndingInSubDeclaresNothing", "my $mysub = 1; $mysub {", {}},
        ScanCase{"CommentSignBeforeSubDeclaresNothing", "#sub hidden\n", {}},
        ScanCase{"UpperCaseSubDeclaresNothing", "\nSub Big {}\nSUB BIG {}", {}},
        ScanCase{"SubAtTheVeryFirstByte", "sub first { }\nsub second { }", {"first", "second"}},
        ScanCase{"TwoBlanksAfterTheKeyword", "\nsub  spaced {", {"spaced"}},
        ScanCase{"TabBeforeAndLineBreakAfterTheKeyword", "\tsub \n  wrapped {", {"wrapped"}},
        ScanCase{"AnonymousSubHasNoName", "my $f = sub { 1 };\n", {}},
        ScanCase{"KeywordWithoutABlankIsNoDeclaration", "\nsub\tfoo {}\nsub(", {}},
        ScanCase{"KeywordAtTheEndOfTheText", "\nsub ", {}},
        ScanCase{"RepeatsAreKept", "\nsub a {}\nsub a {}\nsub b{}", {"a", "a", "b"}},
        ScanCase{"CarriageReturnLineBreaks", "x\r\nsub crlf {\r\n}\r\n", {"crlf"}},
        ScanCase{"DigitsAndUnderscores", "\nsub _x9_Y {", {"_x9_Y"}},
        ScanCase{"KatakanaLeadByteBeforeTheKeyword", sjis::FromUtf8("ｱ") + "sub no {}", {}}),
    CaseName);

TEST(SubScanner, ScanNextSubWalksDeclarationByDeclaration)
{
    const std::string text = "xsub a\nsub b\n";
    std::string name = "stale";
    auto next = subscan::ScanNextSub(text, 0, name);
    ASSERT_TRUE(next);
    EXPECT_EQ(name, "") << "the first \"sub \" follows a letter";
    EXPECT_EQ(*next, 5u);
    next = subscan::ScanNextSub(text, *next, name);
    ASSERT_TRUE(next);
    EXPECT_EQ(name, "b");
    EXPECT_EQ(*next, 12u);
    EXPECT_FALSE(subscan::ScanNextSub(text, *next, name));
    EXPECT_FALSE(subscan::ScanNextSub(text, 100, name));
}

// Where the installed perl keeps one of its own modules.
std::string ModulePath(const std::string& module)
{
    std::string file = module;
    for (std::size_t at; (at = file.find("::")) != std::string::npos;)
        file.replace(at, 2, "/");
    const std::string command = "perl -M" + module + " -e 'print $INC{q{" + file + ".pm}}' 2>/dev/null";
    std::string path;
    if (FILE* perl = popen(command.c_str(), "r")) {
        char buffer[512];
        while (fgets(buffer, sizeof buffer, perl))
            path += buffer;
        pclose(perl);
    }
    return path;
}

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(SubScanner, ListsTheSubsOfRealPerlModules)
{
    const std::string basename = ReadAll(ModulePath("File::Basename"));
    ASSERT_FALSE(basename.empty()) << "perl's own modules are installed";
    EXPECT_EQ(subscan::ScanSubs(basename),
              (Names{"fileparse", "basename", "dirname", "_strip_trailing_sep", "fileparse_set_fstype"}));

    const std::string wrap = ReadAll(ModulePath("Text::Wrap"));
    ASSERT_FALSE(wrap.empty());
    EXPECT_EQ(subscan::ScanSubs(wrap), (Names{"_xlen", "wrap", "fill"}));
}

struct ChangeCase {
    const char* name;
    Names listed;
    Names declared;
    Names remove;
    Names add;
};

class RescanOfAScript : public ::testing::TestWithParam<ChangeCase> {};

TEST_P(RescanOfAScript, ChangesOnlyWhatTheTextChanged)
{
    const subscan::Changes changes = subscan::RescanChanges(GetParam().listed, GetParam().declared);
    EXPECT_EQ(changes.remove, GetParam().remove);
    EXPECT_EQ(changes.add, GetParam().add);
}

INSTANTIATE_TEST_SUITE_P(
    Rescans, RescanOfAScript,
    ::testing::Values(ChangeCase{"UnchangedText", {"a", "b"}, {"b", "a"}, {}, {}},
                      ChangeCase{"NewDeclaration", {"a"}, {"a", "c"}, {}, {"c"}},
                      ChangeCase{"DeclarationGone", {"a", "b"}, {"a"}, {"b"}, {}},
                      ChangeCase{"PastedRepeatStaysWhileDeclared", {"a", "a"}, {"a"}, {}, {}},
                      ChangeCase{"RepeatLosesOneItemPerRescanOnceGone", {"a", "a", "b"}, {"b"}, {"a"}, {}},
                      ChangeCase{"RepeatedDeclarationAddsOneItem", {}, {"x", "x"}, {}, {"x"}},
                      ChangeCase{"EverythingRenamed", {"old"}, {"new"}, {"old"}, {"new"}}),
    CaseName);

} // namespace
