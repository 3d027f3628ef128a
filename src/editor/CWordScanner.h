// The word scanner both ways of colouring share.
//
// It walks a script's text byte by byte, the way the editor has always
// coloured Perl: white space, "/" and "=" are skipped; a double-quoted string
// is stepped over (a backslash, or a Shift-JIS trail byte 0x5C, steps over the
// next byte too) and an unclosed one ends the scan; a "#" opens a comment to
// the end of the text unless "&" comes before it ("&#38;"), "!" after it, or
// "$" before it ("$#list", which starts a word instead); any other byte starts
// a word made of it and the ASCII letters, digits and "_" after it. Words of 2
// to 30 bytes are looked up in the command table. Single quotes, regular
// expressions, here-documents and POD have no rules of their own.
//
// A text in which "#!" appears with only white space before it (a shebang
// line) is not scanned at all.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>

// The command table: word to tip text, looked up without copying the word.
struct CommandHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
};
using CommandTable = std::unordered_map<std::string, std::string, CommandHash, std::equal_to<>>;

struct ScanHit {
    enum class Kind { Command, Comment };
    Kind kind;
    std::size_t offset;     // from the start of the text
    std::size_t length;     // the word's length; a comment runs to the end
    const std::string* tip; // the command's tip text; null for a comment
};

class CWordScanner {
public:
    static bool IsShebang(std::string_view text);
    static bool IsBlank(char c);

    // Calls onHit for each command word and for the comment, in text order.
    // The shebang rule is the caller's to apply.
    template <typename OnHit>
    static void Scan(std::string_view text, const CommandTable& commands, OnHit&& onHit);
};

inline bool CWordScanner::IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

template <typename OnHit>
void CWordScanner::Scan(std::string_view text, const CommandTable& commands, OnHit&& onHit)
{
    auto isWordByte = [](unsigned char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
    };
    const std::size_t n = text.size();
    std::size_t i = 0;
    while (i < n) {
        const char c = text[i];
        if (IsBlank(c) || c == '/' || c == '=') {
            ++i;
            continue;
        }
        if (c == '"') {
            std::size_t j = i + 1;
            while (j < n && text[j] != '"')
                j += text[j] == '\\' ? 2 : 1;
            if (j >= n)
                return; // an unclosed string ends the scan
            i = j + 1;
            continue;
        }
        if (c == '#') {
            if ((i > 0 && text[i - 1] == '&') || (i + 1 < n && text[i + 1] == '!')) {
                ++i;
                continue;
            }
            if (!(i > 0 && text[i - 1] == '$')) {
                onHit(ScanHit{ScanHit::Kind::Comment, i, n - i, nullptr});
                return;
            }
        }
        std::size_t j = i + 1;
        while (j < n && isWordByte(static_cast<unsigned char>(text[j])))
            ++j;
        const std::size_t length = j - i;
        if (length >= 2 && length <= 30) {
            auto it = commands.find(text.substr(i, length));
            if (it != commands.end() && !it->second.empty())
                onHit(ScanHit{ScanHit::Kind::Command, i, length, &it->second});
        }
        i = j;
    }
}
