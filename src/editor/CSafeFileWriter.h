// Writes a whole file so that it is either replaced completely or not at all:
// the bytes go to a new file in the same folder, are flushed to the disk, and
// the new file is renamed over the old one. A failure at any step leaves the
// old file exactly as it was. The new file keeps the old file's permissions
// (and, where allowed, its owner); a symbolic link keeps pointing at the file
// it named, which is the one replaced.
#pragma once

#include <string>
#include <string_view>

class CSafeFileWriter {
public:
    // Writes the bytes to the path (a local file name). On failure returns
    // false with the reason, in code page 932, in error.
    static bool Write(const std::string& path, std::string_view bytes, std::string& error);

    // The user's text (code page 932) for an errno value.
    static std::string ErrorText(int errorNumber);
};
