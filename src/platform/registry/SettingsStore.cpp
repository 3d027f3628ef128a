#include "platform/registry/SettingsStore.h"

#include "platform/registry/Registry.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstring>

namespace settings {
namespace {

// An open key that is closed when the reader is done with it.
class OpenKey {
public:
    explicit OpenKey(HKEY key = nullptr) : key_(key) {}
    ~OpenKey()
    {
        if (key_)
            RegCloseKey(key_);
    }
    OpenKey(const OpenKey&) = delete;
    OpenKey& operator=(const OpenKey&) = delete;
    HKEY get() const { return key_; }
    explicit operator bool() const { return key_ != nullptr; }

private:
    HKEY key_;
};

HKEY Open(const char* path)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return nullptr;
    return key;
}

HKEY Create(const char* path)
{
    HKEY key = nullptr;
    DWORD disposition = 0;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, const_cast<char*>(""), REG_OPTION_NON_VOLATILE,
                        KEY_ALL_ACCESS, nullptr, &key, &disposition) != ERROR_SUCCESS)
        return nullptr;
    return key;
}

std::string UpToNul(const std::vector<char>& buffer)
{
    return std::string(buffer.data(), strnlen(buffer.data(), buffer.size()));
}

// The face, cut to what the font settings hold; a missing or empty value
// leaves face as it is.
void ReadFace(HKEY key, DWORD bufferSize, std::string& face)
{
    std::string read;
    if (ReadFixedString(key, kEditFace, bufferSize, read) && !read.empty())
        face = read.substr(0, kMaxFaceBytes);
}

// The three FTP values, each in a buffer of the given size.
void ReadFtpAccount(HKEY key, DWORD bufferSize, FtpAccount& account)
{
    ReadFixedString(key, kFtpUrl, bufferSize, account.url);
    ReadFixedString(key, kUserId, bufferSize, account.user);
    ReadFixedString(key, kUserPass, bufferSize, account.password);
}

// One application path of the APPSETTING key, read in full; false, with the
// path empty, when the key is missing.
bool ReadAppPath(const char* name, std::string& path)
{
    path.clear();
    OpenKey key(Open(kAppKey));
    if (!key)
        return false;
    ReadSizedString(key.get(), name, path);
    return true;
}

template <typename T> bool ReadExact(HKEY key, const char* name, T& field)
{
    BYTE bytes[sizeof(T)] = {};
    DWORD size = sizeof bytes;
    if (RegQueryValueExA(key, name, nullptr, nullptr, bytes, &size) != ERROR_SUCCESS || size != sizeof(T))
        return false;
    T value = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i)
        value |= T(T(bytes[i]) << (8 * i));
    field = value;
    return true;
}

} // namespace

bool ReadSizedString(HKEY key, const char* name, std::string& text)
{
    text.clear();
    DWORD size = 0;
    if (RegQueryValueExA(key, name, nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS)
        return false;
    std::vector<char> buffer(std::size_t(size) + 1, '\0'); // one spare byte ends an unended text
    if (RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer.data()), &size) !=
        ERROR_SUCCESS)
        return false;
    text = UpToNul(buffer);
    return true;
}

bool ReadFixedString(HKEY key, const char* name, DWORD bufferSize, std::string& text)
{
    text.clear();
    std::vector<char> buffer(std::size_t(bufferSize) + 1, '\0');
    DWORD size = bufferSize;
    if (RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer.data()), &size) !=
        ERROR_SUCCESS)
        return false;
    buffer.resize(bufferSize); // the text ends within the caller's buffer
    text = UpToNul(buffer);
    return true;
}

bool ReadByte(HKEY key, const char* name, BYTE& field)
{
    return ReadExact(key, name, field);
}

bool ReadLong(HKEY key, const char* name, LONG& field)
{
    DWORD value = 0;
    if (!ReadExact(key, name, value))
        return false;
    field = LONG(value);
    return true;
}

bool ReadColor(HKEY key, const char* name, COLORREF& field)
{
    return ReadExact(key, name, field);
}

ValueWrite StringValue(const char* name, const std::string& text)
{
    return {name, REG_SZ, text + '\0'};
}

ValueWrite FaceValue(const std::string& face)
{
    return {kEditFace, REG_SZ, face.substr(0, kMaxFaceBytes)};
}

ValueWrite ByteValue(const char* name, BYTE value)
{
    return {name, REG_NONE, std::string(1, char(value))};
}

ValueWrite LongValue(const char* name, DWORD value)
{
    std::string bytes(4, '\0');
    for (int i = 0; i < 4; ++i)
        bytes[std::size_t(i)] = char((value >> (8 * i)) & 0xFF);
    return {name, REG_NONE, bytes};
}

DWORD WriteGroup(const char* keyPath, const std::vector<ValueWrite>& values)
{
    if (HKEY key = Create(keyPath)) {
        bool ok = true;
        for (const ValueWrite& value : values) {
            ok = RegSetValueExA(key, value.name, 0, value.type,
                                reinterpret_cast<const BYTE*>(value.bytes.data()),
                                DWORD(value.bytes.size())) == ERROR_SUCCESS;
            if (!ok)
                break;
        }
        RegCloseKey(key);
        if (ok)
            return 0;
    }
    // A failure whose code the system did not keep is still reported as one.
    DWORD code = GetLastError();
    return code ? code : DWORD(ERROR_CANTWRITE);
}

FontSettings DialogFontDefaults()
{
    FontSettings font;
    font.face = std::string(kDefaultFace);
    font.charSet = kDefaultCharSet;
    // What the editor uses while nothing is stored, so that OK on an
    // untouched dialog changes nothing.
    const ViewFont view;
    font.heightTwips = view.heightTwips;
    font.commandColor = view.commandColor;
    font.commentColor = view.commentColor;
    font.tipFlag = 1; // the tips start switched on
    return font;
}

FontSettings LoadFontSettings()
{
    FontSettings font = DialogFontDefaults();
    OpenKey key(Open(kFontKey));
    if (!key)
        return font;
    ReadByte(key.get(), kEditCharSet, font.charSet);
    ReadFace(key.get(), 260, font.face);
    ReadLong(key.get(), kEditSize, font.heightTwips);
    ReadColor(key.get(), kCommandColor, font.commandColor);
    ReadColor(key.get(), kCommentColor, font.commentColor);
    ReadByte(key.get(), kTipFlag, font.tipFlag);
    return font;
}

DWORD SaveFontSettings(const FontSettings& font)
{
    return WriteGroup(
        kFontKey, {ByteValue(kEditCharSet, font.charSet), FaceValue(font.face),
                   LongValue(kEditSize, DWORD(font.heightTwips)), LongValue(kCommandColor, font.commandColor),
                   LongValue(kCommentColor, font.commentColor), ByteValue(kTipFlag, font.tipFlag)});
}

ViewFont LoadViewFont()
{
    ViewFont font;
    OpenKey key(Open(kFontKey));
    if (!key)
        return font;
    ReadFace(key.get(), 100, font.face);
    ReadLong(key.get(), kEditSize, font.heightTwips);
    ReadByte(key.get(), kEditCharSet, font.charSet);
    ReadColor(key.get(), kCommentColor, font.commentColor);
    ReadColor(key.get(), kCommandColor, font.commandColor);
    return font;
}

VersionSettings LoadVersionSettings()
{
    VersionSettings versions;
    OpenKey key(Open(kVersionKey));
    if (!key)
        return versions;
    ReadLong(key.get(), kVersionCount, versions.count);
    ReadLong(key.get(), kVersionMegabytes, versions.megabytes);
    versions.count = std::max<LONG>(versions.count, 0);
    versions.megabytes = std::max<LONG>(versions.megabytes, 0);
    return versions;
}

DWORD SaveVersionSettings(const VersionSettings& versions)
{
    return WriteGroup(kVersionKey, {LongValue(kVersionCount, DWORD(versions.count)),
                                    LongValue(kVersionMegabytes, DWORD(versions.megabytes))});
}

void ReadTipFlag(BYTE& tipSwitch)
{
    OpenKey key(Open(kFontKey));
    if (key)
        ReadByte(key.get(), kTipFlag, tipSwitch);
}

FtpAccount LoadFtpAccountForDialog()
{
    FtpAccount account;
    OpenKey key(Create(kFtpKey));
    if (key)
        ReadFtpAccount(key.get(), 260, account);
    return account;
}

bool LoadFtpAccount(FtpAccount& account)
{
    account = {};
    OpenKey key(Open(kFtpKey));
    if (!key)
        return false;
    ReadFtpAccount(key.get(), 100, account);
    return true;
}

DWORD SaveFtpAccount(const FtpAccount& account)
{
    return WriteGroup(kFtpKey, {StringValue(kFtpUrl, account.url), StringValue(kUserId, account.user),
                                StringValue(kUserPass, account.password)});
}

AppPaths LoadAppPaths()
{
    AppPaths paths;
    OpenKey key(Open(kAppKey));
    if (!key)
        return paths;
    ReadSizedString(key.get(), kHtmlApp, paths.htmlApp);
    ReadSizedString(key.get(), kPerlApp, paths.perlApp);
    return paths;
}

DWORD SaveAppPaths(const AppPaths& paths)
{
    return WriteGroup(kAppKey, {StringValue(kHtmlApp, paths.htmlApp), StringValue(kPerlApp, paths.perlApp)});
}

WebServerSettings LoadWebServerSettings()
{
    WebServerSettings web;
    OpenKey key(Open(kAppKey));
    if (!key)
        return web;
    ReadSizedString(key.get(), kWebApp, web.webApp);
    ReadSizedString(key.get(), kRootDir, web.rootDir);
    ReadSizedString(key.get(), kLocalhostIp, web.localhostIp);
    return web;
}

DWORD SaveWebServerSettings(const WebServerSettings& web)
{
    return WriteGroup(kAppKey, {StringValue(kWebApp, web.webApp), StringValue(kRootDir, web.rootDir),
                                StringValue(kLocalhostIp, web.localhostIp)});
}

bool ReadPerlPath(std::string& path)
{
    return ReadAppPath(kPerlApp, path);
}

bool ReadHtmlAppPath(std::string& path)
{
    return ReadAppPath(kHtmlApp, path);
}

int ReadSizeTwips(std::string_view text)
{
    auto isBlank = [](char c) { return c == ' ' || c == '\t'; };
    std::size_t i = 0;
    while (i < text.size() && isBlank(text[i]))
        ++i;
    if (i == text.size())
        return kSizeEmpty;
    // Read the number without the user's locale, so "10.5" is ten and a half
    // whatever the desktop's decimal mark.
    bool negative = false;
    if (text[i] == '+' || text[i] == '-') {
        negative = text[i] == '-';
        ++i;
    }
    double value = 0;
    auto [end, ec] =
        std::from_chars(text.data() + i, text.data() + text.size(), value, std::chars_format::fixed);
    if (ec != std::errc() || !std::isfinite(value))
        return kSizeTrailingText;
    i = std::size_t(end - text.data());
    while (i < text.size() && isBlank(text[i]))
        ++i;
    if (i != text.size())
        return kSizeTrailingText;
    if (negative && value != 0)
        return 0;
    double twips = value * 20;
    // A size too large for the field is no size the box can show.
    if (twips >= double(INT_MAX))
        return kSizeTrailingText;
    return int(twips);
}

std::string FormatSizeTwips(long twips)
{
    if (twips < 0)
        return {};
    long halfPoints = (twips + 5) / 10;
    if (halfPoints % 2 == 0)
        return std::to_string((twips + 5) / 20);
    return std::to_string(halfPoints / 2) + ".5";
}

LONG HeightToStore(int parsedTwips, LONG loadedTwips)
{
    if (parsedTwips == 0)
        return 100;
    if (parsedTwips < 0)
        return loadedTwips;
    return parsedTwips;
}

} // namespace settings
