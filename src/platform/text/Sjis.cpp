#include "platform/text/Sjis.h"

#include "platform/text/Iconv.h"

namespace sjis {

namespace {

// Each thread keeps one open descriptor of each direction: opening one costs
// far more than converting a short text, and a thread's own descriptor is
// safe without a lock. Each use starts from the initial state.
Iconv& FromCp932()
{
    thread_local Iconv c("UTF-8", "CP932");
    c.Reset();
    return c;
}

Iconv& ToCp932()
{
    thread_local Iconv c("CP932", "UTF-8");
    c.Reset();
    return c;
}

} // namespace

bool IsValid(std::string_view bytes)
{
    Iconv& c = FromCp932();
    if (!c.ok())
        return false;
    std::string copy(bytes);
    char* in = copy.data();
    std::size_t left = copy.size();
    std::string out;
    return c.Step(in, left, out);
}

QString ToUnicode(std::string_view bytes)
{
    Iconv& c = FromCp932();
    std::string out;
    out.reserve(bytes.size() * 3 / 2);
    std::string copy(bytes);
    char* in = copy.data();
    std::size_t left = copy.size();
    while (left > 0) {
        if (c.Step(in, left, out))
            break;
        // Replace the undefined character (one or two bytes by the lead-byte
        // rule) and go on after it.
        std::size_t n = CharLength(bytes, copy.size() - left);
        out += "\xEF\xBF\xBD";
        in += n;
        left -= n;
        c.Reset();
    }
    return QString::fromUtf8(out.data(), qsizetype(out.size()));
}

namespace {

void AppendUtf8(std::string& out, char32_t c)
{
    if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
    }
    out += char(0x80 | (c & 0x3F));
}

// Converts well-formed UTF-8 to code page 932 in one go; a character that
// code page 932 cannot hold stops the conversion there, becomes "?", and the
// conversion goes on after it, so its neighbours are not disturbed.
void AppendConverted(Iconv& c, std::string& utf8, std::string& out)
{
    char* in = utf8.data();
    std::size_t left = utf8.size();
    while (left > 0 && !c.Step(in, left, out)) {
        const auto lead = static_cast<unsigned char>(*in);
        const std::size_t n = lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        out += '?';
        in += n;
        left -= n;
        c.Reset();
    }
    utf8.clear();
}

} // namespace

std::string FromUnicode(const QString& text)
{
    Iconv& c = ToCp932();
    std::string out;
    out.reserve(std::size_t(text.size()) * 2);
    // Each character converts on its own (a surrogate pair counts as one):
    // runs of them go to iconv together, a character it cannot hold ending
    // the run's conversion at itself. Plain ASCII passes straight through.
    std::string run;
    QByteArray utf8;
    for (qsizetype i = 0; i < text.size();) {
        const char16_t u = text[i].unicode();
        if (u < 0x80) {
            AppendConverted(c, run, out);
            out += char(u);
            ++i;
            continue;
        }
        if (!QChar::isSurrogate(u)) {
            AppendUtf8(run, u);
            ++i;
            continue;
        }
        if (QChar::isHighSurrogate(u) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            AppendUtf8(run, QChar::surrogateToUcs4(u, text[i + 1].unicode()));
            i += 2;
            continue;
        }
        // A surrogate out of its pair goes on its own, as Qt writes it in
        // UTF-8 (a high one together with whatever follows it).
        AppendConverted(c, run, out);
        const qsizetype n = (QChar::isHighSurrogate(u) && i + 1 < text.size()) ? 2 : 1;
        utf8 = text.mid(i, n).toUtf8();
        char* in = utf8.data();
        std::size_t left = std::size_t(utf8.size());
        std::string piece;
        if (c.Step(in, left, piece))
            out += piece;
        else {
            out += '?';
            c.Reset();
        }
        i += n;
    }
    AppendConverted(c, run, out);
    return out;
}

std::string FromUtf8(std::string_view utf8)
{
    return FromUnicode(QString::fromUtf8(utf8.data(), qsizetype(utf8.size())));
}

std::string ToUtf8(std::string_view bytes)
{
    return ToUnicode(bytes).toStdString();
}

std::size_t Cp932Length(const QString& text)
{
    return FromUnicode(text).size();
}

} // namespace sjis
