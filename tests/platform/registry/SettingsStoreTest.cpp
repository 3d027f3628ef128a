// The settings store: defaults of every reader, the exact stored types and
// bytes, the group writes and the settings dialog's size arithmetic.
#include "TempDir.h"

#include "platform/registry/Registry.h"
#include "platform/registry/SettingsStore.h"
#include "platform/text/Sjis.h"

#include "NamedCase.h"
#include <filesystem>

#include <gtest/gtest.h>

using namespace settings;

namespace {

class SettingsStore : public ::testing::Test {
protected:
    TempDir config_;
    ScopedEnv xdg_{"XDG_CONFIG_HOME", config_.path()};

    // The stored type and bytes of a value, read through the registry.
    static std::pair<DWORD, std::string> Stored(const char* keyPath, const char* name)
    {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, keyPath, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
            return {0xFFFFFFFF, "<no key>"};
        DWORD size = 0;
        DWORD type = 0;
        std::string bytes;
        if (RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
            bytes.resize(size);
            RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(bytes.data()), &size);
        } else {
            bytes = "<no value>";
        }
        RegCloseKey(key);
        return {type, bytes};
    }

    static bool KeyExists(const char* keyPath)
    {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, keyPath, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
            return false;
        RegCloseKey(key);
        return true;
    }
};

TEST_F(SettingsStore, EveryReaderFallsBackToItsDefaultsWithoutKeys)
{
    FontSettings dialog = LoadFontSettings();
    EXPECT_EQ(dialog.face, kDefaultFace);
    EXPECT_EQ(sjis::ToUtf8(dialog.face), "ＭＳ　明朝");
    // The dialog shows what the editor uses.
    EXPECT_EQ(dialog.heightTwips, 200);
    EXPECT_EQ(FormatSizeTwips(dialog.heightTwips), "10");
    EXPECT_EQ(dialog.charSet, 1);
    EXPECT_EQ(dialog.commandColor, 0x00FF0000u);
    EXPECT_EQ(dialog.commentColor, 0x0000FF00u);
    EXPECT_EQ(dialog.tipFlag, 1);

    ViewFont view = LoadViewFont();
    EXPECT_EQ(view.face, kDefaultFace);
    EXPECT_EQ(view.heightTwips, 200);
    EXPECT_EQ(view.charSet, 1);
    EXPECT_EQ(view.commandColor, 0x00FF0000u);
    EXPECT_EQ(view.commentColor, 0x0000FF00u);

    BYTE tips = 1;
    ReadTipFlag(tips);
    EXPECT_EQ(tips, 1);

    FtpAccount ftp{"x", "y", "z"};
    EXPECT_FALSE(LoadFtpAccount(ftp));
    EXPECT_EQ(ftp.url + ftp.user + ftp.password, "");
    std::string path = "x";
    EXPECT_FALSE(ReadPerlPath(path));
    EXPECT_EQ(path, "");
    EXPECT_FALSE(ReadHtmlAppPath(path));
    EXPECT_EQ(LoadAppPaths().perlApp, "");
    EXPECT_EQ(LoadWebServerSettings().rootDir, "");

    // Nothing but the dialog's FTP read creates a key.
    EXPECT_FALSE(KeyExists(kFontKey));
    EXPECT_FALSE(KeyExists(kAppKey));
    EXPECT_FALSE(KeyExists(kFtpKey));
    LoadFtpAccountForDialog();
    EXPECT_TRUE(KeyExists(kFtpKey));
    EXPECT_TRUE(LoadFtpAccount(ftp)) << "the browser now finds the (empty) key";
}

TEST_F(SettingsStore, FontGroupIsStoredWithItsExactTypesAndWidths)
{
    FontSettings font{std::string(kDefaultFace), 128, 210, 0x00123456, 0x00ABCDEF, 1};
    ASSERT_EQ(SaveFontSettings(font), 0u);

    EXPECT_EQ(Stored(kFontKey, kEditCharSet), std::make_pair(REG_NONE, std::string("\x80", 1)));
    EXPECT_EQ(Stored(kFontKey, kEditFace), std::make_pair(REG_SZ, std::string(kDefaultFace)))
        << "the face is stored without a NUL";
    EXPECT_EQ(Stored(kFontKey, kEditSize), std::make_pair(REG_NONE, std::string("\xD2\0\0\0", 4)));
    EXPECT_EQ(Stored(kFontKey, kCommandColor), std::make_pair(REG_NONE, std::string("\x56\x34\x12\0", 4)));
    EXPECT_EQ(Stored(kFontKey, kCommentColor), std::make_pair(REG_NONE, std::string("\xEF\xCD\xAB\0", 4)));
    EXPECT_EQ(Stored(kFontKey, kTipFlag), std::make_pair(REG_NONE, std::string("\x01", 1)));

    FontSettings back = LoadFontSettings();
    EXPECT_EQ(back.face, font.face);
    EXPECT_EQ(back.charSet, 128);
    EXPECT_EQ(back.heightTwips, 210);
    EXPECT_EQ(back.commandColor, 0x00123456u);
    EXPECT_EQ(back.commentColor, 0x00ABCDEFu);
    EXPECT_EQ(back.tipFlag, 1);

    ViewFont view = LoadViewFont();
    EXPECT_EQ(view.face, font.face);
    EXPECT_EQ(view.heightTwips, 210);
    EXPECT_EQ(view.commandColor, 0x00123456u);
}

TEST_F(SettingsStore, LongFaceIsCutToTheFontLimit)
{
    ASSERT_EQ(SaveFontSettings({std::string(40, 'F'), 1, 200, 0, 0, 0}), 0u);
    EXPECT_EQ(Stored(kFontKey, kEditFace).second, std::string(31, 'F'));
}

TEST_F(SettingsStore, NumbersMissingUnderAnExistingKeyTakeTheDefaults)
{
    ASSERT_EQ(WriteGroup(kFontKey, {FaceValue("Gothic")}), 0u);
    FontSettings dialog = LoadFontSettings();
    EXPECT_EQ(dialog.face, "Gothic");
    EXPECT_EQ(dialog.heightTwips, 200);
    EXPECT_EQ(dialog.commandColor, 0x00FF0000u);
    EXPECT_EQ(dialog.tipFlag, 1);
    ViewFont view = LoadViewFont();
    EXPECT_EQ(view.face, "Gothic");
    EXPECT_EQ(view.heightTwips, 200);
    EXPECT_EQ(view.commentColor, 0x0000FF00u);
    BYTE tips = 1;
    ReadTipFlag(tips);
    EXPECT_EQ(tips, 1);
}

TEST_F(SettingsStore, NumberOfTheWrongWidthIsNotHalfRead)
{
    // A size stored as one byte must not fill a quarter of the height.
    ASSERT_EQ(WriteGroup(kFontKey, {ByteValue(kEditSize, 7)}), 0u);
    EXPECT_EQ(LoadViewFont().heightTwips, 200);
}

TEST_F(SettingsStore, StringsComeBackByteForByte)
{
    // "パス表ソ" has trail bytes 0x5C; a password is kept as typed.
    const std::string password = sjis::FromUtf8("パス表ソ\\x");
    ASSERT_EQ(SaveFtpAccount({"ftp.example.jp", "user", password}), 0u);
    EXPECT_EQ(Stored(kFtpKey, kUserPass), std::make_pair(REG_SZ, password + '\0'));
    FtpAccount dialog = LoadFtpAccountForDialog();
    EXPECT_EQ(dialog.password, password);
    FtpAccount browser;
    EXPECT_TRUE(LoadFtpAccount(browser));
    EXPECT_EQ(browser.url, "ftp.example.jp");
    EXPECT_EQ(browser.password, password);

    const std::string root = "C:\\Apache\\htdocs\\"; // kept exactly, trailing separator included
    ASSERT_EQ(SaveWebServerSettings({"/usr/sbin/httpd", root, "127.0.0.1"}), 0u);
    EXPECT_EQ(LoadWebServerSettings().rootDir, root);
}

TEST_F(SettingsStore, PathsOfAnyLengthAreReadInFull)
{
    std::string longPath = "/opt/" + std::string(3000, 'p') + "/perl";
    ASSERT_EQ(SaveAppPaths({"/usr/bin/html", longPath}), 0u);
    std::string path;
    EXPECT_TRUE(ReadPerlPath(path));
    EXPECT_EQ(path, longPath);
    EXPECT_EQ(LoadAppPaths().perlApp, longPath);
    EXPECT_TRUE(ReadHtmlAppPath(path));
    EXPECT_EQ(path, "/usr/bin/html");
}

TEST_F(SettingsStore, FixedBufferReadsNeverCutAText)
{
    // The FTP browser reads into 100 bytes; a longer server name reads as
    // empty rather than as the wrong server.
    ASSERT_EQ(SaveFtpAccount({std::string(150, 's'), "u", "p"}), 0u);
    FtpAccount browser;
    EXPECT_TRUE(LoadFtpAccount(browser));
    EXPECT_EQ(browser.url, "");
    EXPECT_EQ(browser.user, "u");
    EXPECT_EQ(LoadFtpAccountForDialog().url, std::string(150, 's'));
}

TEST_F(SettingsStore, FailedGroupWriteReportsTheErrorCode)
{
    // The settings folder is a file: nothing can be written under it.
    TempDir blocked;
    blocked.write("kestrix", "not a folder");
    ScopedEnv xdg("XDG_CONFIG_HOME", blocked.path());
    SetLastError(0);
    DWORD code = SaveFontSettings(DialogFontDefaults());
    EXPECT_NE(code, 0u);
    EXPECT_FALSE(SystemErrorText(code).empty());
    EXPECT_EQ(ReadFileBytes(blocked.file("kestrix")), "not a folder");
}

struct SizeCase {
    const char* name;
    std::string text;
    int twips;
};

class SizeParse : public ::testing::TestWithParam<SizeCase> {};

TEST_P(SizeParse, ReadsPointsAsTwips)
{
    EXPECT_EQ(ReadSizeTwips(GetParam().text), GetParam().twips);
}

INSTANTIATE_TEST_SUITE_P(Sizes, SizeParse,
                         ::testing::Values(SizeCase{"Whole", "12", 240}, SizeCase{"Half", "10.5", 210},
                                           SizeCase{"BlanksAround", " \t9 \t", 180},
                                           SizeCase{"Empty", "", -1}, SizeCase{"OnlyBlanks", "  \t", -1},
                                           SizeCase{"Zero", "0", 0}, SizeCase{"Negative", "-3", 0},
                                           SizeCase{"TextAfter", "12pt", -2}, SizeCase{"NoNumber", "abc", -2},
                                           SizeCase{"Exponent", "1e3", -2},
                                           SizeCase{"CommaIsNoDecimalMark", "10,5", -2},
                                           SizeCase{"FractionCut", "7.33", 146},
                                           SizeCase{"TooLarge", "999999999999", -2}),
                         CaseName);

TEST(SizeFormat, ShowsWholeAndHalfPoints)
{
    const std::pair<long, const char*> cases[] = {{240, "12"},   {210, "10.5"}, {120, "6"}, {200, "10"},
                                                  {205, "10.5"}, {195, "10"},   {0, "0"},   {-1, ""}};
    for (auto [twips, text] : cases)
        EXPECT_EQ(FormatSizeTwips(twips), text) << twips;
    // What the box shows reads back as the same size.
    for (long twips : {120L, 160L, 180L, 210L, 240L, 290L, 1440L})
        EXPECT_EQ(ReadSizeTwips(FormatSizeTwips(twips)), twips);
}

TEST(SizeFormat, StoredHeightNeverTakesAFailedParse)
{
    EXPECT_EQ(HeightToStore(0, 240), 100);
    EXPECT_EQ(HeightToStore(-1, 240), 240);
    EXPECT_EQ(HeightToStore(-2, 240), 240);
    EXPECT_EQ(HeightToStore(210, 240), 210);
}

} // namespace

TEST_F(SettingsStore, PreviousVersionLimitsHaveTheirOwnKeyAndSensibleDefaults)
{
    settings::VersionSettings defaults = settings::LoadVersionSettings();
    EXPECT_EQ(defaults.count, 20);
    EXPECT_EQ(defaults.megabytes, 50);
    ASSERT_EQ(settings::SaveVersionSettings({5, 2}), 0u);
    const settings::VersionSettings stored = settings::LoadVersionSettings();
    EXPECT_EQ(stored.count, 5);
    EXPECT_EQ(stored.megabytes, 2);
    // A negative number read from a hand-edited hive keeps nothing rather
    // than wrapping round to an endless store.
    ASSERT_EQ(settings::SaveVersionSettings({-3, -1}), 0u);
    EXPECT_EQ(settings::LoadVersionSettings().count, 0);
    EXPECT_EQ(settings::LoadVersionSettings().megabytes, 0);
}
