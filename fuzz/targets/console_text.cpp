// The debug console's text on any bytes cut into any pieces: what is shown is
// the same wherever the pipe cut the output, holds no NUL, and no more bytes
// than came in.
#include "FuzzCheck.h"
#include "run/CConsoleText.h"

#include <fuzzer/FuzzedDataProvider.h>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    std::vector<std::string> pieces;
    std::string whole;
    while (input.remaining_bytes() > 0) {
        pieces.push_back(input.ConsumeRandomLengthString(64));
        whole += pieces.back();
    }
    CConsoleText split;
    std::string out;
    for (const std::string& piece : pieces)
        out += split.Add(piece);
    out += split.Finish();
    CConsoleText once;
    std::string expected = once.Add(whole);
    expected += once.Finish();
    FUZZ_CHECK(out == expected, "the text depends on where the pipe cut it");
    FUZZ_CHECK(out.find('\0') == std::string::npos, "a NUL reached the console");
    FUZZ_CHECK(out.size() <= whole.size(), "more text than came in");
    return 0;
}
