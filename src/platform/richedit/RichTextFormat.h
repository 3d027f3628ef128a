// Character formats of the rich-edit control: the format flags the program
// passes, and the mapping between them, RTF runs and Qt's own text formats.
#pragma once

#include "platform/base/WinTypes.h"
#include "platform/rtf/RtfRun.h"

#include <QColor>
#include <QTextCharFormat>
#include <string>

// Character format masks and flags, with the values the design uses.
inline constexpr DWORD CFM_BOLD = 0x00000001;
inline constexpr DWORD CFM_ITALIC = 0x00000002;
inline constexpr DWORD CFM_SIZE = 0x80000000;
inline constexpr DWORD CFM_COLOR = 0x40000000;
inline constexpr DWORD CFM_FACE = 0x20000000;
inline constexpr DWORD CFM_CHARSET = 0x08000000;
inline constexpr DWORD CFE_BOLD = 0x0001;
inline constexpr DWORD CFE_ITALIC = 0x0002;
inline constexpr DWORD CFE_AUTOCOLOR = 0x40000000;

struct CharFormat {
    DWORD mask = 0;
    DWORD effects = 0;
    LONG heightTwips = 0;
    COLORREF color = 0;
    BYTE charSet = 1;
    std::string face; // code page 932
};

class RichTextFormat {
public:
    // The character set of a stretch of text, kept in its format because Qt
    // has no such attribute.
    static constexpr int kCharSetProperty = QTextFormat::UserProperty + 0x4B58;

    static COLORREF ToColorRef(const QColor& c);
    static QColor ToQColor(COLORREF c);
    // Automatic colour is either no foreground at all or an empty brush,
    // which the painter draws in the palette's text colour; SetCharFormat
    // uses the latter because merging a format can add properties but not
    // remove them.
    static bool HasColor(const QTextCharFormat& f);
    // The format of a run's attributes.
    static QTextCharFormat FromRun(const RtfRun& run);
    // A run with the format's own attributes and no text.
    static RtfRun ToRun(const QTextCharFormat& f);
    // The attributes a CharFormat's mask names, as a format to merge.
    static QTextCharFormat FromMasked(const CharFormat& format);
};
