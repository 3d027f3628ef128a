// Finds the Shift-JIS characters whose trail byte makes Perl (reading bytes,
// as Shift-JIS CGI scripts are run) read a string, pattern or here-document
// differently from what the author wrote:
// - trail byte 0x5C ("\": ソ 表 能 予 十 申 ...) escapes the next byte in every
//   construct but a single-quoted string, where only a following delimiter
//   or "\" is taken; a character already followed by its extra "\" is fine;
// - trail byte 0x40 ("@": the full-width space, ァ ...) followed by a name,
//   a digit, "{", "$", "::", "-" or "+" is an array in an interpolating
//   string or pattern;
// - trail bytes "[", "^", "|" and a "{" that makes a quantifier are
//   metacharacters in a pattern, "]" in a character class;
// - a trail byte equal to the construct's delimiter ends it early.
// The constructs come from CPerlQuoteScanner (or any QuoteRegions, such as
// PPI's) read on the masked copy, so they are the ones the author meant.
#pragma once

#include "check/QuoteRegion.h"
#include "check/SjisHazard.h"

#include <string>
#include <string_view>

class CSjisHazardChecker {
public:
    // The whole script, scanned with the program's own tokenizer.
    static SjisHazards Check(std::string_view sjis);

    // The script with its regions already found (on CSjisMask's copy).
    static SjisHazards Check(std::string_view sjis, const QuoteRegions& regions);

    // The script with every hazard that has a fix fixed, as one new text.
    static std::string ApplyFixes(std::string_view sjis, const SjisHazards& hazards);
};
