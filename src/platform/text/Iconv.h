// One open glibc iconv conversion, shared by the converters of this folder
// that work a character or a short run at a time: the code page 932 helpers,
// the kanji code tables, the rich-edit control's tables and the RTF reader's
// other code pages.
#pragma once

#include <cstddef>
#include <iconv.h>
#include <string>
#include <string_view>

class Iconv {
public:
    Iconv(const char* to, const char* from);
    ~Iconv();
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;

    // False when the system cannot convert between the two codes; every
    // conversion then fails.
    bool ok() const;

    // Converts the whole of in from the initial state; out holds the result.
    // False when any of it is invalid or incomplete.
    bool Convert(std::string_view in, std::string& out);

    // Converts from in onward, appending to out, until the input is used up
    // (true) or a sequence is invalid or incomplete (false, with in and left
    // at its first byte). Reset() clears the state a failure leaves.
    bool Step(char*& in, std::size_t& left, std::string& out);
    void Reset();

private:
    iconv_t cd_;
};
