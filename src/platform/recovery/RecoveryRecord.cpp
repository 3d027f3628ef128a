#include "platform/recovery/RecoveryRecord.h"

#include <array>
#include <charconv>

namespace {

constexpr std::string_view kMagic = "KXRECOV1";

void PutU64(std::string& out, std::uint64_t v)
{
    for (int i = 0; i < 8; ++i)
        out.push_back(static_cast<char>((v >> (8 * i)) & 0xff));
}

bool GetU64(std::string_view& in, std::uint64_t& v)
{
    if (in.size() < 8)
        return false;
    v = 0;
    for (int i = 0; i < 8; ++i)
        v |= static_cast<std::uint64_t>(static_cast<unsigned char>(in[i])) << (8 * i);
    in.remove_prefix(8);
    return true;
}

// Header values never hold a line break or a NUL: paths that do are kept
// escaped as \n, \0 and \\.
std::string Escape(std::string_view s)
{
    std::string out;
    for (char c : s) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\0')
            out += "\\0";
        else
            out.push_back(c);
    }
    return out;
}

std::string Unescape(std::string_view s)
{
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 1 < s.size()) {
            char n = s[++i];
            out.push_back(n == 'n' ? '\n' : n == '0' ? '\0' : n);
        } else {
            out.push_back(s[i]);
        }
    }
    return out;
}

std::int64_t ToInt(std::string_view s)
{
    std::int64_t v = -1;
    auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    return ec == std::errc() && p == s.data() + s.size() ? v : -1;
}

} // namespace

std::uint32_t RecoveryCrc32(std::string_view bytes)
{
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t c = i;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    std::uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char b : bytes)
        crc = table[(crc ^ b) & 0xff] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

std::string RecoveryRecord::Encode() const
{
    std::string header = "path=" + Escape(path) + "\ntitle=" + Escape(title) + "\nkind=" + Escape(kind) +
                         "\nreadonly=" + (readOnly ? "1" : "0") + "\ndisktime=" + std::to_string(diskTime) +
                         "\ndisksize=" + std::to_string(diskSize) + "\n";
    std::string out(kMagic);
    PutU64(out, header.size());
    out += header;
    PutU64(out, body.size());
    out += body;
    PutU64(out, RecoveryCrc32(out));
    return out;
}

std::optional<RecoveryRecord> RecoveryRecord::Decode(std::string_view bytes)
{
    if (bytes.size() < kMagic.size() + 24 || bytes.substr(0, kMagic.size()) != kMagic)
        return std::nullopt;
    const std::string_view whole = bytes;
    std::string_view in = bytes.substr(kMagic.size());
    std::uint64_t headerSize = 0, bodySize = 0, crc = 0;
    if (!GetU64(in, headerSize) || headerSize > in.size())
        return std::nullopt;
    std::string_view header = in.substr(0, headerSize);
    in.remove_prefix(headerSize);
    if (!GetU64(in, bodySize) || bodySize > in.size())
        return std::nullopt;
    std::string_view body = in.substr(0, bodySize);
    in.remove_prefix(bodySize);
    if (in.size() != 8)
        return std::nullopt;
    const std::string_view covered = whole.substr(0, whole.size() - 8);
    if (!GetU64(in, crc) || crc != RecoveryCrc32(covered))
        return std::nullopt;

    RecoveryRecord r;
    r.body = std::string(body);
    while (!header.empty()) {
        auto nl = header.find('\n');
        std::string_view line = header.substr(0, nl);
        header.remove_prefix(nl == std::string_view::npos ? header.size() : nl + 1);
        auto eq = line.find('=');
        if (eq == std::string_view::npos)
            continue;
        std::string_view key = line.substr(0, eq), value = line.substr(eq + 1);
        if (key == "path")
            r.path = Unescape(value);
        else if (key == "title")
            r.title = Unescape(value);
        else if (key == "kind")
            r.kind = Unescape(value);
        else if (key == "readonly")
            r.readOnly = value == "1";
        else if (key == "disktime")
            r.diskTime = ToInt(value);
        else if (key == "disksize")
            r.diskSize = ToInt(value);
    }
    return r;
}
