#include "platform/registry/RegistryHive.h"

#include "platform/text/HexDigit.h"
#include "platform/text/Sjis.h"

#include <QString>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00";
constexpr std::string_view kRootName = "HKEY_CURRENT_USER";
constexpr DWORD kRegSz = 1;
constexpr DWORD kRegBinary = 3;
constexpr DWORD kRegDword = 4;
// Lines of hex bytes are wrapped before this column, as exports do.
constexpr std::size_t kHexLineWidth = 77;

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

long long Nanoseconds(const timespec& t)
{
    return (long long)t.tv_sec * 1000000000LL + t.tv_nsec;
}

RegistryHive::FileStamp StampOf(const struct stat& st)
{
    RegistryHive::FileStamp s;
    s.exists = true;
    s.device = st.st_dev;
    s.inode = st.st_ino;
    s.size = st.st_size;
    s.mtimeNs = Nanoseconds(st.st_mtim);
    s.ctimeNs = Nanoseconds(st.st_ctim);
    return s;
}

// The stamp of the file now; a file that cannot be looked at counts as absent
// (reading it then tells why).
RegistryHive::FileStamp StampOfPath(const std::string& path)
{
    struct stat st;
    if (::stat(path.c_str(), &st) != 0)
        return {};
    return StampOf(st);
}

LONG FromErrno(int e)
{
    switch (e) {
    case EACCES:
    case EPERM:
    case EROFS: return ERROR_ACCESS_DENIED;
    case ENOMEM: return ERROR_NOT_ENOUGH_MEMORY;
    default: return ERROR_CANTWRITE;
    }
}

std::string ErrnoText(int e)
{
    return std::strerror(e);
}

std::string ParentFolder(const std::string& path)
{
    std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

// Creates the folder and any missing folders above it, each readable only by
// the user (0700) as configuration folders should be. Returns 0 or an errno.
int MakeFolders(const std::string& dir)
{
    struct stat st;
    if (::stat(dir.c_str(), &st) == 0)
        return S_ISDIR(st.st_mode) ? 0 : ENOTDIR;
    std::size_t pos = 0;
    while (pos != std::string::npos) {
        pos = dir.find('/', pos + 1);
        std::string prefix = dir.substr(0, pos);
        if (prefix.empty())
            continue;
        if (::mkdir(prefix.c_str(), 0700) == 0) {
            // The umask may have taken bits away.
            ::chmod(prefix.c_str(), 0700);
            continue;
        }
        int e = errno;
        if (e != EEXIST)
            return e;
        if (::stat(prefix.c_str(), &st) != 0)
            return errno;
        if (!S_ISDIR(st.st_mode))
            return ENOTDIR;
    }
    return 0;
}

// Reads a whole regular file. Returns 0 or an errno (ENOENT when it is not
// there).
int ReadWholeFile(const std::string& path, std::string& bytes, RegistryHive::FileStamp& stamp)
{
    // O_NONBLOCK so that a FIFO put in the file's place cannot hang the program.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return errno;
    struct stat st;
    if (::fstat(fd, &st) != 0) {
        int e = errno;
        ::close(fd);
        return e;
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        return S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
    }
    bytes.clear();
    bytes.reserve(std::size_t(st.st_size));
    char buffer[65536];
    for (;;) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            int e = errno;
            ::close(fd);
            return e;
        }
        if (n == 0)
            break;
        bytes.append(buffer, std::size_t(n));
    }
    stamp = StampOf(st);
    ::close(fd);
    return 0;
}

// Writes the text to path.tmp, makes it durable and renames it over the path,
// so the hive is always either the old or the new file. Returns 0 or an errno;
// on failure the old file is untouched and the temporary file removed.
int ReplaceFile(const std::string& path, const std::string& text, RegistryHive::FileStamp& stamp)
{
    std::string tmp = path + ".tmp";
    // O_NOFOLLOW: never write through a link someone put there.
    int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return errno;
    auto fail = [&](int e) {
        ::close(fd);
        ::unlink(tmp.c_str());
        return e;
    };
    // The mode given to open is subject to the umask and does not apply to a
    // leftover file; the hive holds passwords, so make it 0600 either way.
    if (::fchmod(fd, 0600) != 0)
        return fail(errno);
    const char* p = text.data();
    std::size_t left = text.size();
    while (left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return fail(errno);
        }
        p += n;
        left -= std::size_t(n);
    }
    if (::fsync(fd) != 0)
        return fail(errno);
    if (::rename(tmp.c_str(), path.c_str()) != 0)
        return fail(errno);
    struct stat st;
    if (::fstat(fd, &st) == 0)
        stamp = StampOf(st);
    else
        stamp = StampOfPath(path);
    ::close(fd);
    // Make the rename itself durable.
    int dirFd = ::open(ParentFolder(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return 0;
}

// Renames a bad hive to path.bad, path.bad.1, ... never replacing a file that
// is already there. Returns 0 and the new name, or an errno.
int MoveAside(const std::string& path, std::string& movedTo)
{
    for (int n = 0; n < 10000; ++n) {
        std::string candidate = path + ".bad" + (n == 0 ? std::string() : "." + std::to_string(n));
        if (::renameat2(AT_FDCWD, path.c_str(), AT_FDCWD, candidate.c_str(), RENAME_NOREPLACE) == 0) {
            movedTo = candidate;
            return 0;
        }
        int e = errno;
        if (e == EEXIST)
            continue;
        if (e != EINVAL && e != ENOSYS)
            return e;
        // A file system without RENAME_NOREPLACE: link() does not replace
        // either.
        if (::link(path.c_str(), candidate.c_str()) != 0) {
            if (errno == EEXIST)
                continue;
            return errno;
        }
        if (::unlink(path.c_str()) != 0) {
            e = errno;
            ::unlink(candidate.c_str());
            return e;
        }
        movedTo = candidate;
        return 0;
    }
    return EEXIST;
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

// The UTF-8 form of code page 932 text, when converting it back gives the
// very same bytes (some characters have two codes, and only one comes back).
// Invalid bytes need no test of their own: they read as U+FFFD, which comes
// back as a "?" they cannot have been.
std::optional<std::string> ExactUtf8(std::string_view bytes)
{
    QString text = sjis::ToUnicode(bytes);
    if (sjis::FromUnicode(text) != bytes)
        return std::nullopt;
    QByteArray utf8 = text.toUtf8();
    return std::string(utf8.constData(), std::size_t(utf8.size()));
}

bool MustEscapeByte(unsigned char b)
{
    return b == '%' || b < 0x20 || b == 0x7F;
}

void AppendPercent(std::string& out, unsigned char b)
{
    out += '%';
    AppendHexByte(out, b, true);
}

// A key or value name as it is written in the file (see the header).
std::string EncodeName(std::string_view name)
{
    bool plain = true;
    for (char c : name)
        plain = plain && !MustEscapeByte(static_cast<unsigned char>(c));
    if (plain)
        if (auto utf8 = ExactUtf8(name))
            return *utf8;
    std::string out;
    for (std::size_t i = 0; i < name.size();) {
        std::size_t n = (IsLead(name[i]) && i + 1 < name.size()) ? 2 : 1;
        std::string_view ch = name.substr(i, n);
        unsigned char first = static_cast<unsigned char>(ch[0]);
        if (n == 1 && MustEscapeByte(first))
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
            out += sjis::FromUtf8(utf8.substr(runStart, i - runStart));
            out += char(HexDigitValue(utf8[i + 1]) * 16 + HexDigitValue(utf8[i + 2]));
            i += 3;
            runStart = i;
        } else {
            ++i;
        }
    }
    out += sjis::FromUtf8(utf8.substr(runStart));
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
std::optional<std::string> TextForm(const RegistryHive::Value& v)
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

void AppendValue(std::string& out, const RegistryHive::Value& v)
{
    std::size_t lineStart = out.size();
    out += v.name.empty() ? std::string("@") : Quote(EncodeName(v.name));
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

void AppendKey(std::string& out, const RegistryHive::Key& key, const std::string& fullName, bool isRoot)
{
    if (!isRoot || !key.values.empty()) {
        out += '[';
        out += fullName;
        out += "]\n";
        for (const auto& v : key.values)
            AppendValue(out, v);
        out += '\n';
    }
    for (const auto& child : key.children)
        AppendKey(out, child, fullName + "\\" + EncodeName(child.name), false);
}

RegistryHive::Key* FindChild(RegistryHive::Key& key, std::string_view name)
{
    for (auto& child : key.children)
        if (RegistryHive::SameName(child.name, name))
            return &child;
    return nullptr;
}

RegistryHive::Key* FindKey(RegistryHive::Key& root, const RegistryHive::KeyPath& path)
{
    RegistryHive::Key* key = &root;
    for (const auto& name : path) {
        key = FindChild(*key, name);
        if (!key)
            return nullptr;
    }
    return key;
}

RegistryHive::Key& EnsureKey(RegistryHive::Key& root, const RegistryHive::KeyPath& path, bool& created)
{
    RegistryHive::Key* key = &root;
    for (const auto& name : path) {
        RegistryHive::Key* child = FindChild(*key, name);
        if (!child) {
            key->children.push_back(RegistryHive::Key{name, {}, {}});
            child = &key->children.back();
            created = true;
        }
        key = child;
    }
    return *key;
}

RegistryHive::Value* FindValue(RegistryHive::Key& key, std::string_view name)
{
    for (auto& v : key.values)
        if (RegistryHive::SameName(v.name, name))
            return &v;
    return nullptr;
}

// Stores a value; false when it was already stored just so.
bool PutValue(RegistryHive::Key& key, std::string_view name, DWORD type, std::string_view data)
{
    if (RegistryHive::Value* v = FindValue(key, name)) {
        if (v->type == type && v->data == data)
            return false;
        v->type = type;
        v->data.assign(data);
        return true;
    }
    key.values.push_back(RegistryHive::Value{std::string(name), type, std::string(data)});
    return true;
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
ParseResult ReadValueLine(std::string_view line, RegistryHive::Key& key)
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
        data = sjis::FromUtf8(*text);
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
    PutValue(key, name, type, data);
    return {};
}

// Reads a key line [HKEY_CURRENT_USER\a\b] into its path.
std::expected<RegistryHive::KeyPath, std::string> ReadKeyLine(std::string_view line)
{
    if (line.size() < 2 || line.back() != ']')
        return std::unexpected("キーの行が「]」で終わっていません");
    std::string_view inner = line.substr(1, line.size() - 2);
    if (!inner.empty() && inner[0] == '-')
        return std::unexpected("キーの削除は扱えません");
    RegistryHive::KeyPath path;
    std::size_t start = 0;
    bool first = true;
    for (;;) {
        std::size_t sep = inner.find('\\', start);
        std::string_view part = inner.substr(start, sep == std::string_view::npos ? inner.npos : sep - start);
        if (first) {
            if (!RegistryHive::SameName(part, kRootName))
                return std::unexpected("キーが HKEY_CURRENT_USER の下にありません");
            first = false;
        } else {
            if (part.empty())
                return std::unexpected("キーの名前が空です");
            path.push_back(DecodeName(part));
        }
        if (sep == std::string_view::npos)
            return path;
        start = sep + 1;
    }
}

} // namespace

class RegistryHive::LockFile {
public:
    LockFile() = default;
    ~LockFile()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    LockFile(const LockFile&) = delete;
    LockFile& operator=(const LockFile&) = delete;

    // Returns 0 or an errno.
    int Open(const std::string& path)
    {
        fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        return fd_ < 0 ? errno : 0;
    }
    // LOCK_SH or LOCK_EX; a shared lock is turned into an exclusive one.
    int Lock(int operation)
    {
        while (::flock(fd_, operation) != 0)
            if (errno != EINTR)
                return errno;
        held_ = true;
        return 0;
    }
    bool held() const { return held_; }

private:
    int fd_ = -1;
    bool held_ = false;
};

RegistryHive& RegistryHive::Instance()
{
    // Never destroyed, so that code running at exit may still use it.
    static RegistryHive* hive = new RegistryHive;
    return *hive;
}

std::string RegistryHive::HivePath()
{
    std::string base;
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    // A relative XDG_CONFIG_HOME is invalid and ignored.
    if (xdg && xdg[0] == '/') {
        base = xdg;
    } else {
        const char* home = std::getenv("HOME");
        std::string homeDir;
        if (home && home[0] != '\0') {
            homeDir = home;
        } else {
            passwd pw;
            passwd* found = nullptr;
            char buffer[4096];
            if (getpwuid_r(getuid(), &pw, buffer, sizeof buffer, &found) == 0 && found && found->pw_dir)
                homeDir = found->pw_dir;
        }
        if (homeDir.empty())
            return {};
        base = homeDir + "/.config";
    }
    while (base.size() > 1 && base.back() == '/')
        base.pop_back();
    return base + "/kestrix/registry.reg";
}

RegistryHive::KeyPath RegistryHive::SplitPath(std::string_view path)
{
    KeyPath names;
    std::string current;
    for (std::size_t i = 0; i < path.size(); ++i) {
        char c = path[i];
        if (IsLead(c) && i + 1 < path.size()) {
            current += c;
            current += path[++i];
        } else if (c == '\\') {
            if (!current.empty())
                names.push_back(std::move(current));
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.empty())
        names.push_back(std::move(current));
    return names;
}

bool RegistryHive::SameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (IsLead(a[i]) && i + 1 < a.size()) {
            // The trail byte may look like an ASCII letter; it is not one.
            if (a[i] != b[i] || a[i + 1] != b[i + 1])
                return false;
            ++i;
        } else if (AsciiLower(a[i]) != AsciiLower(b[i])) {
            return false;
        }
    }
    return true;
}

std::expected<RegistryHive::Key, RegistryHive::ParseError> RegistryHive::Parse(std::string_view bytes)
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

    Key root;
    Key* current = nullptr;
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
            bool created = false;
            current = &EnsureKey(root, *path, created);
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

std::string RegistryHive::Serialise(const Key& root)
{
    std::string out(kHeader);
    out += "\n\n";
    AppendKey(out, root, std::string(kRootName), true);
    return out;
}

void RegistryHive::SetProblemHandler(std::function<void(const std::string&)> handler)
{
    std::lock_guard guard(handlerMutex_);
    handler_ = std::move(handler);
}

void RegistryHive::Deliver(std::vector<std::string> messages)
{
    if (messages.empty())
        return;
    std::function<void(const std::string&)> handler;
    {
        std::lock_guard guard(handlerMutex_);
        handler = handler_;
    }
    for (const auto& message : messages) {
        if (handler)
            handler(message);
        else
            std::fprintf(stderr, "%s\n", message.c_str());
    }
}

void RegistryHive::DropCache()
{
    std::lock_guard guard(mutex_);
    Forget("");
}

void RegistryHive::Forget(const std::string& path)
{
    loadedPath_ = path;
    loadedStamp_ = {};
    root_ = {};
    writeBlocked_ = false;
}

void RegistryHive::ReportOnce(const std::string& path, const FileStamp& stamp, std::string message)
{
    if (path == reportedPath_ && stamp == reportedStamp_)
        return;
    reportedPath_ = path;
    reportedStamp_ = stamp;
    pending_.push_back(std::move(message));
}

void RegistryHive::Load(const std::string& path, LockFile& lock, bool exclusive)
{
    std::string bytes;
    FileStamp stamp;
    int e = ReadWholeFile(path, bytes, stamp);
    Forget(path);
    if (e == ENOENT || e == ENOTDIR) {
        loadedStamp_ = StampOfPath(path);
        return;
    }
    if (e != 0) {
        // Not parsed, so not known to be bad: leave it where it is, and do
        // not replace it with an empty hive either.
        loadedStamp_ = StampOfPath(path);
        writeBlocked_ = true;
        ReportOnce(path, loadedStamp_,
                   "設定ファイル「" + path + "」を読めませんでした（" + ErrnoText(e) +
                       "）。空の設定で続けますが、設定は保存されません。");
        return;
    }
    auto parsed = Parse(bytes);
    if (parsed) {
        root_ = std::move(*parsed);
        loadedStamp_ = stamp;
        return;
    }
    if (!exclusive) {
        // Moving the file needs the exclusive lock; another process may have
        // replaced the file by the time we hold it, so read it again.
        if (lock.held())
            lock.Lock(LOCK_EX);
        Load(path, lock, true);
        return;
    }
    std::string why = std::to_string(parsed.error().line) + " 行目: " + parsed.error().reason;
    std::string movedTo;
    int me = MoveAside(path, movedTo);
    if (me == 0) {
        loadedStamp_ = StampOfPath(path);
        pending_.push_back("設定ファイル「" + path + "」を読めませんでした（" + why + "）。「" + movedTo +
                           "」に移して、空の設定で続けます。");
        return;
    }
    loadedStamp_ = stamp;
    writeBlocked_ = true;
    ReportOnce(path, stamp,
               "設定ファイル「" + path + "」を読めませんでした（" + why + "）。別の名前に移せなかったため（" +
                   ErrnoText(me) + "）、空の設定で続けますが、設定は保存されません。");
}

std::string RegistryHive::Refresh()
{
    std::string path = HivePath();
    if (path.empty()) {
        Forget("");
        return path;
    }
    if (path == loadedPath_ && StampOfPath(path) == loadedStamp_)
        return path;
    LockFile lock;
    // Without a folder there is neither a lock file nor a hive; read anyway.
    if (lock.Open(path + ".lock") == 0)
        lock.Lock(LOCK_SH);
    Load(path, lock, false);
    return path;
}

LONG RegistryHive::Write(const std::string& path, const std::function<bool(Key&)>& change)
{
    if (path.empty())
        return ERROR_CANTWRITE;
    if (int e = MakeFolders(ParentFolder(path)))
        return FromErrno(e);
    LockFile lock;
    if (int e = lock.Open(path + ".lock"))
        return FromErrno(e);
    if (int e = lock.Lock(LOCK_EX))
        return FromErrno(e);
    // Another process may have written since we read: start from its file so
    // that its changes are kept.
    if (path != loadedPath_ || StampOfPath(path) != loadedStamp_)
        Load(path, lock, true);
    if (writeBlocked_)
        return ERROR_BADDB;
    Key next = root_;
    if (!change(next))
        return ERROR_SUCCESS;
    FileStamp stamp;
    if (int e = ReplaceFile(path, Serialise(next), stamp))
        return FromErrno(e);
    root_ = std::move(next);
    loadedStamp_ = stamp;
    return ERROR_SUCCESS;
}

template <typename Operation> LONG RegistryHive::Locked(Operation&& operation)
{
    LONG result;
    std::vector<std::string> messages;
    {
        std::lock_guard guard(mutex_);
        const std::string path = Refresh();
        result = operation(path);
        messages.swap(pending_);
    }
    Deliver(std::move(messages));
    return result;
}

LONG RegistryHive::OpenKey(const KeyPath& path)
{
    return Locked(
        [&](const std::string&) { return FindKey(root_, path) ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND; });
}

LONG RegistryHive::CreateKey(const KeyPath& path, bool& created)
{
    created = false;
    return Locked([&](const std::string& file) {
        // Opening a key that is there needs no write (nor a writable folder).
        if (FindKey(root_, path))
            return ERROR_SUCCESS;
        LONG result = Write(file, [&](Key& root) {
            bool isNew = false;
            EnsureKey(root, path, isNew);
            created = isNew;
            return isNew;
        });
        if (result != ERROR_SUCCESS)
            created = false;
        return result;
    });
}

LONG RegistryHive::QueryValue(const KeyPath& path, std::string_view name, DWORD& type, std::string& data)
{
    return Locked([&](const std::string&) {
        Key* key = FindKey(root_, path);
        Value* v = key ? FindValue(*key, name) : nullptr;
        if (!v)
            return ERROR_FILE_NOT_FOUND;
        type = v->type;
        data = v->data;
        return ERROR_SUCCESS;
    });
}

LONG RegistryHive::SetValue(const KeyPath& path, std::string_view name, DWORD type, std::string_view data)
{
    return Locked([&](const std::string& file) {
        Key* key = FindKey(root_, path);
        Value* v = key ? FindValue(*key, name) : nullptr;
        // Storing what the file already holds needs no write.
        if (v && v->type == type && v->data == data)
            return ERROR_SUCCESS;
        return Write(file, [&](Key& root) {
            bool created = false;
            return PutValue(EnsureKey(root, path, created), name, type, data);
        });
    });
}
