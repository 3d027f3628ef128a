#include "editor/CHelpKeyword.h"

#include "platform/text/Sjis.h"

#include <vector>

namespace {

bool IsWordByte(unsigned char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

bool IsLetter(unsigned char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// The punctuation a variable may be named by: "$/", "$!", "$@", "$0" ...
bool IsVariablePunctuation(unsigned char c)
{
    return c > ' ' && c < 0x7F && !IsWordByte(c) && c != '{' && c != '(';
}

} // namespace

std::string CHelpKeyword::FromSelection(std::string_view selection)
{
    std::string keyword(selection);
    std::erase(keyword, ' ');
    return keyword;
}

std::string CHelpKeyword::AtColumn(std::string_view line, std::size_t column)
{
    const std::size_t n = line.size();
    if (column > n)
        column = n;
    // Which bytes are ASCII characters of their own (a trail byte of a
    // double-byte character is not, whatever its value).
    std::vector<bool> single(n, false);
    for (std::size_t i = 0; i < n;) {
        const std::size_t length = sjis::CharLength(line, i);
        if (length == 1)
            single[i] = static_cast<unsigned char>(line[i]) < 0x80;
        i += length;
    }
    auto word = [&](std::size_t i) {
        return i < n && single[i] && IsWordByte(static_cast<unsigned char>(line[i]));
    };
    auto at = [&](std::size_t i, char c) { return i < n && single[i] && line[i] == c; };

    std::size_t p;
    if (word(column))
        p = column;
    else if (column > 0 && word(column - 1))
        p = column - 1;
    else {
        // "$" and one punctuation character, with the caret on either side
        // of either of them.
        for (std::size_t k : {column, column - 1, column - 2}) {
            if (k < n && at(k, '$') && k + 1 < n && single[k + 1] &&
                IsVariablePunctuation(static_cast<unsigned char>(line[k + 1])))
                return std::string(line.substr(k, 2));
        }
        return {};
    }
    std::size_t start = p;
    while (start > 0 && word(start - 1))
        --start;
    std::size_t end = p;
    while (word(end))
        ++end;
    if (start > 0 && (at(start - 1, '$') || at(start - 1, '@') || at(start - 1, '%'))) {
        --start;
    } else if (start > 0 && at(start - 1, '-') && end - start == 1 &&
               IsLetter(static_cast<unsigned char>(line[start])) && (start == 1 || !word(start - 2))) {
        // A file test: "-e $file", not the minus of "$a-b".
        --start;
    }
    return std::string(line.substr(start, end - start));
}
