// The user's persistent settings: three keys under the current user, each
// opened by its reader when it needs the values and written in groups by the
// settings dialog. This file fixes every key, value name, stored type, width
// and default, and the read and write operations the windows use.
#pragma once

#include "platform/base/WinTypes.h"

#include <string>
#include <string_view>
#include <vector>

struct RegKeyObject;

namespace settings {

inline constexpr const char* kFontKey = "software\\KESTRIX\\FONTSETTING";
inline constexpr const char* kFtpKey = "software\\KESTRIX\\FTPSETTING";
inline constexpr const char* kAppKey = "software\\KESTRIX\\APPSETTING";
inline constexpr const char* kVersionKey = "software\\KESTRIX\\VERSIONSETTING";

inline constexpr const char* kEditCharSet = "EDIT_CharSet";
inline constexpr const char* kEditFace = "EDIT_Face";
inline constexpr const char* kEditSize = "EDIT_Size";
inline constexpr const char* kCommandColor = "COMMAND_Color";
inline constexpr const char* kCommentColor = "COMMENT_Color";
inline constexpr const char* kTipFlag = "TIP_Flag";
inline constexpr const char* kFtpUrl = "FTP_URL";
inline constexpr const char* kUserId = "USER_ID";
inline constexpr const char* kUserPass = "USER_PASS";
inline constexpr const char* kHtmlApp = "HTML_APP";
inline constexpr const char* kPerlApp = "PERL_APP";
inline constexpr const char* kWebApp = "WEB_APP";
inline constexpr const char* kRootDir = "ROOT_DIR";
inline constexpr const char* kLocalhostIp = "LOCALHOST_IP";
inline constexpr const char* kVersionCount = "VERSION_Count";
inline constexpr const char* kVersionMegabytes = "VERSION_MegaBytes";

// "ＭＳ　明朝" in code page 932: the default editor face.
inline constexpr std::string_view kDefaultFace = "\x82\x6C\x82\x72\x81\x40\x96\xBE\x92\xA9";
inline constexpr BYTE kDefaultCharSet = 1; // DEFAULT_CHARSET
inline constexpr std::size_t kMaxFaceBytes = 31;

// ---- the read and write algorithms every reader and writer shares ----

// Reads a string of unknown length: a first query learns the size, a
// zero-filled buffer of that size takes the value, and the text runs to the
// first NUL. A missing value gives an empty text and false.
bool ReadSizedString(RegKeyObject* key, const char* name, std::string& text);

// Reads a string into a zero-filled buffer of a fixed size and takes the
// text up to the first NUL. A value longer than the buffer is not cut in
// half: it reads as empty, with false.
bool ReadFixedString(RegKeyObject* key, const char* name, DWORD bufferSize, std::string& text);

// Reads a number of exactly the field's width (1 or 4 bytes, little-endian).
// False, with the field unchanged, when the value is missing or has another
// width.
bool ReadByte(RegKeyObject* key, const char* name, BYTE& field);
bool ReadLong(RegKeyObject* key, const char* name, LONG& field);
bool ReadColor(RegKeyObject* key, const char* name, COLORREF& field);

// One value of a group as it is written: its stored type and exact bytes.
struct ValueWrite {
    const char* name;
    DWORD type;
    std::string bytes;
};
ValueWrite StringValue(const char* name, const std::string& text); // REG_SZ with its NUL
ValueWrite FaceValue(const std::string& face);                     // REG_SZ without a NUL
ValueWrite ByteValue(const char* name, BYTE value);                // REG_NONE, 1 byte
ValueWrite LongValue(const char* name, DWORD value);               // REG_NONE, 4 bytes

// Writes a group: creates or opens the key, writes the values in order,
// stops at the first failure and closes the key. Returns 0 when every value
// was written, else the last-error code taken after the key was closed.
DWORD WriteGroup(const char* keyPath, const std::vector<ValueWrite>& values);

// ---- the groups ----

struct FontSettings {
    std::string face;
    BYTE charSet = kDefaultCharSet;
    LONG heightTwips = 0;
    COLORREF commandColor = 0;
    COLORREF commentColor = 0;
    BYTE tipFlag = 0;
};

// What an editor view reads at its creation; a missing key or value keeps
// the view's defaults (200 twips, commands blue, comments green).
struct ViewFont {
    std::string face{kDefaultFace};
    BYTE charSet = kDefaultCharSet;
    LONG heightTwips = 200;
    COLORREF commandColor = 0x00FF0000;
    COLORREF commentColor = 0x0000FF00;
};
ViewFont LoadViewFont();

// The settings dialog's defaults: the values the editor uses when none are
// stored (200 twips, commands blue, comments green, tips on).
FontSettings DialogFontDefaults();
// The settings dialog's read. A value missing under an existing key takes
// the dialog's default, as a missing key would.
FontSettings LoadFontSettings();
// The values the dialog computed, written in the stored order.
DWORD SaveFontSettings(const FontSettings& font);

// The command-data loader's read of "TIP_Flag": the switch keeps its value
// when the key or value is missing.
void ReadTipFlag(BYTE& tipSwitch);

struct FtpAccount {
    std::string url;
    std::string user;
    std::string password;
};
// The settings dialog's read: creates the key when it is missing (so the key
// exists once the dialog has opened), 260-byte buffers.
FtpAccount LoadFtpAccountForDialog();
// The FTP browser's read, 100-byte buffers: false, all empty, without the key.
bool LoadFtpAccount(FtpAccount& account);
DWORD SaveFtpAccount(const FtpAccount& account);

struct AppPaths {
    std::string htmlApp;
    std::string perlApp;
};
AppPaths LoadAppPaths();
DWORD SaveAppPaths(const AppPaths& paths);

struct WebServerSettings {
    std::string webApp;
    std::string rootDir;
    std::string localhostIp;
};
WebServerSettings LoadWebServerSettings();
DWORD SaveWebServerSettings(const WebServerSettings& web);

// The Perl interpreter's path for the debug console and the syntax check,
// read in full whatever its length; false, with the path empty, when the
// key is missing.
bool ReadPerlPath(std::string& path);
// The project tree's HTML editor path; false, empty, when the key is missing.
bool ReadHtmlAppPath(std::string& path);

// How many previous versions a save keeps per file, and how many megabytes
// the whole store may hold. A missing key or value keeps the default; a
// count of 0 keeps none.
struct VersionSettings {
    LONG count = 20;
    LONG megabytes = 50;
};
VersionSettings LoadVersionSettings();
DWORD SaveVersionSettings(const VersionSettings& versions);

// ---- the size box of the settings dialog ----

inline constexpr int kSizeEmpty = -1;
inline constexpr int kSizeTrailingText = -2;

// The size text in points as twips: -1 for an empty text, -2 for text after
// the number (or no number at all), 0 for a negative size.
int ReadSizeTwips(std::string_view text);
// Twips as the size box shows them: 240 "12", 210 "10.5", 120 "6"; a
// negative size gives an empty text.
std::string FormatSizeTwips(long twips);
// The height the dialog stores for a parse result: 0 becomes 100, and an
// empty box or one with text after the number keeps the height it loaded.
LONG HeightToStore(int parsedTwips, LONG loadedTwips);

} // namespace settings
