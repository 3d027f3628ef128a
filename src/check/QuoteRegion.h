// Where a quote-like construct of a Perl script holds its text, as the author
// meant it: the bytes between the delimiters (or a here-document's body), and
// how Perl reads them. Both the script's own scanner and the PPI reader give
// their results in this form, so that they can be compared.
#pragma once

#include <cstddef>
#include <vector>

enum class QuoteKind {
    DoubleQuoted,    // "...", qq, `...`, qx: escapes and interpolation
    SingleQuoted,    // '...', q, qw: only the delimiter and "\" are escaped
    HereDocument,    // an interpolating here-document's body
    Regex,           // m//, //, qr//, the pattern of s///, split's pattern
    Replacement,     // the replacement of s/// (read as a double-quoted string)
    Transliteration, // both lists of tr/// and y///
};

struct QuoteRegion {
    QuoteKind kind;
    std::size_t begin; // the first byte of the text
    std::size_t end;   // one past its last byte
    char open;         // the opening delimiter; 0 for a here-document
    char close;        // the closing delimiter; 0 for a here-document

    bool operator==(const QuoteRegion&) const = default;
};

using QuoteRegions = std::vector<QuoteRegion>;
