#include "check/CSjisMask.h"

#include "platform/text/Sjis.h"

std::string CSjisMask::Mask(std::string_view sjis)
{
    std::string masked(sjis);
    for (std::size_t i = 0; i < sjis.size();) {
        if (static_cast<unsigned char>(sjis[i]) < 0x80) {
            ++i;
            continue;
        }
        const std::size_t n = sjis::CharLength(sjis, i);
        for (std::size_t k = 0; k < n; ++k)
            masked[i + k] = 'x';
        // A character ending in 0x5C written with its extra "\" (the usual
        // cure) is one character as the author meant it.
        if (n == 2 && sjis[i + 1] == '\\' && i + 2 < sjis.size() && sjis[i + 2] == '\\')
            masked[i + 2] = 'x', ++i;
        i += n;
    }
    return masked;
}
