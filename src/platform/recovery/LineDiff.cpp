#include "platform/recovery/LineDiff.h"

#include <algorithm>

namespace {

std::vector<std::string_view> Split(std::string_view text)
{
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const auto nl = text.find('\n');
        if (nl == std::string_view::npos) {
            lines.push_back(text);
            break;
        }
        lines.push_back(text.substr(0, nl));
        text.remove_prefix(nl + 1);
    }
    return lines;
}

} // namespace

std::vector<LineDiff::Line> LineDiff::Compare(std::string_view before, std::string_view after,
                                              std::size_t maxLines)
{
    const auto a = Split(before), b = Split(after);
    // The common start and end need no table.
    std::size_t head = 0;
    while (head < a.size() && head < b.size() && a[head] == b[head])
        ++head;
    std::size_t tail = 0;
    while (tail < a.size() - head && tail < b.size() - head &&
           a[a.size() - 1 - tail] == b[b.size() - 1 - tail])
        ++tail;
    const std::size_t n = a.size() - head - tail, m = b.size() - head - tail;

    std::vector<Line> out;
    for (std::size_t i = 0; i < head; ++i)
        out.push_back({Kind::Same, std::string(a[i])});
    if (n <= maxLines && m <= maxLines && n * m <= 4'000'000) {
        // Longest common subsequence of the middle lines.
        std::vector<std::vector<unsigned>> len(n + 1, std::vector<unsigned>(m + 1, 0));
        for (std::size_t i = n; i-- > 0;)
            for (std::size_t j = m; j-- > 0;)
                len[i][j] = a[head + i] == b[head + j] ? len[i + 1][j + 1] + 1
                                                       : std::max(len[i + 1][j], len[i][j + 1]);
        std::size_t i = 0, j = 0;
        while (i < n || j < m) {
            if (i < n && j < m && a[head + i] == b[head + j]) {
                out.push_back({Kind::Same, std::string(a[head + i])});
                ++i, ++j;
            } else if (j < m && (i == n || len[i][j + 1] > len[i + 1][j])) {
                out.push_back({Kind::Added, std::string(b[head + j++])});
            } else {
                out.push_back({Kind::Removed, std::string(a[head + i++])});
            }
        }
    } else {
        for (std::size_t i = 0; i < n; ++i)
            out.push_back({Kind::Removed, std::string(a[head + i])});
        for (std::size_t j = 0; j < m; ++j)
            out.push_back({Kind::Added, std::string(b[head + j])});
    }
    for (std::size_t i = a.size() - tail; i < a.size(); ++i)
        out.push_back({Kind::Same, std::string(a[i])});
    return out;
}

std::string LineDiff::Format(const std::vector<Line>& lines)
{
    std::string out;
    for (const Line& line : lines) {
        out += line.kind == Kind::Same ? "  " : line.kind == Kind::Removed ? "- " : "+ ";
        out += line.text;
        out += '\n';
    }
    return out;
}
