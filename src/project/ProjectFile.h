// The project file's bytes. It has no count and no terminator:
//
//   offset 0   8 bytes   "KESTRIX" and a zero byte
//   offset 8   8 bytes   the format version, the double 1.2 little-endian
//                        (33 33 33 33 33 33 F3 3F); written, never checked
//   offset 16  264 x n   the entries in list order: a 32-bit little-endian
//                        kind, then the 260-byte path field
//
// The list ends at the end of the file; a trailing piece shorter than an
// entry is ignored. A file is project data when the text of its first 16
// bytes, up to their first zero byte, contains "KESTRIX".
#pragma once

#include "project/ProjectEntry.h"

#include <expected>
#include <string>
#include <string_view>
#include <vector>

namespace project_file {

inline constexpr std::size_t kHeaderBytes = 16;
inline constexpr std::size_t kEntryBytes = 4 + PROJECT_ENTRY::kPathBytes;

enum class ReadError { NotProjectData };

// The whole file for the entries.
std::string Encode(const std::vector<const PROJECT_ENTRY*>& entries);
// The entries of a file's bytes.
std::expected<std::vector<PROJECT_ENTRY>, ReadError> Decode(std::string_view bytes);

} // namespace project_file
