#include "run/CCheckMessage.h"

#include <algorithm>
#include <climits>
#include <utility>

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

} // namespace

short CCheckMessage::GetLineNumber(std::string_view text)
{
    const std::size_t at = text.find("line ");
    if (at == std::string_view::npos)
        return -1;
    // The digits after "line ", blanks among them skipped, read as a
    // decimal number that stops growing at the largest int (as the C
    // library's reading of an overlong number does), then kept in 16 bits.
    long long value = 0;
    for (std::size_t i = at + 5; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9')
            value = std::min<long long>(value * 10 + (c - '0'), INT_MAX);
        else if (!IsBlank(c))
            break;
    }
    return static_cast<short>(static_cast<unsigned short>(value & 0xFFFF));
}

std::string CCheckOutputFilter::Add(std::string_view bytes)
{
    pending_.append(bytes);
    const std::size_t lastBreak = pending_.rfind('\n');
    if (lastBreak == std::string::npos)
        return {};
    std::string lines = pending_.substr(0, lastBreak + 1);
    pending_.erase(0, lastBreak + 1);
    return Strip(std::move(lines));
}

std::string CCheckOutputFilter::Finish()
{
    return Strip(std::exchange(pending_, {}));
}

std::string CCheckOutputFilter::Strip(std::string text) const
{
    if (runPath_.empty())
        return text;
    for (std::size_t at = text.find(runPath_); at != std::string::npos; at = text.find(runPath_, at))
        text.erase(at, runPath_.size());
    return text;
}
