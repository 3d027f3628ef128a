#include "editor/CColorStreamBuilder.h"

#include "platform/text/HexDigit.h"
#include "platform/text/Sjis.h"

#include <vector>

namespace {

void AppendHexEscape(std::string& out, char c)
{
    const auto byte = static_cast<unsigned char>(c);
    out += "\\'";
    out += HexDigitChar(byte >> 4);
    out += HexDigitChar(byte & 0xF);
}

// Writes the double-byte character at text[at] as two escapes and returns
// where the next character starts. A lead byte that no trail byte follows
// (one that ends the text, or stands before a space or a fragment) is written
// alone, so that it never takes the next byte of the stream with it.
std::size_t AppendEscapedCharacter(std::string& out, std::string_view text, std::size_t at)
{
    const std::size_t length = sjis::CharLength(text, at);
    for (std::size_t k = 0; k < length; ++k)
        AppendHexEscape(out, text[at + k]);
    return at + length;
}

bool IsLead(char c)
{
    return sjis::IsLeadByte(static_cast<unsigned char>(c));
}

void AppendColor(std::string& out, COLORREF color)
{
    out += "\\red" + std::to_string(GetRValue(color)) + "\\green" + std::to_string(GetGValue(color)) +
           "\\blue" + std::to_string(GetBValue(color)) + ";";
}

} // namespace

CColorStreamBuilder::CColorStreamBuilder(const ColorStreamFont& font, const CommandTable& commands)
    : font_(font), commands_(commands)
{
}

void CColorStreamBuilder::AppendEscapedFace(std::string& out, std::string_view face)
{
    for (std::size_t i = 0; i < face.size();) {
        if (IsLead(face[i]))
            i = AppendEscapedCharacter(out, face, i);
        else
            out += face[i++];
    }
}

void CColorStreamBuilder::AppendHeader()
{
    stream_ += "{\\rtf1\\ansi\\ansicpg932\\deff0\\deflang1033\\deflangfe1041";
    stream_ += "{\\fonttbl";
    stream_ += "{\\f0\\fnil\\fprq2\\fcharset" + std::to_string(font_.charSet) + " ";
    AppendEscapedFace(stream_, font_.face);
    stream_ += ";}";
    stream_ +=
        "{\\f1\\froman\\fprq1\\fcharset128 \\'82\\'6c\\'82\\'72 \\'83\\'53\\'83\\'56\\'83\\'62\\'83\\'4e;}";
    stream_ += "}";
    stream_ += "{\n\\colortbl ;";
    AppendColor(stream_, font_.commentColor);
    AppendColor(stream_, font_.commandColor);
    stream_ += "}\\par";
    stream_ += "\\viewkind4\\uc1\\pard\\lang1041\\f0\\fs" + std::to_string(font_.halfPoints) + " \\par";
}

void CColorStreamBuilder::MarkLine(std::string_view line)
{
    marked_.clear();
    // Where the fragments go, found on the script's own bytes.
    struct Mark {
        std::size_t at;
        const char* text;
    };
    std::vector<Mark> marks;
    bool comment = false;
    if (!CWordScanner::IsShebang(line)) {
        CWordScanner::Scan(line, commands_, [&](const ScanHit& hit) {
            if (hit.kind == ScanHit::Kind::Comment) {
                marks.push_back({hit.offset, " \\cf1 "});
                comment = true;
            } else {
                marks.push_back({hit.offset, " \\cf2 "});
                marks.push_back({hit.offset + hit.length, " \\cf0"});
            }
        });
    }
    std::size_t next = 0;
    bool trail = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        // A fragment never goes between a lead byte and its trail byte (the
        // scanner may start a word at a trail byte such as "@"): it waits
        // until the character is whole.
        while (!trail && next < marks.size() && marks[next].at <= i)
            marked_ += marks[next++].text;
        const char c = line[i];
        if (trail) {
            trail = false;
            marked_ += c;
        } else if (sjis::CharLength(line, i) == 2) {
            trail = true;
            marked_ += c;
        } else if (c == '{') {
            marked_ += "\\{";
        } else if (c == '}') {
            marked_ += "\\}";
        } else if (c == '\\') {
            marked_ += "\\\\";
        } else {
            marked_ += c;
        }
    }
    while (next < marks.size())
        marked_ += marks[next++].text;
    if (comment)
        marked_ += " \\cf0 ";
}

void CColorStreamBuilder::AppendDoubleByteConverted(std::string_view marked, Paragraph paragraph)
{
    // A raw line break in the stream is the stream's own and every reader
    // drops it: in a plain-text line it is escaped so the byte reaches the
    // control (a re-coloured line's own CR and LF are meant to be dropped).
    // It is escaped only here, after the double-byte characters are found,
    // so that a lead byte before it never takes the escape's backslash for
    // its trail byte.
    const bool escapeBreaks = paragraph == Paragraph::PlainText;
    const std::size_t n = marked.size();
    std::size_t i = 0;
    while (i < n) {
        std::size_t plain = i;
        while (plain < n && !IsLead(marked[plain]))
            ++plain;
        for (; i < plain; ++i) {
            if (escapeBreaks && (marked[i] == '\r' || marked[i] == '\n'))
                AppendHexEscape(stream_, marked[i]);
            else
                stream_ += marked[i];
        }
        if (i >= n)
            break;
        stream_ += "\\f1 ";
        while (i < n && IsLead(marked[i]))
            i = AppendEscapedCharacter(stream_, marked, i);
        if (i < n)
            stream_ += " \\f0 ";
    }
}

void CColorStreamBuilder::AppendLine(std::string_view line, Paragraph paragraph)
{
    MarkLine(line);
    AppendDoubleByteConverted(marked_, paragraph);
    // No CR LF pair is ever left inside a line: a plain-text line ends at its
    // LF, and a re-coloured document's line ends at its CR with the LF
    // starting the next line.
    stream_ += paragraph == Paragraph::PlainText ? " \\par " : "\\par";
}
