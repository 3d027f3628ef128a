// Builds the coloured RTF stream of a whole script: a fixed header with the
// editor font, the Japanese font and the two colours, then each line with
// fragments that switch the colour around command words and comments and the
// font around runs of double-byte characters.
//
// The fragments are written exactly as the editor has always written them;
// the additions are that every backslash of the script is doubled, so that
// "\n" or "\$" in a script is never taken for RTF, and that a carriage return
// (or line feed) inside a line of a plain-text file is written as an escape
// (\'0d), because every RTF reader drops the raw byte as the stream's own line
// break (a re-coloured document's lines end in their CR, and the LF starts
// the next line: those are dropped on purpose). The control
// shows the escaped CR as a line break, as it shows the lone CRs of a file it
// opens. The scanner still sees the script's own bytes, so words and comments
// are found exactly where they would be without the doubling.
// CColorStreamReader reads these streams back.
#pragma once

#include "editor/CWordScanner.h"
#include "platform/base/WinTypes.h"

#include <string>
#include <string_view>

struct ColorStreamFont {
    std::string face; // code page 932
    int halfPoints = 12;
    BYTE charSet = 0;
    COLORREF commentColor = 0x0000FF00;
    COLORREF commandColor = 0x00FF0000;
};

class CColorStreamBuilder {
public:
    enum class Paragraph { PlainText, Recolored };

    CColorStreamBuilder(const ColorStreamFont& font, const CommandTable& commands);

    void Reserve(std::size_t bytes) { stream_.reserve(bytes); }
    // Items 1 to 10: everything before the first line.
    void AppendHeader();
    // One line of the script, then its paragraph fragment (" \par " for a
    // plain-text file, "\par" for a re-coloured document).
    void AppendLine(std::string_view line, Paragraph paragraph);
    void AppendEnd() { stream_ += '}'; }

    const std::string& Stream() const { return stream_; }
    std::string Take() { return std::move(stream_); }

    // The header's face name with double-byte characters as hexadecimal escapes.
    static void AppendEscapedFace(std::string& out, std::string_view face);

private:
    // Braces escaped, backslashes doubled (trail bytes left alone), command
    // and comment fragments inserted.
    void MarkLine(std::string_view line);
    // Double-byte characters as "\'hh" escapes between font switches, and
    // in a plain-text line CR and LF as escapes.
    void AppendDoubleByteConverted(std::string_view marked, Paragraph paragraph);

    ColorStreamFont font_;
    const CommandTable& commands_;
    std::string stream_;
    std::string marked_;
};
