// Characters of the code pages an RTF stream may use, to Unicode: which
// bytes lead and trail a double-byte character, and the conversion of one
// character at a time through iconv. The conversion descriptors are opened
// once per code page and kept.
#pragma once

#include "platform/text/Iconv.h"

#include <QString>
#include <cstddef>
#include <map>

class RtfDecoder {
public:
    // The lead and trail bytes of the double-byte code pages; no byte is a
    // lead byte of any other code page.
    static bool IsLead(int cp, unsigned char b);
    static bool IsTrail(int cp, unsigned char b);
    // Appends a code point, or a single UTF-16 unit as it is (so that the
    // two halves of a surrogate pair given by two \u words join up).
    static void AppendUcs4(QString& out, char32_t c);

    // Appends the character of one or two bytes; U+FFFD when the code page
    // does not define it (or is unknown).
    void Decode(int cp, const unsigned char* bytes, std::size_t n, QString& out);

private:
    std::map<int, Iconv> open_;
};
