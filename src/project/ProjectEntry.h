// One file of a project, kept in memory exactly as the project file stores
// it: a 32-bit kind and a 260-byte path field. The path is the file's local
// path in code page 932 bytes, ended by a zero byte, the rest zero-filled;
// so the longest path an entry can hold is 259 bytes.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

struct PROJECT_ENTRY {
    static constexpr std::size_t kPathBytes = 260;
    static constexpr std::size_t kMaxPathLength = kPathBytes - 1;
    static constexpr std::int32_t kScript = 0;
    static constexpr std::int32_t kHtml = 1;

    std::int32_t kind = kScript; // 1 an HTML page; any other value a script
    std::array<char, kPathBytes> path{};

    bool IsHtml() const { return kind == kHtml; }
    // The path's bytes up to the first zero byte (code page 932).
    std::string Path() const;
    // The path as a local file name (UTF-8).
    std::string LocalPath() const;
    // Stores a code page 932 path, zero-filling the rest of the field. A
    // path that would not leave room for its ending zero is refused (false,
    // the field unchanged) rather than cut.
    bool SetPath(std::string_view cp932);
    // The file name shown in the tree: the part after the last separator,
    // "/" or, in a project written on another system, "\".
    std::string FileName() const;
};

// Whether a code page 932 path fits an entry.
inline bool FitsProjectEntry(std::string_view cp932)
{
    return cp932.size() <= PROJECT_ENTRY::kMaxPathLength;
}

// The last component of a path with either separator.
std::string FileNameOfPath(std::string_view path);
// The extension after the last "." of a file name, without the dot; empty
// when it has none.
std::string ExtensionOf(std::string_view fileName);
// Whether a file name's extension makes it an HTML page: exactly "html" or
// "htm", in lower case, as the program has always decided.
bool IsHtmlFileName(std::string_view fileName);
