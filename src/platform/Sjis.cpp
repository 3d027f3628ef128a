#include "platform/Sjis.h"

#include <cerrno>
#include <iconv.h>

namespace sjis {
namespace {

// One iconv conversion; the descriptor is opened per call so the helpers are
// safe from any thread.
class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter()
    {
        if (cd_ != reinterpret_cast<iconv_t>(-1))
            iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    // Converts one character or run; returns false on an invalid or
    // incomplete sequence and leaves in/inLeft at the failing byte.
    bool step(char*& in, size_t& inLeft, std::string& out)
    {
        char buffer[256];
        while (inLeft > 0) {
            char* o = buffer;
            size_t oLeft = sizeof buffer;
            size_t r = iconv(cd_, &in, &inLeft, &o, &oLeft);
            out.append(buffer, size_t(o - buffer));
            if (r == size_t(-1)) {
                if (errno == E2BIG)
                    continue;
                return false;
            }
        }
        return true;
    }
    void reset() { iconv(cd_, nullptr, nullptr, nullptr, nullptr); }

private:
    iconv_t cd_;
};

// The length of the character starting at bytes[i] by the lead-byte rule. A
// lead byte pairs only with a byte that can be a trail byte (0x40-0x7E,
// 0x80-0xFC), so that a stray lead byte does not swallow the line break or
// ASCII character after it.
std::size_t CharLength(std::string_view bytes, std::size_t i)
{
    if (!IsLeadByte(static_cast<unsigned char>(bytes[i])) || i + 1 >= bytes.size())
        return 1;
    auto trail = static_cast<unsigned char>(bytes[i + 1]);
    return trail >= 0x40 && trail <= 0xFC && trail != 0x7F ? 2 : 1;
}

} // namespace

bool IsValid(std::string_view bytes)
{
    Converter c("UTF-8", "CP932");
    if (!c.ok())
        return false;
    std::string copy(bytes);
    char* in = copy.data();
    size_t left = copy.size();
    std::string out;
    return c.step(in, left, out);
}

QString ToUnicode(std::string_view bytes)
{
    Converter c("UTF-8", "CP932");
    std::string out;
    out.reserve(bytes.size() * 3 / 2);
    std::string copy(bytes);
    char* in = copy.data();
    size_t left = copy.size();
    while (left > 0) {
        if (c.step(in, left, out))
            break;
        // Replace the undefined character (one or two bytes by the lead-byte
        // rule) and go on after it.
        std::size_t pos = copy.size() - left;
        std::size_t n = CharLength(bytes, pos);
        out += "\xEF\xBF\xBD";
        in += n;
        left -= n;
        c.reset();
    }
    return QString::fromUtf8(out.data(), qsizetype(out.size()));
}

std::string FromUnicode(const QString& text)
{
    Converter c("CP932", "UTF-8");
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
        size_t left = size_t(utf8.size());
        std::string piece;
        if (c.step(in, left, piece))
            out += piece;
        else {
            out += '?';
            c.reset();
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
