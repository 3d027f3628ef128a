#include "platform/rtf/RtfWriter.h"

#include "platform/rtf/RtfReader.h"
#include "platform/text/HexDigit.h"
#include "platform/text/Sjis.h"

#include <QString>
#include <algorithm>
#include <string_view>
#include <vector>

namespace {

constexpr int kDocumentCodePage = 932;
constexpr int kMaxHalfPoints = 32767;

void AppendHex(std::string& out, unsigned char b)
{
    out += "\\'";
    out += HexDigitChar(b >> 4);
    out += HexDigitChar(b & 0xF);
}

// Appends text with the escapes RTF needs. In a font table name (name) a ";"
// would end the name, so it is escaped too, and there are no line breaks or
// tabs to write. needDelimiter is set after a control word, so that a letter,
// digit or space following it is separated by the delimiting space.
void AppendText(std::string& out, std::string_view text, int codePage, bool name, bool& needDelimiter)
{
    for (std::size_t i = 0; i < text.size();) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (!name && (c == '\n' || c == '\r')) {
            i += (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ? 2 : 1;
            out += "\\par\r\n";
            needDelimiter = false;
            continue;
        }
        if (!name && c == '\t') {
            out += "\\tab";
            needDelimiter = true;
            ++i;
            continue;
        }
        if (c == '\\' || c == '{' || c == '}') {
            out += '\\';
            out += char(c);
            needDelimiter = false;
            ++i;
            continue;
        }
        if (c < 0x20 || c == 0x7F || (name && c == ';')) {
            AppendHex(out, c);
            needDelimiter = false;
            ++i;
            continue;
        }
        if (c < 0x80) {
            if (needDelimiter)
                out += ' ';
            out += char(c);
            needDelimiter = false;
            ++i;
            continue;
        }
        needDelimiter = false;
        if (codePage == kDocumentCodePage) {
            std::size_t n = sjis::CharLength(text, i);
            for (std::size_t k = 0; k < n; ++k)
                AppendHex(out, static_cast<unsigned char>(text[i + k]));
            i += n;
            continue;
        }
        // A font in another code page: the stretch of non-ASCII characters
        // goes as Unicode, each with "?" for readers that skip \u.
        std::size_t end = i;
        while (end < text.size() && static_cast<unsigned char>(text[end]) >= 0x80)
            end += sjis::CharLength(text, end);
        end = std::min(end, text.size());
        QString unicode = sjis::ToUnicode(text.substr(i, end - i));
        for (QChar ch : unicode) {
            int unit = ch.unicode();
            out += "\\u" + std::to_string(unit > 0x7FFF ? unit - 0x10000 : unit) + "?";
        }
        i = end;
    }
}

struct Font {
    std::string face;
    int charSet;
    bool operator==(const Font&) const = default;
};

struct State {
    std::size_t font = 0;
    int halfPoints = 0;
    std::size_t color = 0; // colour table index; 0 is automatic
    bool bold = false;
    bool italic = false;
};

void AppendWord(std::string& out, const char* word, long long param, bool& needDelimiter)
{
    out += word;
    out += std::to_string(param);
    needDelimiter = true;
}

} // namespace

std::string RtfWriter::Write(const RtfRuns& runs, const std::string& defaultFace, int defaultHalfPoints)
{
    std::vector<Font> fonts{{defaultFace, 1}};
    std::vector<COLORREF> colors;
    std::vector<State> states;
    states.reserve(runs.size());
    for (const RtfRun& run : runs) {
        Font font{run.face.empty() ? defaultFace : run.face, run.charSet};
        auto f = std::find(fonts.begin(), fonts.end(), font);
        if (f == fonts.end())
            f = fonts.insert(fonts.end(), font);
        State state;
        state.font = std::size_t(f - fonts.begin());
        int size = run.halfPoints > 0 ? run.halfPoints : defaultHalfPoints;
        state.halfPoints = std::clamp(size, 0, kMaxHalfPoints);
        if (run.hasColor) {
            COLORREF color = run.color & 0xFFFFFF;
            auto c = std::find(colors.begin(), colors.end(), color);
            if (c == colors.end())
                c = colors.insert(colors.end(), color);
            state.color = std::size_t(c - colors.begin()) + 1;
        }
        state.bold = run.bold;
        state.italic = run.italic;
        states.push_back(state);
    }

    std::string out = "{\\rtf1\\ansi\\ansicpg932\\deff0\\uc1{\\fonttbl";
    bool needDelimiter = false;
    for (std::size_t i = 0; i < fonts.size(); ++i) {
        out += "{\\f" + std::to_string(i) + "\\fnil\\fcharset" + std::to_string(fonts[i].charSet) + " ";
        needDelimiter = false;
        AppendText(out, fonts[i].face, RtfReader::CodePageOfCharSet(fonts[i].charSet, kDocumentCodePage),
                   true, needDelimiter);
        out += ";}";
    }
    out += "}{\\colortbl ;";
    for (COLORREF c : colors)
        out += "\\red" + std::to_string(GetRValue(c)) + "\\green" + std::to_string(GetGValue(c)) + "\\blue" +
               std::to_string(GetBValue(c)) + ";";
    out += "}\r\n\\pard\\plain";
    needDelimiter = true;

    State current; // as \plain leaves it
    for (std::size_t r = 0; r < runs.size(); ++r) {
        const RtfRun& run = runs[r];
        if (run.text.empty())
            continue;
        const State& want = states[r];
        // Only \plain takes the size back to the reader's default.
        if (want.halfPoints == 0 && current.halfPoints != 0) {
            out += "\\plain";
            current = State{};
            needDelimiter = true;
        }
        if (want.font != current.font)
            AppendWord(out, "\\f", static_cast<long long>(want.font), needDelimiter);
        if (want.halfPoints != current.halfPoints)
            AppendWord(out, "\\fs", want.halfPoints, needDelimiter);
        if (want.color != current.color)
            AppendWord(out, "\\cf", static_cast<long long>(want.color), needDelimiter);
        if (want.bold != current.bold) {
            out += want.bold ? "\\b" : "\\b0";
            needDelimiter = true;
        }
        if (want.italic != current.italic) {
            out += want.italic ? "\\i" : "\\i0";
            needDelimiter = true;
        }
        current = want;
        const Font& font = fonts[want.font];
        AppendText(out, run.text, RtfReader::CodePageOfCharSet(font.charSet, kDocumentCodePage), false,
                   needDelimiter);
    }
    out += "}";
    return out;
}
