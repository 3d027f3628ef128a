// The settings hive's file text on any bytes: it is read or refused with a
// line and a reason, and a hive it reads is written back in a form that reads
// to the same hive.
#include "FuzzCheck.h"
#include "platform/registry/RegistryExport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto hive = RegistryExport::Parse(FuzzBytes(data, size));
    if (!hive) {
        FUZZ_CHECK(hive.error().line >= 0, "a refusal without its line");
        FUZZ_CHECK(!hive.error().reason.empty(), "a refusal without its reason");
        return 0;
    }
    const std::string text = RegistryExport::Serialise(*hive);
    const auto again = RegistryExport::Parse(text);
    FUZZ_CHECK(again.has_value(), "the written hive could not be read back");
    FUZZ_CHECK(RegistryExport::Serialise(*again) == text, "the written hive read back differently");
    return 0;
}
