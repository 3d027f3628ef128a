// A test script written in UTF-8 with its hazards marked "⟪表|D⟫" (the
// character and the context letter: D double-quoted, H here-document,
// R regular expression, C character class, S single-quoted, T tr). It gives
// the Shift-JIS script as the author wrote it, the same script with each
// marked character escaped ("表\" or "\x81\x5B"), and the marks.
#pragma once

#include "check/SjisHazard.h"

#include <string>
#include <vector>

struct CorpusMark {
    std::size_t offset; // in the Shift-JIS script
    HazardContext context;
};

struct CorpusScript {
    std::string plain;   // Shift-JIS, hazards in place
    std::string escaped; // Shift-JIS, every hazard escaped
    std::vector<CorpusMark> marks;

    static CorpusScript FromTemplate(const std::string& utf8);
    static CorpusScript Load(const std::string& name); // tests/check/scripts/<name>
};

// The output of /usr/bin/perl running the script (stdout only, as bytes).
std::string RunPerl(const std::string& script);
