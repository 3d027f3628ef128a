// PPI, Perl's own document parser (Debian's libppi-perl), as a second
// tokenizer: the configured perl runs a small program that reads the masked
// script on its standard input and prints one line per quote-like construct,
// "<kind> <begin> <end> <open> <close>" (kind D S H R P T as in QuoteKind,
// offsets in bytes, delimiters as numbers). This class holds the program's
// arguments and reads its output; the tests use it as the judge of
// CPerlQuoteScanner, and a full check may use it where perl is at hand.
#pragma once

#include "check/QuoteRegion.h"

#include <QStringList>
#include <optional>
#include <string>
#include <string_view>

class CPpiQuoteReader {
public:
    // The arguments perl is run with (the program itself is passed with -e).
    static QStringList Arguments();

    // Reads the program's output; nullopt when a line is not in its form.
    static std::optional<QuoteRegions> Parse(std::string_view output);

    // Runs perl on the masked script. nullopt when perl or PPI is missing,
    // fails or takes longer than the timeout; error then says why.
    static std::optional<QuoteRegions> Read(const QString& perl, std::string_view masked, std::string* error,
                                            int timeoutMs = 60000);
};
