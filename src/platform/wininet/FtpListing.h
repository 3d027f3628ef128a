// Reading an FTP server's directory listing.
//
// Why LIST output is hard: the protocol never said what LIST prints. It
// sends whatever the server's own "ls" or directory command prints, for a
// human to read. Unix-like servers print "ls -l" lines, but with or without
// the group column, with the date as "Dec  7 10:00", "Dec  7  2025",
// "2025-12-07 10:00" or, on Japanese systems, "12月  7 10:00" (in the
// server's own kanji code); names may hold blanks, and a symbolic link adds
// " -> target". Windows servers print DOS lines ("12-07-26  10:00AM <DIR>
// name"). Some add a "total N" line, a blank line, or CR LF line ends. The
// only column a reader can trust is the name at the end, and only once it
// has found where the date ends. MLSD, where the server offers it, is the
// answer: "fact=value;...; name", one entry a line, the name after the
// first blank. So the stand-in asks for MLSD when the server's FEAT names
// it and reads LIST otherwise, finding each line's style by its shape.
//
// Example: "-rw-r--r--   1 ftp  ftp   1234 12月  7 10:00 my file.cgi"
// reads as a file "my file.cgi" of 1234 bytes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// One entry of a listing: its name as the server sent it (bytes), whether
// it is a directory, and its size (0 for a directory).
struct FtpFindData {
    std::string name;
    bool directory = false;
    std::uint64_t size = 0;
    bool operator==(const FtpFindData&) const = default;
};

namespace ftplisting {

// One line of LIST output in the UNIX or DOS style; nothing for a line that
// names no entry ("total 12", a blank line, a line of another shape).
std::optional<FtpFindData> ParseListLine(std::string_view line);

// One line of MLSD output; the current and parent directory entries
// ("type=cdir", "type=pdir") come back as "." and "..".
std::optional<FtpFindData> ParseMlsdLine(std::string_view line);

// A whole listing, lines ended by LF or CR LF, each line parsed on its own.
std::vector<FtpFindData> ParseList(std::string_view text);
std::vector<FtpFindData> ParseMlsd(std::string_view text);

// True when a name from a listing can be used as one local or remote path
// component: not empty, not "." or "..", and no "/" or "\" in it (a "\"
// counts only as a character of its own, not as the second byte of a
// double-byte character), and no NUL.
bool IsSafeEntryName(std::string_view name);

} // namespace ftplisting
