// Code page 932 (Shift-JIS) text. Everything the program handles as bytes
// stays code page 932 in std::string; these helpers convert at the edges
// where Qt shows or takes text.
#pragma once

#include <QString>
#include <cstddef>
#include <string>
#include <string_view>

namespace sjis {

// A byte 0x81-0x9F or 0xE0-0xFC starts a double-byte character; half-width
// katakana 0xA1-0xDF are single bytes.
constexpr bool IsLeadByte(unsigned char c)
{
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// True when every character of the bytes is valid code page 932.
bool IsValid(std::string_view bytes);

// Code page 932 bytes to Unicode. A byte sequence that code page 932 does not
// define becomes U+FFFD, so that nothing is silently dropped.
QString ToUnicode(std::string_view bytes);

// Unicode to code page 932. A character that code page 932 cannot hold
// becomes "?".
std::string FromUnicode(const QString& text);

// UTF-8 text (the program's own literals) to code page 932.
std::string FromUtf8(std::string_view utf8);

// Code page 932 to UTF-8, for file names and Qt.
std::string ToUtf8(std::string_view bytes);

// The length in code page 932 bytes that FromUnicode gives for the text.
std::size_t Cp932Length(const QString& text);

} // namespace sjis
