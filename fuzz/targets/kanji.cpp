// The kanji code conversions on any bytes, every direction: nothing is read
// or written out of bounds, NkfConvert never writes more than it is given
// room for and ends its text with a NUL, what it writes is the start of the
// whole conversion, and NkfConvertedSize is the room the whole one needs.
#include "FuzzCheck.h"
#include "platform/text/Nkf.h"

#include <cstring>
#include <fuzzer/FuzzedDataProvider.h>
#include <memory>

namespace {

constexpr NkfCode kCodes[] = {NkfCode::ShiftJis, NkfCode::Jis, NkfCode::Euc};
constexpr const char* kOptions[] = {"s", "j", "e"};
constexpr NkfInput kInputs[] = {NkfInput::Ascii, NkfInput::ShiftJis, NkfInput::Euc, NkfInput::Jis};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    const std::size_t room = input.ConsumeIntegralInRange<std::size_t>(0, 64);
    const std::string text = input.ConsumeRemainingBytesAsString();
    const std::string_view beforeNul(text.c_str());

    (void)NkfDetect(text);
    for (NkfInput from : kInputs)
        for (NkfCode to : kCodes)
            (void)NkfConvertFrom(text, from, to);

    for (int code = 0; code < 3; ++code) {
        const std::string whole = NkfConvertText(beforeNul, kCodes[code]);
        SetNkfOption(kOptions[code]);
        const std::size_t needed = NkfConvertedSize(text.c_str());
        FUZZ_CHECK(needed == whole.size() + 1, "NkfConvertedSize is not the whole conversion's room");

        // Exactly the room given, so that a byte written past it is caught.
        std::unique_ptr<char[]> out(new char[room == 0 ? 1 : room]);
        NkfConvert(out.get(), room, text.c_str());
        if (room == 0)
            continue;
        const std::string_view written(out.get(), ::strnlen(out.get(), room));
        FUZZ_CHECK(written.size() < room, "no NUL within the room");
        if (needed <= room)
            FUZZ_CHECK(written == whole, "a conversion that fits differs from the whole one");
        else if (kCodes[code] != NkfCode::Jis)
            FUZZ_CHECK(whole.starts_with(written), "a cut conversion is not the start of the whole one");
    }
    SetNkfOption("s");
    return 0;
}
