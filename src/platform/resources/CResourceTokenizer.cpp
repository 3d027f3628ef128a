#include "platform/resources/CResourceTokenizer.h"

#include "platform/resources/CResourceScript.h"
#include "platform/text/HexDigit.h"

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <limits>

namespace {

// The length of the well-formed UTF-8 character at text[at], 0 if there is
// none: no overlong forms, no surrogates, nothing past U+10FFFF.
std::size_t Utf8Length(std::string_view text, std::size_t at)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    if (lead < 0x80)
        return 1;
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF; // the range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            low = 0xA0;
        if (lead == 0xED)
            high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            low = 0x90;
        if (lead == 0xF4)
            high = 0x8F;
    } else {
        return 0;
    }
    if (at + length > text.size() || byte(at + 1) < low || byte(at + 1) > high)
        return 0;
    for (std::size_t i = 2; i < length; ++i)
        if (byte(at + i) < 0x80 || byte(at + i) > 0xBF)
            return 0;
    return length;
}

bool IsWordStart(char c)
{
    return std::isalpha(static_cast<unsigned char>(c)) || c == '_';
}

bool IsWordChar(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

} // namespace

std::vector<CResourceTokenizer::Token> CResourceTokenizer::Tokenize(std::string_view text,
                                                                    std::string_view name)
{
    CResourceTokenizer tokenizer(text, name);
    tokenizer.Run();
    return std::move(tokenizer.tokens_);
}

void CResourceTokenizer::FailAt(int line, const std::string& message) const
{
    throw CResourceScript::Error(name_, line, message);
}

void CResourceTokenizer::Run()
{
    int line = 1;
    std::size_t at = 0;
    if (text_.substr(0, 3) == "\xEF\xBB\xBF")
        at = 3;
    while (at < text_.size()) {
        const char c = text_[at];
        if (c == '\n') {
            ++line;
            ++at;
        } else if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v') {
            ++at;
        } else if (text_.substr(at, 2) == "//") {
            lastLine_ = line;
            while (at < text_.size() && text_[at] != '\n')
                ++at;
        } else if (text_.substr(at, 2) == "/*") {
            const int start = line;
            const std::size_t end = text_.find("*/", at + 2);
            if (end == std::string_view::npos)
                FailAt(start, "expected \"*/\" to end the comment, found the end of the script");
            line += int(
                std::count(text_.begin() + std::ptrdiff_t(at), text_.begin() + std::ptrdiff_t(end), '\n'));
            at = end + 2;
            lastLine_ = line;
        } else if (c == '"') {
            at = ReadString(at, line);
        } else if (std::isdigit(static_cast<unsigned char>(c)) ||
                   (c == '-' && at + 1 < text_.size() &&
                    std::isdigit(static_cast<unsigned char>(text_[at + 1])))) {
            at = ReadNumber(at, line);
        } else if (IsWordStart(c)) {
            const std::size_t end = WordEnd(at);
            tokens_.push_back({Token::Type::Word, std::string(text_.substr(at, end - at)), 0, line});
            at = end;
        } else if (c == '{' || c == '}') {
            tokens_.push_back({Token::Type::Word, c == '{' ? "BEGIN" : "END", 0, line});
            ++at;
        } else if (c == ',' || c == '|') {
            tokens_.push_back({c == ',' ? Token::Type::Comma : Token::Type::Bar, std::string(1, c), 0, line});
            ++at;
        } else {
            const std::size_t length = Utf8CharAt(at, line);
            FailAt(line, "unexpected character '" + std::string(text_.substr(at, length)) + "'");
        }
    }
    // The end of the script is told at its last line with text.
    if (!tokens_.empty())
        lastLine_ = std::max(lastLine_, tokens_.back().line);
    tokens_.push_back({Token::Type::End, {}, 0, lastLine_});
}

std::size_t CResourceTokenizer::WordEnd(std::size_t at) const
{
    while (at < text_.size() && IsWordChar(text_[at]))
        ++at;
    return at;
}

std::size_t CResourceTokenizer::Utf8CharAt(std::size_t at, int line) const
{
    const std::size_t length = Utf8Length(text_, at);
    if (length == 0)
        FailAt(line, "expected UTF-8 text, found a byte that is not UTF-8");
    return length;
}

std::size_t CResourceTokenizer::ReadString(std::size_t at, int line)
{
    std::string value;
    ++at;
    while (true) {
        if (at >= text_.size() || text_[at] == '\n')
            FailAt(line, "expected '\"' to end the string, found the end of the line");
        const char c = text_[at];
        if (c == '"') {
            // A doubled quote is a quote of the text.
            if (at + 1 < text_.size() && text_[at + 1] == '"') {
                value += '"';
                at += 2;
                continue;
            }
            ++at;
            break;
        }
        if (c == '\\') {
            const char escaped = at + 1 < text_.size() ? text_[at + 1] : '\0';
            switch (escaped) {
            case 'n': value += '\n'; break;
            case 't': value += '\t'; break;
            case 'r': value += '\r'; break;
            case '\\': value += '\\'; break;
            case '"': value += '"'; break;
            default:
                FailAt(line,
                       std::string("expected one of \\n \\t \\r \\\\ \\\" in a string, found \\") +
                           (escaped == '\n' || escaped == '\0' ? std::string() : std::string(1, escaped)));
            }
            at += 2;
            continue;
        }
        const std::size_t length = Utf8CharAt(at, line);
        value.append(text_.substr(at, length));
        at += length;
    }
    tokens_.push_back({Token::Type::String, std::move(value), 0, line});
    return at;
}

std::size_t CResourceTokenizer::ReadNumber(std::size_t at, int line)
{
    const std::size_t start = at;
    const bool negative = text_[at] == '-';
    if (negative)
        ++at;
    int base = 10;
    if (text_.substr(at, 2) == "0x" || text_.substr(at, 2) == "0X") {
        base = 16;
        at += 2;
    }
    long long value = 0;
    std::size_t digits = 0;
    for (; at < text_.size(); ++at, ++digits) {
        const int digit = HexDigitValue(text_[at]);
        if (digit < 0 || digit >= base)
            break;
        value = value * base + digit;
        if (value > std::numeric_limits<UINT>::max())
            FailAt(line, "number " + std::string(text_.substr(start, at + 1 - start)) + "... is too large");
    }
    // The long and unsigned suffixes of C.
    while (at < text_.size() &&
           (text_[at] == 'L' || text_[at] == 'l' || text_[at] == 'U' || text_[at] == 'u'))
        ++at;
    if (digits == 0 || WordEnd(at) != at)
        FailAt(line, "expected a number, found " + std::string(text_.substr(start, WordEnd(at) - start)));
    tokens_.push_back(
        {Token::Type::Number, std::string(text_.substr(start, at - start)), negative ? -value : value, line});
    return at;
}
