// The FTP client's texts: the string table's entries filled in, and the
// size, rate and time texts of the progress dialog.
//
//   FormatRate(0.5)  -> "512 Bytes/Sec"    FormatRate(1.0) -> "1.00 KB/Sec"
//   FormatSize(1024) -> "1.0 KB"           FormatTime(61)  -> "1 min 1 sec"
#pragma once

#include "platform/base/WinTypes.h"

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace ftptexts {

// The string-table text of the id in code page 932, with "%1", "%2" ...
// replaced by the arguments (code page 932 themselves).
std::string Format(UINT id, std::initializer_list<std::string_view> args = {});
// A text of the program's own (UTF-8 literal) in code page 932.
std::string Text(std::string_view utf8);

std::string FormatRate(double bytesPerMillisecond);
std::string FormatSize(std::uint64_t bytes);
std::string FormatTime(std::uint64_t seconds);
// "2 min 5 sec (1.50 MB of 3.25 MB copied)".
std::string FormatTimeLeft(std::uint64_t seconds, std::uint64_t done, std::uint64_t total);

// A remote directory joined with a name by one "/" ("/" + name at the top).
std::string JoinRemote(const std::string& directory, const std::string& name);
// The last component of a local path (the whole path without a "/").
std::string LocalName(const std::string& path);

} // namespace ftptexts

struct InternetError;

namespace ftptexts {

// What a failed connection or command says to the user: the server's reply
// where it gave one, else the system's text for the error (code page 932).
std::string ErrorText(const InternetError& error);

} // namespace ftptexts
