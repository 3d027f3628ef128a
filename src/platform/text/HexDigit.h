// Hexadecimal digits, as the settings file, the registry names and RTF
// escapes write bytes.
#pragma once

// 0-15, or -1 when the character is no hexadecimal digit.
constexpr int HexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The digit of a value 0-15: lower case, or upper case when asked.
constexpr char HexDigitChar(int value, bool upper = false)
{
    return (upper ? "0123456789ABCDEF" : "0123456789abcdef")[value];
}
