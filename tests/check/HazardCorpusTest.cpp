// The checker on real scripts: every planted hazard is found with its
// context, the escaped script reports nothing, the quick fix gives exactly the
// escaped script, and the program's tokenizer sees the same constructs as PPI.
#include "CorpusScript.h"
#include "TempDir.h"
#include "check/CPerlQuoteScanner.h"
#include "check/CPpiQuoteReader.h"
#include "check/CSjisHazardChecker.h"
#include "check/CSjisMask.h"

#include <gtest/gtest.h>

void PrintTo(const QuoteRegion& r, std::ostream* os)
{
    *os << "kind " << int(r.kind) << " [" << r.begin << ", " << r.end << ") " << (r.open ? r.open : '0')
        << (r.close ? r.close : '0');
}

namespace {

const char* const kScripts[] = {"board.tmpl", "mailform.tmpl"};

class HazardCorpus : public ::testing::TestWithParam<const char*> {};

TEST_P(HazardCorpus, EveryPlantedHazardIsFoundWithItsContextAndNothingElse)
{
    const CorpusScript script = CorpusScript::Load(GetParam());
    const SjisHazards hazards = CSjisHazardChecker::Check(script.plain);
    ASSERT_EQ(hazards.size(), script.marks.size());
    for (std::size_t k = 0; k < hazards.size(); ++k) {
        EXPECT_EQ(hazards[k].offset, script.marks[k].offset) << "hazard " << k << " line " << hazards[k].line;
        EXPECT_EQ(hazards[k].context, script.marks[k].context)
            << "hazard " << k << " line " << hazards[k].line;
        EXPECT_EQ(hazards[k].character, script.plain.substr(script.marks[k].offset, 2));
    }
}

TEST_P(HazardCorpus, TheSameScriptWithItsEscapesReportsNothing)
{
    const CorpusScript script = CorpusScript::Load(GetParam());
    EXPECT_TRUE(CSjisHazardChecker::Check(script.escaped).empty());
}

TEST_P(HazardCorpus, TheQuickFixForAllGivesTheEscapedScript)
{
    const CorpusScript script = CorpusScript::Load(GetParam());
    EXPECT_EQ(CSjisHazardChecker::ApplyFixes(script.plain, CSjisHazardChecker::Check(script.plain)),
              script.escaped);
}

TEST_P(HazardCorpus, TheProgramsTokenizerAgreesWithPpi)
{
    const CorpusScript script = CorpusScript::Load(GetParam());
    for (const std::string* text : {&script.plain, &script.escaped}) {
        const std::string masked = CSjisMask::Mask(*text);
        std::string error;
        const auto ppi = CPpiQuoteReader::Read("/usr/bin/perl", masked, &error);
        ASSERT_TRUE(ppi) << error;
        const QuoteRegions own = CPerlQuoteScanner::Scan(masked);
        ASSERT_EQ(own.size(), ppi->size());
        for (std::size_t k = 0; k < own.size(); ++k)
            EXPECT_EQ(own[k], (*ppi)[k]) << "region " << k << " at byte " << (*ppi)[k].begin << ": "
                                         << masked.substr((*ppi)[k].begin, 20);
        EXPECT_EQ(CSjisHazardChecker::Check(*text, *ppi).size(), CSjisHazardChecker::Check(*text).size());
    }
}

TEST_P(HazardCorpus, EveryCutOfTheScriptIsCheckedAndEveryReportLiesInsideIt)
{
    // A script being typed is cut off anywhere: inside a string, a pattern,
    // a here-document or a double-byte character.
    const CorpusScript script = CorpusScript::Load(GetParam());
    for (std::size_t cut = 0; cut <= script.plain.size(); ++cut) {
        const std::string_view text = std::string_view(script.plain).substr(0, cut);
        for (const SjisHazard& h : CSjisHazardChecker::Check(text)) {
            ASSERT_LE(h.offset + 2, cut);
            ASSERT_LE(h.fixOffset + h.fixLength, cut);
        }
    }
    // Regions from elsewhere that run past the text are held to it.
    EXPECT_TRUE(CSjisHazardChecker::Check("\"", {{QuoteKind::Regex, 1, 50, '/', '/'}}).empty());
}

// The other Shift-JIS scripts of the tests and the documentation: the
// program's tokenizer and PPI find the same constructs there too.
TEST(HazardCorpusOtherScripts, TheProgramsTokenizerAgreesWithPpi)
{
    for (const char* name : {"tests/editor/scripts/bbs.cgi", "tests/editor/scripts/counter.cgi",
                             "tests/editor/scripts/crlf.cgi", "docs/sample.cgi"}) {
        const std::string text = ReadFileBytes(std::string(KESTRIX_SOURCE_DIR) + "/" + name);
        ASSERT_FALSE(text.empty()) << name;
        const std::string masked = CSjisMask::Mask(text);
        std::string error;
        const auto ppi = CPpiQuoteReader::Read("/usr/bin/perl", masked, &error);
        ASSERT_TRUE(ppi) << error;
        EXPECT_EQ(CPerlQuoteScanner::Scan(masked), *ppi) << name;
    }
}

INSTANTIATE_TEST_SUITE_P(Scripts, HazardCorpus, ::testing::ValuesIn(kScripts), [](const auto& info) {
    std::string name = info.param;
    return name.substr(0, name.find('.'));
});

} // namespace
