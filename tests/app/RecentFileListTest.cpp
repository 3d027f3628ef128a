// The recent-file list on its own: its order and size, and how it is kept
// in the settings hive.
#include "AppFixture.h"

#include "app/CRecentFileList.h"
#include "platform/registry/SettingsStore.h"

#include <vector>

namespace {

using namespace apptest;
using namespace std::string_literals;
using Paths = std::vector<std::string>;

class RecentFileListTest : public ::testing::Test, protected OwnHive {
protected:
    static constexpr const char* kKey = CRecentFileList::kKeyPath;

    void Store(const char* name, const std::string& text) const
    {
        ASSERT_EQ(settings::WriteGroup(kKey, {settings::StringValue(name, text)}), 0u);
    }
};

TEST_F(RecentFileListTest, NewestFirstWithoutRepeatsAndAtMostFour)
{
    CRecentFileList list;
    EXPECT_EQ(list.GetSize(), 4);
    EXPECT_TRUE(list.IsEmpty());
    for (const char* path : {"/w/a.cgi", "/w/b.cgi", "/w/c.cgi"})
        list.Add(path);
    EXPECT_EQ(list.Entries(), (Paths{"/w/c.cgi", "/w/b.cgi", "/w/a.cgi"}));

    // The same file again moves to the top, however it is spelled.
    list.Add("/w/sub/../a.cgi");
    EXPECT_EQ(list.Entries(), (Paths{"/w/sub/../a.cgi", "/w/c.cgi", "/w/b.cgi"}));
    list.Add("/w/d.cgi");
    list.Add("/w/e.cgi");
    EXPECT_EQ(list.Entries(), (Paths{"/w/e.cgi", "/w/d.cgi", "/w/sub/../a.cgi", "/w/c.cgi"}));
    list.Add("");
    EXPECT_EQ(list.Count(), 4);

    list.Remove(1);
    EXPECT_EQ(list.Entries(), (Paths{"/w/e.cgi", "/w/sub/../a.cgi", "/w/c.cgi"}));
    list.Remove(3);
    list.Remove(-1);
    EXPECT_EQ(list.Count(), 3);
    EXPECT_EQ(list[0], "/w/e.cgi");
}

TEST_F(RecentFileListTest, WrittenAsFile1ToFile4AndReadBackAsTheyWere)
{
    // Paths are stored exactly as given: here a UTF-8 name and a name of
    // code page 932 bytes that is not UTF-8.
    const std::string utf8 = "/w/日本語/テスト.cgi";
    const std::string cp932 = "/w/" + sjis::FromUtf8("ﾃｽﾄ") + ".pl";
    CRecentFileList list;
    list.Add(cp932);
    list.Add(utf8);
    ASSERT_TRUE(list.WriteList());
    EXPECT_STORED(kKey, "File1", REG_SZ, utf8 + '\0');
    EXPECT_STORED(kKey, "File2", REG_SZ, cp932 + '\0');
    EXPECT_STORED(kKey, "File3", REG_SZ, "\0"s);
    EXPECT_STORED(kKey, "File4", REG_SZ, "\0"s);

    CRecentFileList again;
    again.ReadList();
    EXPECT_EQ(again.Entries(), (Paths{utf8, cp932}));

    // A shorter list clears the slots it no longer fills.
    again.Remove(0);
    ASSERT_TRUE(again.WriteList());
    EXPECT_STORED(kKey, "File1", REG_SZ, cp932 + '\0');
    EXPECT_STORED(kKey, "File2", REG_SZ, "\0"s);
}

TEST_F(RecentFileListTest, ReadingSkipsGapsRepeatsAndWhatIsMissing)
{
    CRecentFileList empty;
    empty.ReadList();
    EXPECT_TRUE(empty.IsEmpty()) << "no key yet";

    Store("File1", "/w/a.cgi");
    Store("File2", "");
    Store("File3", "/w/b.cgi");
    Store("File4", "/w/./a.cgi");
    Store("File5", "/w/c.cgi");
    CRecentFileList list;
    list.Add("/w/old.cgi");
    list.ReadList();
    EXPECT_EQ(list.Entries(), (Paths{"/w/a.cgi", "/w/b.cgi"}));
}

TEST_F(RecentFileListTest, WriteThatFailsSaysSo)
{
    // The hive's folder is a file: nothing can be written there.
    const std::string blocked = config.write("blocked", "");
    ScopedEnv elsewhere("XDG_CONFIG_HOME", blocked);
    CRecentFileList list;
    list.Add("/w/a.cgi");
    EXPECT_FALSE(list.WriteList());
}

} // namespace
