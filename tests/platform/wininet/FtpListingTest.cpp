#include "platform/wininet/FtpListing.h"
#include "NamedCase.h"
#include "platform/wininet/FtpServerAddress.h"

#include <gtest/gtest.h>

namespace {

struct ListCase {
    const char* name;
    std::string line;
    std::optional<FtpFindData> expected;
};

FtpFindData File(std::string name, std::uint64_t size)
{
    return {std::move(name), false, size};
}
FtpFindData Dir(std::string name)
{
    return {std::move(name), true, 0};
}

// Lines as real servers send them.
const ListCase kListCases[] = {
    {"Vsftpd", "-rw-r--r--    1 1000     1000         1234 Dec 07 10:00 index.cgi", File("index.cgi", 1234)},
    {"VsftpdDirectoryWithOldYear", "drwxr-xr-x    2 1000     1000         4096 Jan 31  2024 cgi-bin",
     Dir("cgi-bin")},
    {"ProFtpd", "-rw-r--r--   1 ftp      ftp            42 Dec  7  2025 readme.txt", File("readme.txt", 42)},
    {"PureFtpdEmptyFile", "-rw-r--r--    1 1000       1000                0 Dec  7 10:00 empty.txt",
     File("empty.txt", 0)},
    {"Pyftpdlib", "-rw-r--r--   1 user     user      1048576 Dec 07 10:00 big.bin", File("big.bin", 1048576)},
    {"NoGroupColumn", "-rw-r--r-- 1 ftp 5 Dec  7 10:00 a", File("a", 5)},
    {"LongIsoDate", "-rw-r--r-- 1 ftp ftp 12 2025-12-07 10:00 iso.txt", File("iso.txt", 12)},
    {"SymbolicLinkDropsItsTarget", "lrwxrwxrwx 1 root root 7 Dec  7 10:00 www -> htdocs", File("www", 7)},
    {"SizeOverFourGigabytes", "-rw-r--r-- 1 u g 5368709120 Dec  7 10:00 disk.img",
     File("disk.img", 5368709120ULL)},
    {"NameWithBlanksKeepsThemAll", "-rw-r--r-- 1 u g 3 Dec  7 10:00 my  file .txt", File("my  file .txt", 3)},
    {"NameThatLooksLikeADate", "-rw-r--r-- 1 u g 3 Dec  7 10:00 Dec  7 10:00", File("Dec  7 10:00", 3)},
    {"CrLfLineEnd", "drwxr-xr-x 2 u g 512 Dec  7 10:00 logs\r", Dir("logs")},
    {"JapaneseServerUtf8Month", "-rw-r--r--   1 owner    group       1024 12\xE6\x9C\x88  7 10:00 index.html",
     File("index.html", 1024)},
    {"JapaneseServerShiftJisMonthAndName",
     "drwxr-xr-x   2 owner    group        512  1\x8C\x8E 10  2025 \x93\xFA\x8B\x4C",
     Dir("\x93\xFA\x8B\x4C")},
    {"JapaneseServerEucMonthWithDayKanji", "-rw-r--r-- 1 o g 9 7\xB7\xEE 20\xC6\xFC 10:00 a.pl",
     File("a.pl", 9)},
    {"ShiftJisNameWithBackslashTrailByte", "-rw-r--r-- 1 u g 3 Dec  7 10:00 \x95\x5C.txt",
     File("\x95\x5C.txt", 3)},
    {"IisDirectory", "12-07-26  10:00AM       <DIR>          cgi-bin", Dir("cgi-bin")},
    {"IisFileWithBlanks", "12-07-26  10:00AM                 1234 my page.html", File("my page.html", 1234)},
    {"IisFourDigitYear", "12-07-2026  22:15                 77 a.cgi", File("a.cgi", 77)},
    {"TotalLineIsNoEntry", "total 24", std::nullopt},
    {"BlankLineIsNoEntry", "", std::nullopt},
    {"GarbageIsNoEntry", "550 No such file or directory", std::nullopt},
};

class ListLine : public testing::TestWithParam<ListCase> {};

TEST_P(ListLine, ReadsTheEntryTheServerMeant)
{
    EXPECT_EQ(ftplisting::ParseListLine(GetParam().line), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(ServerFamilies, ListLine, testing::ValuesIn(kListCases), CaseName);

TEST(ListStream, EveryLineOfAMixedListingIsReadInOrderAsOneStream)
{
    std::string stream = "total 24\r\n";
    std::vector<FtpFindData> expected;
    for (const auto& c : kListCases) {
        stream += c.line;
        if (!stream.ends_with('\r'))
            stream += "\r";
        stream += "\n";
        if (c.expected)
            expected.push_back(*c.expected);
    }
    EXPECT_EQ(ftplisting::ParseList(stream), expected);
}

TEST(ListStream, ALastLineWithoutLineEndIsRead)
{
    EXPECT_EQ(ftplisting::ParseList("-rw-r--r-- 1 u g 1 Dec  7 10:00 a\n-rw-r--r-- 1 u g 2 Dec  7 10:00 b"),
              (std::vector<FtpFindData>{File("a", 1), File("b", 2)}));
}

TEST(MlsdStream, FactsGiveTypeAndSizeAndTheNameKeepsItsBlanks)
{
    const std::string stream = "type=cdir;modify=20251207100000;perm=flcdmpe; .\r\n"
                               "type=pdir;modify=20251207100000;perm=flcdmpe; ..\r\n"
                               "type=dir;modify=20251207100000;perm=flcdmpe; cgi-bin\r\n"
                               "type=file;size=1234;modify=20251207100000;perm=adfrw; my file.cgi\r\n"
                               "Type=File;Size=0;Modify=20251207100000; empty\r\n"
                               "modify=20251207100000; untyped\r\n"
                               "type=file;size=6000000000; \x93\xFA\x8B\x4C.txt\r\n";
    EXPECT_EQ(ftplisting::ParseMlsd(stream),
              (std::vector<FtpFindData>{Dir("."), Dir(".."), Dir("cgi-bin"), File("my file.cgi", 1234),
                                        File("empty", 0), File("\x93\xFA\x8B\x4C.txt", 6000000000ULL)}));
}

TEST(EntryNames, NamesThatWouldLeaveTheirFolderAreRefused)
{
    EXPECT_FALSE(ftplisting::IsSafeEntryName(""));
    EXPECT_FALSE(ftplisting::IsSafeEntryName("."));
    EXPECT_FALSE(ftplisting::IsSafeEntryName(".."));
    EXPECT_FALSE(ftplisting::IsSafeEntryName("../etc"));
    EXPECT_FALSE(ftplisting::IsSafeEntryName("a/b"));
    EXPECT_FALSE(ftplisting::IsSafeEntryName("a\\b"));
    EXPECT_FALSE(ftplisting::IsSafeEntryName(std::string("a\0b", 3)));
    EXPECT_TRUE(ftplisting::IsSafeEntryName("..hidden"));
    EXPECT_TRUE(ftplisting::IsSafeEntryName("my file.txt"));
    // 表 is 0x95 0x5C: its second byte is no backslash.
    EXPECT_TRUE(ftplisting::IsSafeEntryName("\x95\x5C.txt"));
}

struct AddressCase {
    const char* name;
    const char* server;
    std::optional<FtpServerAddress> expected;
};

const AddressCase kAddressCases[] = {
    {"BareHostMeansPort21", "ftp.example.jp", FtpServerAddress{"ftp.example.jp", 21}},
    {"HostWithPort", "127.0.0.1:2121", FtpServerAddress{"127.0.0.1", 2121}},
    {"BlanksAroundAreDropped", " host:21 ", FtpServerAddress{"host", 21}},
    {"BareIpv6Address", "::1", FtpServerAddress{"::1", 21}},
    {"BracketedIpv6WithPort", "[::1]:2121", FtpServerAddress{"::1", 2121}},
    {"EmptyIsNoServer", "", std::nullopt},
    {"PortZeroIsRefused", "host:0", std::nullopt},
    {"PortTooLargeIsRefused", "host:70000", std::nullopt},
    {"PortNotANumberIsRefused", "host:ftp", std::nullopt},
};

class ServerAddress : public testing::TestWithParam<AddressCase> {};

TEST_P(ServerAddress, SplitsHostAndPort)
{
    EXPECT_EQ(ParseFtpServerAddress(GetParam().server), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Settings, ServerAddress, testing::ValuesIn(kAddressCases), CaseName);

} // namespace
