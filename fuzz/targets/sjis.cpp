// The code page 932 helpers on any bytes: the conversions to Unicode and UTF-8
// and back agree with each other, Cp932Length is the length FromUnicode
// gives, and valid text survives the way through Unicode.
#include "platform/text/Sjis.h"
#include "FuzzCheck.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes = FuzzBytes(data, size);
    std::size_t chars = 0;
    for (std::size_t i = 0; i < bytes.size(); i += sjis::CharLength(bytes, i))
        ++chars;
    FUZZ_CHECK(chars <= bytes.size(), "more characters than bytes");

    const QString unicode = sjis::ToUnicode(bytes);
    const std::string back = sjis::FromUnicode(unicode);
    FUZZ_CHECK(sjis::Cp932Length(unicode) == back.size(), "Cp932Length differs from FromUnicode");
    FUZZ_CHECK(sjis::ToUtf8(bytes) == unicode.toStdString(), "ToUtf8 differs from ToUnicode");
    FUZZ_CHECK(sjis::FromUtf8(unicode.toStdString()) == back, "FromUtf8 differs from FromUnicode");
    if (sjis::IsValid(bytes)) {
        FUZZ_CHECK(!unicode.contains(QChar(0xFFFD)), "valid text gave U+FFFD");
        FUZZ_CHECK(sjis::ToUnicode(back) == unicode, "valid text changed on its way through Unicode");
    }

    // The bytes as UTF-16, lone surrogates and all, going the other way.
    std::u16string units(size / 2, u'\0');
    std::memcpy(units.data(), data, units.size() * 2);
    const QString utf16 = QString::fromStdU16String(units);
    const std::string cp932 = sjis::FromUnicode(utf16);
    FUZZ_CHECK(sjis::Cp932Length(utf16) == cp932.size(), "Cp932Length differs from FromUnicode");
    FUZZ_CHECK(sjis::IsValid(cp932), "FromUnicode gave invalid code page 932");
    return 0;
}
