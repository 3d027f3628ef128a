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

// A byte that can follow a lead byte: 0x40-0x7E or 0x80-0xFC.
constexpr bool IsTrailByte(unsigned char c)
{
    return c >= 0x40 && c <= 0xFC && c != 0x7F;
}

// The length of the character starting at bytes[i]: 2 for a lead byte with
// a trail byte after it, else 1, so that a stray lead byte never swallows
// the line break or ASCII character after it.
constexpr std::size_t CharLength(std::string_view bytes, std::size_t i)
{
    return IsLeadByte(static_cast<unsigned char>(bytes[i])) && i + 1 < bytes.size() &&
                   IsTrailByte(static_cast<unsigned char>(bytes[i + 1]))
               ? 2
               : 1;
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
