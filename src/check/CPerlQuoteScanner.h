// The program's own Perl tokenizer, as far as quote-like constructs go: it
// finds every string, regular expression, transliteration and interpolating
// here-document of a script and where its text begins and ends. It is fast
// enough to run on every edit (a byte loop, no process), and the tests hold
// it against PPI on the test scripts.
//
// It reads the script with each double-byte character already replaced by
// two letters (CSjisMask), so that a trail byte never looks like a quote,
// a backslash or a delimiter: it sees the structure the author meant.
//
// The rules are Perl's: "#" comments, POD from a line starting "=word" to
// "=cut", nothing after __END__ or __DATA__; q qq qw qx m qr s tr y with any
// delimiter, brackets nesting; a "/" is a regular expression where a term is
// expected (after an operator, "(", ",", a statement's start or a list
// operator such as split) and a division after a term; "<<" followed by a
// quoted or bare terminator starts a here-document whose body follows the
// line. A word followed by "=>", after "->" or alone in a hash subscript is
// never a quote operator.
#pragma once

#include "check/QuoteRegion.h"

#include <string_view>

class CPerlQuoteScanner {
public:
    // The regions of the (masked) script, in the order they begin.
    static QuoteRegions Scan(std::string_view masked);
};
