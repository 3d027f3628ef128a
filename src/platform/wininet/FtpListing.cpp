#include "platform/wininet/FtpListing.h"

#include "platform/text/Sjis.h"

#include <array>
#include <cctype>

namespace ftplisting {
namespace {

struct Token {
    std::string_view text;
    std::size_t begin = 0;
    std::size_t end = 0;
};

std::vector<Token> Tokens(std::string_view line, std::size_t maxTokens)
{
    std::vector<Token> tokens;
    std::size_t i = 0;
    while (i < line.size() && tokens.size() < maxTokens) {
        while (i < line.size() && line[i] == ' ')
            ++i;
        if (i == line.size())
            break;
        std::size_t start = i;
        while (i < line.size() && line[i] != ' ')
            ++i;
        tokens.push_back({line.substr(start, i - start), start, i});
    }
    return tokens;
}

bool AllDigits(std::string_view s)
{
    if (s.empty())
        return false;
    for (char c : s)
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return false;
    return true;
}

std::optional<std::uint64_t> Number(std::string_view s)
{
    if (!AllDigits(s) || s.size() > 19)
        return std::nullopt;
    std::uint64_t v = 0;
    for (char c : s)
        v = v * 10 + static_cast<std::uint64_t>(c - '0');
    return v;
}

// Digits followed by one of the given suffixes (or none).
bool DigitsWithSuffix(std::string_view s, std::initializer_list<std::string_view> suffixes)
{
    for (std::string_view suffix : suffixes)
        if (s.size() > suffix.size() && s.ends_with(suffix) &&
            AllDigits(s.substr(0, s.size() - suffix.size())))
            return true;
    return AllDigits(s);
}

// "月" in UTF-8, EUC-JP and Shift-JIS; "日" and "年" likewise.
constexpr std::string_view kMonthKanji[] = {"\xE6\x9C\x88", "\xB7\xEE", "\x8C\x8E"};
constexpr std::string_view kDayKanji[] = {"\xE6\x97\xA5", "\xC6\xFC", "\x93\xFA"};
constexpr std::string_view kYearKanji[] = {"\xE5\xB9\xB4", "\xC7\xAF", "\x94\x4E"};

bool IsMonth(std::string_view s)
{
    static constexpr std::array<std::string_view, 12> names = {"jan", "feb", "mar", "apr", "may", "jun",
                                                               "jul", "aug", "sep", "oct", "nov", "dec"};
    if (s.size() == 3) {
        std::string lower;
        for (char c : s)
            lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        for (auto n : names)
            if (lower == n)
                return true;
    }
    for (auto kanji : kMonthKanji)
        if (s.size() > kanji.size() && s.ends_with(kanji) && AllDigits(s.substr(0, s.size() - kanji.size())))
            return true;
    return false;
}

bool IsDay(std::string_view s)
{
    return DigitsWithSuffix(s, {kDayKanji[0], kDayKanji[1], kDayKanji[2]}) && s.size() <= 5;
}

bool IsTimeOrYear(std::string_view s)
{
    if (s.size() == 5 && s[2] == ':' && AllDigits(s.substr(0, 2)) && AllDigits(s.substr(3)))
        return true;
    if (s.size() == 4 && s[1] == ':' && AllDigits(s.substr(0, 1)) && AllDigits(s.substr(2)))
        return true;
    return DigitsWithSuffix(s, {kYearKanji[0], kYearKanji[1], kYearKanji[2]}) && s.size() <= 7 &&
           s.size() >= 4;
}

bool IsIsoDate(std::string_view s)
{
    return s.size() == 10 && s[4] == '-' && s[7] == '-' && AllDigits(s.substr(0, 4)) &&
           AllDigits(s.substr(5, 2)) && AllDigits(s.substr(8, 2));
}

bool IsPermissions(std::string_view s)
{
    if (s.size() < 10)
        return false;
    if (std::string_view("-dlbcps").find(s[0]) == std::string_view::npos)
        return false;
    for (std::size_t i = 1; i < 10; ++i)
        if (std::string_view("rwxsStTl-").find(s[i]) == std::string_view::npos)
            return false;
    return true;
}

// The name is everything after the date's last column and one blank.
std::string NameAfter(std::string_view line, const Token& last)
{
    std::size_t at = last.end;
    if (at < line.size() && line[at] == ' ')
        ++at;
    return std::string(line.substr(at));
}

std::optional<FtpFindData> ParseUnix(std::string_view line)
{
    auto tokens = Tokens(line, 12);
    if (tokens.size() < 6 || !IsPermissions(tokens[0].text))
        return std::nullopt;
    char type = tokens[0].text[0];
    FtpFindData entry;
    entry.directory = type == 'd';
    // Find the date: "Mon DD HH:MM|YYYY" or "YYYY-MM-DD HH:MM"; the size is
    // the column before it.
    for (std::size_t i = 2; i + 1 < tokens.size(); ++i) {
        const Token* last = nullptr;
        if (i + 2 < tokens.size() && IsMonth(tokens[i].text) && IsDay(tokens[i + 1].text) &&
            IsTimeOrYear(tokens[i + 2].text))
            last = &tokens[i + 2];
        // "7月 20 10:00" puts day before month on a few servers: "20日 7月".
        else if (i + 2 < tokens.size() && IsDay(tokens[i].text) && IsMonth(tokens[i + 1].text) &&
                 IsTimeOrYear(tokens[i + 2].text))
            last = &tokens[i + 2];
        else if (IsIsoDate(tokens[i].text) && IsTimeOrYear(tokens[i + 1].text))
            last = &tokens[i + 1];
        if (!last)
            continue;
        auto size = Number(tokens[i - 1].text);
        if (!size)
            continue;
        entry.size = entry.directory ? 0 : *size;
        entry.name = NameAfter(line, *last);
        if (type == 'l') {
            auto arrow = entry.name.find(" -> ");
            if (arrow != std::string::npos)
                entry.name.resize(arrow);
        }
        if (entry.name.empty())
            return std::nullopt;
        return entry;
    }
    return std::nullopt;
}

// "12-07-26  10:00AM       <DIR>          name" or "... 1234 name".
std::optional<FtpFindData> ParseDos(std::string_view line)
{
    auto tokens = Tokens(line, 3);
    if (tokens.size() < 3)
        return std::nullopt;
    std::string_view date = tokens[0].text;
    bool dateOk = (date.size() == 8 || date.size() == 10) && date[2] == '-' && date[5] == '-' &&
                  AllDigits(date.substr(0, 2)) && AllDigits(date.substr(3, 2)) && AllDigits(date.substr(6));
    if (!dateOk)
        return std::nullopt;
    std::string_view time = tokens[1].text;
    if (time.size() < 4 || time.find(':') == std::string_view::npos)
        return std::nullopt;
    FtpFindData entry;
    if (tokens[2].text == "<DIR>")
        entry.directory = true;
    else if (auto size = Number(tokens[2].text))
        entry.size = *size;
    else
        return std::nullopt;
    std::size_t at = tokens[2].end;
    while (at < line.size() && line[at] == ' ')
        ++at;
    entry.name = std::string(line.substr(at));
    if (entry.name.empty())
        return std::nullopt;
    return entry;
}

std::string_view StripLineEnd(std::string_view line)
{
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n'))
        line.remove_suffix(1);
    return line;
}

template <typename Parse> std::vector<FtpFindData> ParseLines(std::string_view text, Parse parse)
{
    std::vector<FtpFindData> entries;
    while (!text.empty()) {
        auto nl = text.find('\n');
        std::string_view line = text.substr(0, nl);
        text = nl == std::string_view::npos ? std::string_view() : text.substr(nl + 1);
        if (auto entry = parse(StripLineEnd(line)))
            entries.push_back(std::move(*entry));
    }
    return entries;
}

} // namespace

std::optional<FtpFindData> ParseListLine(std::string_view line)
{
    line = StripLineEnd(line);
    if (auto entry = ParseUnix(line))
        return entry;
    return ParseDos(line);
}

std::optional<FtpFindData> ParseMlsdLine(std::string_view line)
{
    line = StripLineEnd(line);
    auto blank = line.find(' ');
    if (blank == std::string_view::npos || blank == 0)
        return std::nullopt;
    std::string_view facts = line.substr(0, blank);
    FtpFindData entry;
    entry.name = std::string(line.substr(blank + 1));
    bool typed = false;
    while (!facts.empty()) {
        auto semi = facts.find(';');
        std::string_view fact = facts.substr(0, semi);
        facts = semi == std::string_view::npos ? std::string_view() : facts.substr(semi + 1);
        auto eq = fact.find('=');
        if (eq == std::string_view::npos)
            continue;
        std::string key;
        for (char c : fact.substr(0, eq))
            key += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        std::string value;
        for (char c : fact.substr(eq + 1))
            value += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (key == "type") {
            typed = true;
            if (value == "cdir")
                entry.name = ".";
            else if (value == "pdir")
                entry.name = "..";
            entry.directory = value == "dir" || value == "cdir" || value == "pdir";
        } else if (key == "size") {
            if (auto size = Number(fact.substr(eq + 1)))
                entry.size = *size;
        }
    }
    if (!typed || entry.name.empty())
        return std::nullopt;
    if (entry.directory)
        entry.size = 0;
    return entry;
}

std::vector<FtpFindData> ParseList(std::string_view text)
{
    return ParseLines(text, [](std::string_view line) { return ParseListLine(line); });
}

std::vector<FtpFindData> ParseMlsd(std::string_view text)
{
    return ParseLines(text, [](std::string_view line) { return ParseMlsdLine(line); });
}

bool IsSafeEntryName(std::string_view name)
{
    if (name.empty() || name == "." || name == "..")
        return false;
    for (std::size_t i = 0; i < name.size();) {
        std::size_t len = sjis::CharLength(name, i);
        if (len == 1 && (name[i] == '/' || name[i] == '\\' || name[i] == '\0'))
            return false;
        i += len;
    }
    return true;
}

} // namespace ftplisting
