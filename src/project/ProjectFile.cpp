#include "project/ProjectFile.h"

#include <cstring>

namespace project_file {

namespace {

constexpr char kMagic[8] = {'K', 'E', 'S', 'T', 'R', 'I', 'X', '\0'};
constexpr unsigned char kVersion[8] = {0x33, 0x33, 0x33, 0x33, 0x33, 0x33, 0xF3, 0x3F}; // 1.2

void AppendInt32(std::string& out, std::int32_t value)
{
    const auto bits = static_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<char>((bits >> (8 * i)) & 0xFF));
}

std::int32_t ReadInt32(std::string_view bytes)
{
    std::uint32_t bits = 0;
    for (int i = 0; i < 4; ++i)
        bits |= std::uint32_t(static_cast<unsigned char>(bytes[i])) << (8 * i);
    return static_cast<std::int32_t>(bits);
}

} // namespace

std::string Encode(const std::vector<const PROJECT_ENTRY*>& entries)
{
    std::string out;
    out.reserve(kHeaderBytes + kEntryBytes * entries.size());
    out.append(kMagic, sizeof kMagic);
    out.append(reinterpret_cast<const char*>(kVersion), sizeof kVersion);
    for (const PROJECT_ENTRY* entry : entries) {
        AppendInt32(out, entry->kind);
        out.append(entry->path.data(), entry->path.size());
    }
    return out;
}

std::expected<std::vector<PROJECT_ENTRY>, ReadError> Decode(std::string_view bytes)
{
    if (bytes.size() < kHeaderBytes)
        return std::unexpected(ReadError::NotProjectData);
    // The magic is looked for only in the header's text before its first
    // zero byte, so "KESTRIX" after a zero or further on does not count.
    const std::string_view header = bytes.substr(0, kHeaderBytes);
    const std::string_view text = header.substr(0, header.find('\0'));
    if (text.find("KESTRIX") == std::string_view::npos)
        return std::unexpected(ReadError::NotProjectData);

    std::vector<PROJECT_ENTRY> entries;
    for (std::size_t at = kHeaderBytes; bytes.size() - at >= kEntryBytes; at += kEntryBytes) {
        PROJECT_ENTRY entry;
        entry.kind = ReadInt32(bytes.substr(at, 4));
        std::memcpy(entry.path.data(), bytes.data() + at + 4, entry.path.size());
        entries.push_back(entry);
    }
    return entries;
}

} // namespace project_file
