// Finding text in the rich-edit control's document by byte positions.
#pragma once

#include "platform/base/WinTypes.h"

#include <string_view>

class ByteIndex;
class QTextDocument;

// FR_* flags of FindText.
inline constexpr DWORD FR_DOWN = 0x1;
inline constexpr DWORD FR_WHOLEWORD = 0x2;
inline constexpr DWORD FR_MATCHCASE = 0x4;

class TextFinder {
public:
    // The index must follow the document.
    TextFinder(const QTextDocument* document, const ByteIndex& index);

    // With FR_DOWN: the position of the first match lying in [from, to) (to
    // -1: the end). Without: the last match lying in [to, from) (to -1 or
    // beyond from: the start). -1 when there is none. Line breaks in the text
    // are written "\r" (or "\r\n", "\n"); FR_MATCHCASE compares case,
    // FR_WHOLEWORD wants no letter, digit or "_" on either side.
    long Find(DWORD flags, long from, long to, std::string_view text) const;

private:
    const QTextDocument* document_;
    const ByteIndex& index_;
};
