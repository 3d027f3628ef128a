// The store of previous versions: what each save replaced comes back byte for
// byte, newest first, per file; the limits on versions per file and on the
// whole store drop the oldest first.
#include "platform/recovery/VersionStore.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

std::vector<std::string> Bodies(const VersionStore& store, const std::string& path)
{
    std::vector<std::string> bodies;
    for (const auto& v : store.List(path)) {
        std::string bytes;
        EXPECT_TRUE(VersionStore::Read(v, bytes));
        EXPECT_EQ(std::int64_t(bytes.size()), v.size);
        bodies.push_back(bytes);
    }
    return bodies;
}

} // namespace

TEST(VersionStoreTest, EachSaveKeepsWhatItReplacedPerFileNewestFirst)
{
    TempDir dir;
    VersionStore store(dir.file("versions"), {});
    const std::string a = dir.file("a.cgi"), b = dir.file("b.cgi");
    const std::string sjis = "print \"\x8a\xbf\x8e\x9a \xb6\xc0\";\r\n";
    ASSERT_EQ(store.Keep(a, sjis), 0);
    ASSERT_EQ(store.Keep(b, "b1"), 0);
    ASSERT_EQ(store.Keep(a, std::string("a2\0x", 4)), 0);
    EXPECT_EQ(Bodies(store, a), (std::vector<std::string>{std::string("a2\0x", 4), sjis}));
    EXPECT_EQ(Bodies(store, b), std::vector<std::string>{"b1"});
    EXPECT_TRUE(Bodies(store, dir.file("c.cgi")).empty());
    const auto listed = store.List(a);
    EXPECT_GE(listed[0].time, listed[1].time);
    namespace fs = std::filesystem;
    EXPECT_EQ(fs::status(dir.file("versions")).permissions() & fs::perms::all, fs::perms::owner_all);
}

TEST(VersionStoreTest, OnlyTheLastVersionsOfAFileAreKept)
{
    TempDir dir;
    VersionStore store(dir.file("versions"), {3, 1 << 20});
    for (int i = 0; i < 6; ++i)
        ASSERT_EQ(store.Keep(dir.file("a.cgi"), "v" + std::to_string(i)), 0);
    EXPECT_EQ(Bodies(store, dir.file("a.cgi")), (std::vector<std::string>{"v5", "v4", "v3"}));
}

TEST(VersionStoreTest, TheWholeStoreStaysWithinItsBytesDroppingTheOldestOfAnyFile)
{
    TempDir dir;
    VersionStore store(dir.file("versions"), {20, 250});
    const std::string hundred(100, 'x');
    ASSERT_EQ(store.Keep(dir.file("a.cgi"), "a" + hundred), 0);
    ASSERT_EQ(store.Keep(dir.file("b.cgi"), "b" + hundred), 0);
    ASSERT_EQ(store.Keep(dir.file("a.cgi"), "c" + hundred), 0);
    EXPECT_EQ(Bodies(store, dir.file("a.cgi")), std::vector<std::string>{"c" + hundred});
    EXPECT_EQ(Bodies(store, dir.file("b.cgi")), std::vector<std::string>{"b" + hundred});
}

TEST(VersionStoreTest, NewLimitsTrimEveryFileAndTheWholeStoreAtOnceOldestFirst)
{
    TempDir dir;
    VersionStore store(dir.file("versions"), {});
    const std::string a = dir.file("a.cgi"), b = dir.file("b.cgi");
    const std::string hundred(100, 'x');
    for (int i = 0; i < 4; ++i) {
        ASSERT_EQ(store.Keep(a, "a" + std::to_string(i) + hundred), 0);
        ASSERT_EQ(store.Keep(b, "b" + std::to_string(i) + hundred), 0);
    }
    store.SetLimits({3, 1 << 20});
    EXPECT_EQ(store.List(a).size(), 3u);
    EXPECT_EQ(store.List(b).size(), 3u);
    // 102 bytes each: four fit in 450, the newest of either file.
    store.SetLimits({3, 450});
    EXPECT_EQ(Bodies(store, a), (std::vector<std::string>{"a3" + hundred, "a2" + hundred}));
    EXPECT_EQ(Bodies(store, b), (std::vector<std::string>{"b3" + hundred, "b2" + hundred}));
    // None kept: the store empties, and a save keeps nothing.
    store.SetLimits({0, 450});
    EXPECT_TRUE(store.List(a).empty());
    ASSERT_EQ(store.Keep(a, "later"), 0);
    EXPECT_TRUE(store.List(a).empty());
}
