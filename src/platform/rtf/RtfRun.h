// A stretch of text with one character format, as RTF streams carry it into
// the rich-edit control and out of it.
#pragma once

#include "platform/base/WinTypes.h"

#include <string>
#include <vector>

struct RtfRun {
    std::string text;      // code page 932 bytes; "\n" ends a paragraph
    COLORREF color = 0;    // 0x00BBGGRR; meaningful when hasColor
    bool hasColor = false; // false: the control's default (automatic) colour
    std::string face;      // code page 932; empty: the control's default face
    BYTE charSet = 1;
    int halfPoints = 0; // font size in half-points; 0: the control's default
    bool bold = false;
    bool italic = false;

    // Whether the two runs show their text alike: every attribute but the
    // text equal, the colour only when there is one.
    bool SameFormat(const RtfRun& other) const
    {
        return hasColor == other.hasColor && (!hasColor || color == other.color) && face == other.face &&
               charSet == other.charSet && halfPoints == other.halfPoints && bold == other.bold &&
               italic == other.italic;
    }
};

using RtfRuns = std::vector<RtfRun>;
