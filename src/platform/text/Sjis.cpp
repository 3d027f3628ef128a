#include "platform/text/Sjis.h"

#include "platform/text/Iconv.h"

namespace sjis {

bool IsValid(std::string_view bytes)
{
    Iconv c("UTF-8", "CP932");
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
    // The descriptor is opened per call so the helpers are safe from any
    // thread.
    Iconv c("UTF-8", "CP932");
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

std::string FromUnicode(const QString& text)
{
    Iconv c("CP932", "UTF-8");
    std::string out;
    out.reserve(std::size_t(text.size()) * 2);
    // Convert character by character (a surrogate pair counts as one) so an
    // unmappable one becomes "?" without disturbing its neighbours.
    QByteArray utf8;
    for (qsizetype i = 0; i < text.size();) {
        qsizetype n = (text[i].isHighSurrogate() && i + 1 < text.size()) ? 2 : 1;
        // Runs of plain ASCII pass straight through.
        if (text[i].unicode() < 0x80) {
            out += char(text[i].unicode());
            ++i;
            continue;
        }
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
