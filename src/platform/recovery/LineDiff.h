// The difference between two texts, line by line, as a list of kept, removed
// and added lines: what the previous-versions list shows between a kept
// version and the current text. Lines are split at "\n" (a "\r" before it
// stays part of the line), so the texts' bytes are compared as they are.
#pragma once

#include <string>
#include <string_view>
#include <vector>

struct LineDiff {
    enum class Kind { Same, Removed, Added };
    struct Line {
        Kind kind;
        std::string text;
    };

    // Old to new. Texts of more than maxLines lines each are compared only
    // where they differ at the ends, the middle shown as removed and added.
    static std::vector<Line> Compare(std::string_view before, std::string_view after,
                                     std::size_t maxLines = 20000);
    // "  " kept, "- " removed, "+ " added, one line each.
    static std::string Format(const std::vector<Line>& lines);
};
