// One place where a Shift-JIS character's trail byte changes what Perl reads:
// where it is, what it is, the construct it is in, and the edit that makes
// Perl read what the author wrote.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

enum class HazardContext {
    DoubleQuoted,
    HereDocument,
    Regex,
    CharacterClass,
    SingleQuoted,
    Transliteration,
};

enum class HazardKind {
    Backslash,          // trail byte 0x5C escapes the byte after it
    ArrayInterpolation, // trail byte 0x40 starts an array in an interpolating string
    RegexMetacharacter, // trail byte [ ^ | { is special in a pattern, ] or \ in a class
    Delimiter,          // trail byte is the construct's own delimiter
};

struct SjisHazard {
    std::size_t offset;    // the character's lead byte, from the start of the text
    int line;              // 1-based
    int column;            // 1-based, in bytes (a double-byte character is two columns wide)
    std::string character; // the character's two Shift-JIS bytes
    HazardContext context;
    HazardKind kind;
    // The fix: the bytes [fixOffset, fixOffset + fixLength) become fixText.
    // No fix when fixText is empty (a single-quoted string whose delimiter is
    // the trail byte needs another delimiter, which is the author's choice).
    std::size_t fixOffset = 0;
    std::size_t fixLength = 0;
    std::string fixText;

    bool HasFix() const { return !fixText.empty(); }
};

using SjisHazards = std::vector<SjisHazard>;
