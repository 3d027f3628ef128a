#include "editor/CColorStreamReader.h"
#include "platform/text/HexDigit.h"

#include <charconv>

namespace {

constexpr std::string_view kHeadStart =
    "{\\rtf1\\ansi\\ansicpg932\\deff0\\deflang1033\\deflangfe1041{\\fonttbl{\\f0\\fnil\\fprq2\\fcharset";
constexpr std::string_view kJapaneseFontEntry =
    "{\\f1\\froman\\fprq1\\fcharset128 \\'82\\'6c\\'82\\'72 \\'83\\'53\\'83\\'56\\'83\\'62\\'83\\'4e;}}";
constexpr std::string_view kColorTableStart = "{\n\\colortbl ;";
constexpr std::string_view kViewStart = "}\\par\\viewkind4\\uc1\\pard\\lang1041\\f0\\fs";
// "ＭＳ ゴシック", the face of the double-byte runs.
constexpr std::string_view kJapaneseFace = "\x82\x6c\x82\x72\x20\x83\x53\x83\x56\x83\x62\x83\x4e";

// The byte the escape \'hh at s[at] stands for; -1 when the escape runs
// past end or is no such escape.
int EscapedByte(std::string_view s, std::size_t at, std::size_t end)
{
    if (at + 3 > end || s[at + 1] != '\'')
        return -1;
    const int hi = HexDigitValue(s[at + 2]), lo = HexDigitValue(s[at + 3]);
    return hi < 0 || lo < 0 ? -1 : hi * 16 + lo;
}

// A small cursor over the stream that fails softly.
struct Cursor {
    std::string_view s;
    std::size_t p = 0;

    bool Take(std::string_view expected)
    {
        if (s.substr(p, expected.size()) != expected)
            return false;
        p += expected.size();
        return true;
    }
    bool Number(int& value)
    {
        auto [end, ec] = std::from_chars(s.data() + p, s.data() + s.size(), value);
        if (ec != std::errc())
            return false;
        p = std::size_t(end - s.data());
        return true;
    }
    bool Color(COLORREF& color)
    {
        int r = 0, g = 0, b = 0;
        if (!(Take("\\red") && Number(r) && Take("\\green") && Number(g) && Take("\\blue") && Number(b) &&
              Take(";")))
            return false;
        if (r < 0 || r > 255 || g < 0 || g > 255 || b < 0 || b > 255)
            return false;
        color = RGB(BYTE(r), BYTE(g), BYTE(b));
        return true;
    }
};

struct Header {
    std::string face;
    BYTE charSet = 0;
    COLORREF colors[3] = {0, 0, 0};
    int halfPoints = 0;
    std::size_t bodyStart = 0;
};

std::optional<Header> ReadHeader(std::string_view stream)
{
    Cursor c{stream};
    Header h;
    int charSet = 0;
    if (!c.Take(kHeadStart) || !c.Number(charSet) || charSet < 0 || charSet > 255 || !c.Take(" "))
        return std::nullopt;
    h.charSet = BYTE(charSet);
    std::size_t faceEnd = stream.find(";}", c.p);
    if (faceEnd == std::string_view::npos)
        return std::nullopt;
    for (std::size_t i = c.p; i < faceEnd;) {
        if (stream[i] == '\\') {
            const int byte = EscapedByte(stream, i, faceEnd);
            if (byte < 0)
                return std::nullopt;
            h.face += char(byte);
            i += 4;
        } else {
            h.face += stream[i++];
        }
    }
    c.p = faceEnd + 2;
    if (!c.Take(kJapaneseFontEntry) || !c.Take(kColorTableStart) || !c.Color(h.colors[1]) ||
        !c.Color(h.colors[2]) || !c.Take(kViewStart) || !c.Number(h.halfPoints) || !c.Take(" \\par"))
        return std::nullopt;
    h.bodyStart = c.p;
    return h;
}

enum class Mode { PlainText, Recolored };

class BodyReader {
public:
    BodyReader(const Header& header, Mode mode) : header_(header), mode_(mode) {}

    std::optional<RtfRuns> Read(std::string_view s)
    {
        if (s.empty() || s.back() != '}')
            return std::nullopt;
        const std::size_t end = s.size() - 1;
        std::size_t p = header_.bodyStart;
        auto at = [&](std::string_view fragment) { return s.substr(p, fragment.size()) == fragment; };
        while (p < end) {
            const char c = s[p];
            if (c != '\r' && c != '\n')
                endedWithParagraph_ = false; // a paragraph mark sets it again
            if (c == '\\') {
                if (p + 1 >= end)
                    return std::nullopt;
                const char n = s[p + 1];
                if (n == '\\' || n == '{' || n == '}') {
                    text_ += n;
                    p += 2;
                } else if (n == '\'') {
                    const int byte = EscapedByte(s, p, end);
                    if (byte < 0)
                        return std::nullopt;
                    text_ += char(byte);
                    p += 4;
                } else if (at("\\f1 ")) {
                    SetFont(1);
                    p += 4;
                } else if (mode_ == Mode::Recolored && at("\\par")) {
                    Paragraph();
                    p += 4;
                } else {
                    return std::nullopt;
                }
            } else if (c == ' ' && p + 2 < end && s[p + 1] == '\\' && s[p + 2] != '\\') {
                if (color_ == 0 && at(" \\cf2 ")) {
                    SetColor(2);
                    p += 6;
                } else if (color_ == 2 && at(" \\cf0")) {
                    SetColor(0);
                    p += 5;
                } else if (color_ == 0 && at(" \\cf1 ")) {
                    SetColor(1);
                    p += 6;
                } else if (color_ == 1 && at(" \\cf0 ")) {
                    SetColor(0);
                    p += 6;
                } else if (at(" \\f0 ")) {
                    SetFont(0);
                    p += 5;
                } else if (mode_ == Mode::PlainText && color_ == 0 && at(" \\par ")) {
                    Paragraph();
                    p += 6;
                } else {
                    text_ += ' '; // the script's own space before a fragment
                    ++p;
                }
            } else if (c == '\r' || c == '\n') {
                if (mode_ != Mode::Recolored)
                    return std::nullopt;
                ++p; // the document's own line breaks, not shown
            } else if (c == '{' || c == '}') {
                return std::nullopt;
            } else {
                text_ += c;
                ++p;
            }
        }
        if (color_ != 0 || (mode_ == Mode::PlainText && !endedWithParagraph_))
            return std::nullopt;
        // Every line is followed by a paragraph mark; the last one ends the
        // document rather than opening an empty line after it.
        if (endedWithParagraph_ && !text_.empty() && text_.back() == '\n')
            text_.pop_back();
        Flush();
        return std::move(runs_);
    }

private:
    void Flush()
    {
        if (text_.empty())
            return;
        RtfRun run;
        run.text = std::move(text_);
        text_.clear();
        run.hasColor = color_ != 0;
        run.color = header_.colors[color_];
        run.face = font_ == 0 ? header_.face : std::string(kJapaneseFace);
        run.charSet = font_ == 0 ? header_.charSet : BYTE(128);
        run.halfPoints = header_.halfPoints;
        // A run of the same look as the last one continues it.
        if (!runs_.empty() && runs_.back().SameFormat(run))
            runs_.back().text += run.text;
        else
            runs_.push_back(std::move(run));
    }
    void SetColor(int color)
    {
        Flush();
        color_ = color;
    }
    void SetFont(int font)
    {
        if (font == font_)
            return;
        Flush();
        font_ = font;
    }
    void Paragraph()
    {
        text_ += '\n';
        endedWithParagraph_ = true;
    }

    const Header& header_;
    Mode mode_;
    RtfRuns runs_;
    std::string text_;
    int color_ = 0;
    int font_ = 0;
    bool endedWithParagraph_ = false;
};

} // namespace

std::optional<RtfRuns> CColorStreamReader::Read(std::string_view stream)
{
    std::optional<Header> header = ReadHeader(stream);
    if (!header)
        return std::nullopt;
    if (auto runs = BodyReader(*header, Mode::PlainText).Read(stream))
        return runs;
    return BodyReader(*header, Mode::Recolored).Read(stream);
}
