#include "editor/CVersionHistory.h"

#include "editor/CSyntaxColorizer.h"
#include "platform/rtf/RtfReader.h"
#include "platform/text/Nkf.h"
#include "platform/text/Sjis.h"

#include <cstdio>
#include <ctime>

namespace {

// Line breaks of any kind as "\n".
std::string PlainBreaks(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            out += '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

bool IsRtf(std::string_view bytes)
{
    return bytes.substr(0, bytes.find('\n')).find("{\\rtf") != std::string_view::npos;
}

} // namespace

CVersionHistory::CVersionHistory(const VersionStore& store, const std::string& path)
{
    for (const VersionStore::Version& version : store.List(path))
        entries_.push_back({version, FormatTime(version.time), FormatSize(version.size)});
}

std::string CVersionHistory::Readable(std::string_view bytes)
{
    if (IsRtf(bytes)) {
        std::string text;
        for (const RtfRun& run : RtfReader::Read(bytes))
            text += run.text;
        return PlainBreaks(text);
    }
    // Converted the way the editor converts a file it opens.
    if (CSyntaxColorizer::NeedsConversion(bytes))
        return PlainBreaks(NkfConvertFrom(bytes, NkfDetect(bytes), NkfCode::ShiftJis));
    return PlainBreaks(bytes);
}

std::optional<std::string> CVersionHistory::TextOf(std::size_t index) const
{
    std::string bytes;
    if (index >= entries_.size() || !VersionStore::Read(entries_[index].version, bytes))
        return std::nullopt;
    return Readable(bytes);
}

std::optional<std::vector<CVersionHistory::Row>> CVersionHistory::Compare(std::size_t index,
                                                                          std::string_view current) const
{
    const std::optional<std::string> before = TextOf(index);
    if (!before)
        return std::nullopt;
    std::vector<Row> rows;
    int oldLine = 0, newLine = 0;
    for (LineDiff::Line& line : LineDiff::Compare(*before, PlainBreaks(current))) {
        Row row;
        row.kind = line.kind;
        if (line.kind != LineDiff::Kind::Added)
            row.oldLine = ++oldLine;
        if (line.kind != LineDiff::Kind::Removed)
            row.newLine = ++newLine;
        row.text = std::move(line.text);
        rows.push_back(std::move(row));
    }
    return rows;
}

std::string CVersionHistory::Format(const std::vector<Row>& rows)
{
    std::string out;
    for (const Row& row : rows) {
        char numbers[32];
        auto number = [](int n) { return n ? std::to_string(n) : std::string(); };
        std::snprintf(numbers, sizeof numbers, "%5s %5s %c ", number(row.oldLine).c_str(),
                      number(row.newLine).c_str(),
                      row.kind == LineDiff::Kind::Removed ? '-'
                      : row.kind == LineDiff::Kind::Added ? '+'
                                                          : ' ');
        out += numbers;
        out += row.text;
        out += '\n';
    }
    return out;
}

std::string CVersionHistory::FormatTime(std::int64_t nanoseconds)
{
    const std::time_t seconds = std::time_t(nanoseconds / 1000000000);
    std::tm local{};
    ::localtime_r(&seconds, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y/%m/%d %H:%M:%S", &local);
    return text;
}

std::string CVersionHistory::FormatSize(std::int64_t bytes)
{
    std::string digits = std::to_string(bytes < 0 ? 0 : bytes);
    for (int at = int(digits.size()) - 3; at > 0; at -= 3)
        digits.insert(std::size_t(at), ",");
    return digits + sjis::FromUtf8(" バイト");
}
