// A copy of a Shift-JIS script in which every byte of 0x80 and above is a
// letter: a double-byte character becomes "xx", a half-width katakana or a
// stray byte "x", and a character with trail byte 0x5C written with its extra
// "\" after it ("表\") becomes "xxx". The copy has the same length, so an offset in it is an
// offset in the script, and a tokenizer reading it never takes a trail byte
// for a quote, a backslash or a delimiter.
#pragma once

#include <string>
#include <string_view>

class CSjisMask {
public:
    static std::string Mask(std::string_view sjis);
};
