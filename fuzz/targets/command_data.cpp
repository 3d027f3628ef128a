// The command data (keydata.dat) on any bytes: every record up to the last
// "/" before a NUL is in the table, and the table holds nothing else.
#include "FuzzCheck.h"
#include "editor/CCommandDataReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view bytes = FuzzBytes(data, size);
    CommandTable commands;
    CCommandDataReader::Read(bytes, commands);
    bytes = bytes.substr(0, bytes.find('\0'));
    std::size_t records = 0;
    std::size_t keyBytes = 0;
    for (char c : bytes)
        records += c == '/';
    for (const auto& [key, tip] : commands) {
        FUZZ_CHECK(key.find('/') == std::string::npos && key.find('=') == std::string::npos,
                   "a key holds / or =");
        FUZZ_CHECK(tip.find('/') == std::string::npos && tip.find('=') == std::string::npos,
                   "a tip holds / or =");
        keyBytes += key.size();
    }
    FUZZ_CHECK(commands.size() <= records, "more commands than records");
    FUZZ_CHECK(records == 0 || !commands.empty(), "records but no command");
    FUZZ_CHECK(keyBytes <= bytes.size(), "keys longer than the data");
    return 0;
}
