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

// From UCS-4 (glibc's own form, "WCHAR_T") the conversion is a single step,
// so a character it cannot hold stops it exactly there. From UTF-8 there are
// two steps, and such a stop makes glibc convert the text before it again:
// runs of characters go this way.
Iconv& Ucs4ToCp932()
{
    thread_local Iconv c("CP932", "WCHAR_T");
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

// Converts code points to code page 932 in one go; a character that code
// page 932 cannot hold stops the conversion there, becomes "?", and the
// conversion goes on after it, so its neighbours are not disturbed.
void AppendConverted(Iconv& c, std::wstring& run, std::string& out)
{
    static_assert(sizeof(wchar_t) == 4, "glibc's wide characters are UCS-4");
    char* in = reinterpret_cast<char*>(run.data());
    std::size_t left = run.size() * sizeof(wchar_t);
    while (left > 0 && !c.Step(in, left, out)) {
        out += '?';
        in += sizeof(wchar_t);
        left -= sizeof(wchar_t);
        c.Reset();
    }
    run.clear();
}

} // namespace

std::string FromUnicode(const QString& text)
{
    Iconv& c = ToCp932();
    Iconv& runs = Ucs4ToCp932();
    std::string out;
    out.reserve(std::size_t(text.size()) * 2);
    // Each character converts on its own (a surrogate pair counts as one):
    // runs of them go to iconv together, a character it cannot hold ending
    // the run's conversion at itself. Plain ASCII passes straight through.
    std::wstring run;
    QByteArray utf8;
    for (qsizetype i = 0; i < text.size();) {
        const char16_t u = text[i].unicode();
        if (u < 0x80) {
            AppendConverted(runs, run, out);
            out += char(u);
            ++i;
            continue;
        }
        if (!QChar::isSurrogate(u)) {
            run += wchar_t(u);
            ++i;
            continue;
        }
        if (QChar::isHighSurrogate(u) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            run += wchar_t(QChar::surrogateToUcs4(u, text[i + 1].unicode()));
            i += 2;
            continue;
        }
        // A surrogate out of its pair goes on its own, as Qt writes it in
        // UTF-8 (a high one together with whatever follows it).
        AppendConverted(runs, run, out);
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
    AppendConverted(runs, run, out);
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
