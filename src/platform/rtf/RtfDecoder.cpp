#include "platform/rtf/RtfDecoder.h"

#include "platform/text/Sjis.h"

#include <string>

bool RtfDecoder::IsLead(int cp, unsigned char b)
{
    switch (cp) {
    case 932: return sjis::IsLeadByte(b);
    case 936:
    case 949:
    case 950: return b >= 0x81 && b <= 0xFE;
    case 1361: return (b >= 0x84 && b <= 0xD3) || (b >= 0xD8 && b <= 0xF9);
    default: return false;
    }
}

bool RtfDecoder::IsTrail(int cp, unsigned char b)
{
    switch (cp) {
    case 932: return sjis::IsTrailByte(b);
    case 936: return b >= 0x40 && b <= 0xFE && b != 0x7F;
    case 949: return (b >= 0x41 && b <= 0x5A) || (b >= 0x61 && b <= 0x7A) || (b >= 0x81 && b <= 0xFE);
    case 950: return (b >= 0x40 && b <= 0x7E) || (b >= 0xA1 && b <= 0xFE);
    case 1361: return (b >= 0x31 && b <= 0x7E) || (b >= 0x81 && b <= 0xFE);
    default: return false;
    }
}

void RtfDecoder::AppendUcs4(QString& out, char32_t c)
{
    if (c <= 0xFFFF)
        out += QChar(char16_t(c));
    else if (c <= 0x10FFFF) {
        out += QChar(QChar::highSurrogate(c));
        out += QChar(QChar::lowSurrogate(c));
    } else
        out += QChar(char16_t(0xFFFD));
}

void RtfDecoder::Decode(int cp, const unsigned char* bytes, std::size_t n, QString& out)
{
    auto it = open_.find(cp);
    if (it == open_.end()) {
        const std::string name = cp == 10000 ? std::string("MACINTOSH") : "CP" + std::to_string(cp);
        it = open_.try_emplace(cp, "UTF-32LE", name.c_str()).first;
    }
    std::string utf32;
    if (!it->second.Convert({reinterpret_cast<const char*>(bytes), n}, utf32) || utf32.size() < 4) {
        out += QChar(0xFFFD);
        return;
    }
    for (std::size_t k = 0; k + 4 <= utf32.size(); k += 4) {
        const auto* p = reinterpret_cast<const unsigned char*>(utf32.data() + k);
        AppendUcs4(out, char32_t(p[0]) | char32_t(p[1]) << 8 | char32_t(p[2]) << 16 | char32_t(p[3]) << 24);
    }
}
