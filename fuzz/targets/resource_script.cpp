// The resource script reader on any bytes: it reads a script or stops at a
// fault with its line, nothing else.
#include "FuzzCheck.h"
#include "platform/resources/CResourceScriptReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    try {
        (void)CResourceScriptReader::Read(FuzzBytes(data, size), "fuzz.rc");
    } catch (const CResourceScript::Error& error) {
        FUZZ_CHECK(error.Line() >= 0, "a fault without its line");
    }
    return 0;
}
