// The FTP listing reader and the server address setting on any bytes: no
// more entries than lines, every name taken from the listing itself, and a
// name IsSafeEntryName accepts holds no separator; an address it reads has
// a host and a port from 1 to 65535.
#include "FuzzCheck.h"
#include "platform/wininet/FtpListing.h"
#include "platform/wininet/FtpServerAddress.h"

#include <algorithm>

namespace {

void CheckEntries(std::string_view text, const std::vector<FtpFindData>& entries)
{
    const std::size_t lines = std::size_t(std::count(text.begin(), text.end(), '\n')) + 1;
    FUZZ_CHECK(entries.size() <= lines, "more entries than lines");
    for (const FtpFindData& entry : entries) {
        FUZZ_CHECK(entry.name.find('\n') == std::string::npos, "a name holds a line break");
        FUZZ_CHECK(entry.name == "." || entry.name == ".." || text.find(entry.name) != std::string_view::npos,
                   "a name that is not in the listing");
        FUZZ_CHECK(!entry.directory || entry.size == 0, "a directory with a size");
        if (ftplisting::IsSafeEntryName(entry.name)) {
            FUZZ_CHECK(entry.name.find('/') == std::string::npos, "a safe name holds /");
            FUZZ_CHECK(entry.name.find('\0') == std::string::npos, "a safe name holds NUL");
            FUZZ_CHECK(entry.name != "." && entry.name != "..", "a safe name is . or ..");
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text = FuzzBytes(data, size);
    CheckEntries(text, ftplisting::ParseList(text));
    CheckEntries(text, ftplisting::ParseMlsd(text));
    if (const auto address = ParseFtpServerAddress(text.substr(0, 300))) {
        FUZZ_CHECK(!address->host.empty(), "an address without a host");
        FUZZ_CHECK(address->port != 0, "an address with port 0");
    }
    return 0;
}
