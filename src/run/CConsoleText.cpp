#include "run/CConsoleText.h"

#include "platform/text/Sjis.h"

#include <utility>

std::string CConsoleText::Add(std::string_view bytes)
{
    std::string text = std::exchange(held_, {});
    text.append(bytes);
    // Hold back a lead byte whose second byte has not come yet, and a last
    // "\r" that may be the first half of a line break.
    std::size_t keep = text.size();
    for (std::size_t i = 0; i < text.size(); i += sjis::CharLength(text, i)) {
        if (i + 1 == text.size() && sjis::IsLeadByte(static_cast<unsigned char>(text[i])))
            keep = i;
    }
    if (keep == text.size() && keep > 0 && text[keep - 1] == '\r')
        --keep;
    held_ = text.substr(keep);
    text.resize(keep);

    std::string shown;
    shown.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\0')
            continue;
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            continue;
        shown += c;
    }
    return shown;
}

std::string CConsoleText::Finish()
{
    std::string rest = std::exchange(held_, {});
    std::erase(rest, '\0');
    return rest;
}
