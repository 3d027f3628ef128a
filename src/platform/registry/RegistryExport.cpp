#include "platform/registry/RegistryExport.h"

#include "platform/text/HexDigit.h"
#include "platform/text/Sjis.h"

#include <QString>
#include <cstdio>
#include <optional>

namespace {

constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00";
constexpr std::string_view kRootName = "HKEY_CURRENT_USER";
constexpr DWORD kRegSz = 1;
constexpr DWORD kRegBinary = 3;
constexpr DWORD kRegDword = 4;
// Lines of hex bytes are wrapped before this column, as exports do.
constexpr std::size_t kHexLineWidth = 77;
// Keys nest at most RegistryKey::kMaxDepth deep. The file names every key
// with its whole path, so a key line is written back as a text growing with
// the square of its depth: the bound keeps that a constant factor.
constexpr std::size_t kMaxKeyDepth = RegistryKey::kMaxDepth;

char AsciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

bool IsLead(char c)
{
    return sjis::IsLeadByte(static_cast<unsigned char>(c));
}

// A byte as two hex digits, lower case as exports write them or upper case
// as %XX escapes do.
void AppendHexByte(std::string& out, unsigned char b, bool upper = false)
{
    out += HexDigitChar(b >> 4, upper);
    out += HexDigitChar(b & 0xF, upper);
}

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix)
{
    if (s.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (AsciiLower(s[i]) != AsciiLower(prefix[i]))
            return false;
    return true;
}

// The offset of the first byte that is not part of well-formed UTF-8, or npos.
std::size_t FindBadUtf8(std::string_view s)
{
    std::size_t i = 0;
    while (i < s.size()) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        std::size_t len;
        char32_t cp, min;
        if ((c & 0xE0) == 0xC0) {
            len = 2, cp = c & 0x1F, min = 0x80;
        } else if ((c & 0xF0) == 0xE0) {
            len = 3, cp = c & 0x0F, min = 0x800;
        } else if ((c & 0xF8) == 0xF0) {
            len = 4, cp = c & 0x07, min = 0x10000;
        } else {
            return i;
        }
        if (i + len > s.size())
            return i;
        for (std::size_t k = 1; k < len; ++k) {
            unsigned char d = static_cast<unsigned char>(s[i + k]);
            if ((d & 0xC0) != 0x80)
                return i;
            cp = (cp << 6) | (d & 0x3F);
        }
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return i;
        i += len;
    }
    return std::string_view::npos;
}

// ASCII reads the same in code page 932 and in UTF-8, so the many names and
// texts that are nothing else need no conversion.
bool IsAscii(std::string_view s)
{
    for (char c : s)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

std::string Cp932FromUtf8(std::string_view utf8)
{
    return IsAscii(utf8) ? std::string(utf8) : sjis::FromUtf8(utf8);
}

// The UTF-8 form of code page 932 text, when converting it back gives the
// very same bytes (some characters have two codes, and only one comes back).
// Invalid bytes need no test of their own: they read as U+FFFD, which comes
// back as a "?" they cannot have been.
std::optional<std::string> ExactUtf8(std::string_view bytes)
{
    if (IsAscii(bytes))
        return std::string(bytes);
    QString text = sjis::ToUnicode(bytes);
    if (sjis::FromUnicode(text) != bytes)
        return std::nullopt;
    QByteArray utf8 = text.toUtf8();
    return std::string(utf8.constData(), std::size_t(utf8.size()));
}

// What a name is: a key name sits between the backslashes of its key line,
// so a backslash of its own (one that is no trail byte) would split it in two.
enum class NameKind { Key, Value };

bool MustEscapeByte(unsigned char b, NameKind kind)
{
    return b == '%' || b < 0x20 || b == 0x7F || (kind == NameKind::Key && b == '\\');
}

void AppendPercent(std::string& out, unsigned char b)
{
    out += '%';
    AppendHexByte(out, b, true);
}

// A key or value name as it is written in the file (see the header).
std::string EncodeName(std::string_view name, NameKind kind)
{
    bool plain = true;
    for (char c : name)
        plain = plain && !MustEscapeByte(static_cast<unsigned char>(c), kind);
    if (plain)
        if (auto utf8 = ExactUtf8(name))
            return *utf8;
    std::string out;
    for (std::size_t i = 0; i < name.size();) {
        std::size_t n = (IsLead(name[i]) && i + 1 < name.size()) ? 2 : 1;
        std::string_view ch = name.substr(i, n);
        unsigned char first = static_cast<unsigned char>(ch[0]);
        if (n == 1 && MustEscapeByte(first, kind))
            AppendPercent(out, first);
        else if (n == 1 && first < 0x80)
            out += ch[0];
        else if (auto utf8 = ExactUtf8(ch))
            out += *utf8;
        else
            for (char c : ch)
                AppendPercent(out, static_cast<unsigned char>(c));
        i += n;
    }
    return out;
}

std::string DecodeName(std::string_view utf8)
{
    std::string out;
    std::size_t runStart = 0;
    for (std::size_t i = 0; i < utf8.size();) {
        if (utf8[i] == '%' && i + 2 < utf8.size() && HexDigitValue(utf8[i + 1]) >= 0 &&
            HexDigitValue(utf8[i + 2]) >= 0) {
            out += Cp932FromUtf8(utf8.substr(runStart, i - runStart));
            out += char(HexDigitValue(utf8[i + 1]) * 16 + HexDigitValue(utf8[i + 2]));
            i += 3;
            runStart = i;
        } else {
            ++i;
        }
    }
    out += Cp932FromUtf8(utf8.substr(runStart));
    return out;
}

std::string Quote(std::string_view utf8)
{
    std::string out = "\"";
    for (char c : utf8) {
        if (c == '\\' || c == '"')
            out += '\\';
        out += c;
    }
    out += '"';
    return out;
}

// The "text" form of a value, when it has one.
std::optional<std::string> TextForm(const RegistryKey::Value& v)
{
    const std::string& d = v.data;
    if (v.type != kRegSz || d.empty() || d.back() != '\0')
        return std::nullopt;
    std::string_view body(d.data(), d.size() - 1);
    // A NUL inside would be lost, a line break would break the line.
    if (body.find_first_of(std::string_view("\0\r\n", 3)) != std::string_view::npos)
        return std::nullopt;
    auto utf8 = ExactUtf8(body);
    if (!utf8)
        return std::nullopt;
    return Quote(*utf8);
}

void AppendValue(std::string& out, const RegistryKey::Value& v)
{
    std::size_t lineStart = out.size();
    out += v.name.empty() ? std::string("@") : Quote(EncodeName(v.name, NameKind::Value));
    out += '=';
    if (auto text = TextForm(v)) {
        out += *text;
        out += '\n';
        return;
    }
    out += "hex(";
    char type[16];
    std::snprintf(type, sizeof type, "%x", unsigned(v.type));
    out += type;
    out += "):";
    std::size_t onLine = 0;
    for (std::size_t i = 0; i < v.data.size(); ++i) {
        bool last = i + 1 == v.data.size();
        std::size_t token = last ? 2 : 3;
        if (onLine > 0 && out.size() - lineStart + token > kHexLineWidth) {
            out += "\\\n  ";
            lineStart = out.size() - 2;
            onLine = 0;
        }
        AppendHexByte(out, static_cast<unsigned char>(v.data[i]));
        if (!last)
            out += ',';
        ++onLine;
    }
    out += '\n';
}

// Writes the key and everything below it; fullName is the key's path as the
// file writes it, and is lengthened for each subkey and cut back after it.
void AppendKey(std::string& out, const RegistryKey& key, std::string& fullName, bool isRoot)
{
    if (!isRoot || !key.values.empty()) {
        out += '[';
        out += fullName;
        out += "]\n";
        for (const auto& v : key.values)
            AppendValue(out, v);
        out += '\n';
    }
    const std::size_t length = fullName.size();
    for (const auto& child : key.children) {
        fullName += '\\';
        fullName += EncodeName(child.name, NameKind::Key);
        AppendKey(out, child, fullName, false);
        fullName.resize(length);
    }
}

// Reads a quoted text starting at s[pos] == '"', undoing \\ and \"; another
// backslash stands for itself. Leaves pos after the closing quote.
std::optional<std::string> ReadQuoted(std::string_view s, std::size_t& pos)
{
    std::string out;
    for (++pos; pos < s.size(); ++pos) {
        char c = s[pos];
        if (c == '"') {
            ++pos;
            return out;
        }
        if (c == '\\' && pos + 1 < s.size() && (s[pos + 1] == '\\' || s[pos + 1] == '"'))
            c = s[++pos];
        out += c;
    }
    return std::nullopt;
}

std::optional<DWORD> ReadHexNumber(std::string_view s)
{
    if (s.empty() || s.size() > 8)
        return std::nullopt;
    DWORD value = 0;
    for (char c : s) {
        int d = HexDigitValue(c);
        if (d < 0)
            return std::nullopt;
        value = value * 16 + DWORD(d);
    }
    return value;
}

std::optional<std::string> ReadHexBytes(std::string_view s)
{
    std::string out;
    s = Trim(s);
    if (s.empty())
        return out;
    std::size_t start = 0;
    for (;;) {
        std::size_t comma = s.find(',', start);
        std::string_view token =
            Trim(s.substr(start, comma == std::string_view::npos ? s.npos : comma - start));
        bool lastToken = comma == std::string_view::npos;
        // A trailing comma is allowed, as exports leave one before a wrap.
        if (token.empty() && lastToken && start > 0)
            return out;
        auto value = token.size() > 2 ? std::nullopt : ReadHexNumber(token);
        if (!value)
            return std::nullopt;
        out += char(*value);
        if (lastToken)
            return out;
        start = comma + 1;
    }
}

using ParseResult = std::expected<void, std::string>;

// Reads one value line ("name"=data or @=data) into the key.
ParseResult ReadValueLine(std::string_view line, RegistryKey& key)
{
    std::size_t pos = 0;
    std::string name;
    if (line[0] == '@') {
        pos = 1;
    } else {
        auto quoted = ReadQuoted(line, pos);
        if (!quoted)
            return std::unexpected("値の名前が「\"」で閉じられていません");
        name = DecodeName(*quoted);
    }
    std::string_view rest = Trim(line.substr(pos));
    if (rest.empty() || rest[0] != '=')
        return std::unexpected("値の名前の後に「=」がありません");
    rest = Trim(rest.substr(1));

    DWORD type = 0;
    std::string data;
    if (!rest.empty() && rest[0] == '"') {
        std::size_t p = 0;
        auto text = ReadQuoted(rest, p);
        if (!text)
            return std::unexpected("文字列が「\"」で閉じられていません");
        if (!Trim(rest.substr(p)).empty())
            return std::unexpected("文字列の後に余計な文字があります");
        type = kRegSz;
        data = Cp932FromUtf8(*text);
        data += '\0';
    } else if (StartsWithNoCase(rest, "hex:") || StartsWithNoCase(rest, "hex(")) {
        // hex: is REG_BINARY; hex(type): names the type.
        type = kRegBinary;
        std::size_t start = 4;
        if (rest[3] == '(') {
            std::size_t close = rest.find("):");
            auto number =
                close == std::string_view::npos ? std::nullopt : ReadHexNumber(rest.substr(4, close - 4));
            if (!number)
                return std::unexpected("値の種類が正しくありません");
            type = *number;
            start = close + 2;
        }
        auto bytes = ReadHexBytes(rest.substr(start));
        if (!bytes)
            return std::unexpected("16 進数のバイト列が正しくありません");
        data = std::move(*bytes);
    } else if (StartsWithNoCase(rest, "dword:")) {
        auto number = ReadHexNumber(Trim(rest.substr(6)));
        if (!number)
            return std::unexpected("dword の値が正しくありません");
        type = kRegDword;
        for (int i = 0; i < 4; ++i)
            data += char((*number >> (8 * i)) & 0xFF);
    } else if (rest == "-") {
        return std::unexpected("値の削除は扱えません");
    } else {
        return std::unexpected("値の形式が正しくありません");
    }
    key.PutValue(name, type, data);
    return {};
}

// Reads a key line [HKEY_CURRENT_USER\a\b] into its path.
std::expected<RegistryKey::Path, std::string> ReadKeyLine(std::string_view line)
{
    if (line.size() < 2 || line.back() != ']')
        return std::unexpected("キーの行が「]」で終わっていません");
    std::string_view inner = line.substr(1, line.size() - 2);
    if (!inner.empty() && inner[0] == '-')
        return std::unexpected("キーの削除は扱えません");
    RegistryKey::Path path;
    std::size_t start = 0;
    bool first = true;
    for (;;) {
        std::size_t sep = inner.find('\\', start);
        std::string_view part = inner.substr(start, sep == std::string_view::npos ? inner.npos : sep - start);
        if (first) {
            if (!RegistryKey::SameName(part, kRootName))
                return std::unexpected("キーが HKEY_CURRENT_USER の下にありません");
            first = false;
        } else {
            // A name of characters code page 932 leaves out altogether (a
            // byte order mark) is empty too.
            std::string name = DecodeName(part);
            if (name.empty())
                return std::unexpected("キーの名前が空です");
            if (path.size() == kMaxKeyDepth)
                return std::unexpected("キーの階層が深すぎます (512 段まで)");
            path.push_back(std::move(name));
        }
        if (sep == std::string_view::npos)
            return path;
        start = sep + 1;
    }
}

} // namespace

std::expected<RegistryKey, RegistryExport::ParseError> RegistryExport::Parse(std::string_view bytes)
{
    if (bytes.starts_with("\xEF\xBB\xBF"))
        bytes.remove_prefix(3);
    auto fail = [](int line, std::string reason) {
        return std::unexpected(ParseError{line, std::move(reason)});
    };
    if (std::size_t bad = FindBadUtf8(bytes); bad != std::string_view::npos) {
        int line = 1;
        for (std::size_t i = 0; i < bad; ++i)
            line += bytes[i] == '\n';
        return fail(line, "UTF-8 として読めないバイトがあります");
    }

    std::vector<std::string_view> lines;
    for (std::size_t start = 0; start <= bytes.size();) {
        std::size_t end = bytes.find('\n', start);
        std::string_view line = bytes.substr(start, end == bytes.npos ? bytes.npos : end - start);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.push_back(line);
        if (end == bytes.npos)
            break;
        start = end + 1;
    }

    RegistryKey root;
    RegistryKey* current = nullptr;
    // The last key line's path and its keys, level by level. Making a key
    // below one of them moves only that key's subkeys, which are then
    // replaced in the list.
    RegistryKey::Path lastPath;
    std::vector<RegistryKey*> lastKeys;
    bool header = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        int lineNo = int(i) + 1;
        std::string_view line = Trim(lines[i]);
        if (line.empty() || line[0] == ';')
            continue;
        if (!header) {
            if (line != kHeader)
                return fail(lineNo, "先頭行が「Windows Registry Editor Version 5.00」ではありません");
            header = true;
            continue;
        }
        if (line[0] == '[') {
            auto path = ReadKeyLine(line);
            if (!path)
                return fail(lineNo, path.error());
            // Key lines share the start of their paths with the line before
            // (an export lists a key's subkeys after it): the keys of the
            // shared start are taken from that line instead of looked up.
            std::size_t shared = 0;
            while (shared < path->size() && shared < lastPath.size() && (*path)[shared] == lastPath[shared])
                ++shared;
            lastKeys.resize(shared);
            bool created = false;
            for (std::size_t level = shared; level < path->size(); ++level)
                lastKeys.push_back(
                    &(level == 0 ? root : *lastKeys.back()).EnsureChild((*path)[level], created));
            current = lastKeys.empty() ? &root : lastKeys.back();
            lastPath = std::move(*path);
            continue;
        }
        if (line[0] == '"' || line[0] == '@') {
            if (!current)
                return fail(lineNo, "キーの行より前に値があります");
            // A line ending in "\" goes on in the next line.
            std::string logical(line);
            while (!logical.empty() && logical.back() == '\\') {
                logical.pop_back();
                if (++i >= lines.size())
                    return fail(lineNo, "行が「\\」で終わったままファイルが終わっています");
                logical += Trim(lines[i]);
            }
            if (auto read = ReadValueLine(logical, *current); !read)
                return fail(lineNo, read.error());
            continue;
        }
        return fail(lineNo, "行の形式が正しくありません");
    }
    // A file with nothing in it (not even the first line) is an empty hive.
    return root;
}

std::string RegistryExport::Serialise(const RegistryKey& root)
{
    std::string out(kHeader);
    out += "\n\n";
    std::string rootName(kRootName);
    AppendKey(out, root, rootName, true);
    return out;
}
