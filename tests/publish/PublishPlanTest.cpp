#include "PublishFixture.h"

#include "platform/NamedCase.h"
#include "publish/PublishPlan.h"
#include "publish/PublishRecord.h"
#include "publish/PublishSettings.h"

#include <fcntl.h>
#include <sys/stat.h>

namespace {

using namespace publishtest;

class PublishPlanTest : public PublishFixture {
protected:
    const PublishItem& Item(const PublishPlan& plan, const std::string& relative)
    {
        for (const auto& item : plan.items)
            if (item.relativePath == relative)
                return item;
        ADD_FAILURE() << relative << " is not in the plan";
        static PublishItem none;
        return none;
    }
    // Enters every file of the plan as published.
    static PublishRecord Published(const PublishPlan& plan, const std::string& target)
    {
        PublishRecord record = PublishRecord::Load("/nonexistent", target);
        for (const auto& item : plan.items)
            record.Set(item.relativePath, {item.size, item.mtimeNs, item.sha256});
        return record;
    }
    const std::string target = "127.0.0.1:21/www";
};

TEST_F(PublishPlanTest, AFirstPublishSendsEverythingScriptsAs755WithTheirLineBreaksNoted)
{
    const PublishPlan plan = PublishPlan::Build(
        project.path(), Site(), PublishRecord::Load(PublishRecord::PathFor(project.path()), target));
    ASSERT_EQ(plan.items.size(), 4u);
    EXPECT_EQ(plan.CountGoing(), 4u);
    EXPECT_EQ(Item(plan, "crlf.cgi").state, PublishState::New);
    EXPECT_TRUE(Item(plan, "crlf.cgi").hasCrLf);
    EXPECT_FALSE(Item(plan, "broken.cgi").hasCrLf);
    EXPECT_EQ(Item(plan, "cgi/plain.pl").mode, 0755);
    // A page keeps its CR LF: it goes byte for byte.
    EXPECT_FALSE(Item(plan, "index.html").hasCrLf);
    EXPECT_EQ(Item(plan, "index.html").mode, 0644);
    EXPECT_EQ(plan.FoldersNeeded(), std::vector<std::string>{"cgi"});
}

TEST_F(PublishPlanTest, TheHashDecidesChangedSoATouchedFileStaysAndASameSizeEditGoes)
{
    const auto files = Site();
    const PublishRecord record = Published(PublishPlan::Build(project.path(), files, {}), target);
    // Same bytes, new time: unchanged. Same size, other bytes: changed.
    ::utimensat(AT_FDCWD, files[0].c_str(), nullptr, 0);
    Write("index.html", "<html><body>new page</body></html>\r\n");
    ASSERT_EQ(kPage.size(), std::string("<html><body>new page</body></html>\r\n").size());
    const PublishPlan again = PublishPlan::Build(project.path(), files, record);
    EXPECT_EQ(Item(again, "crlf.cgi").state, PublishState::Unchanged);
    EXPECT_EQ(Item(again, "index.html").state, PublishState::Changed);
    EXPECT_EQ(Item(again, "broken.cgi").state, PublishState::Unchanged);
    EXPECT_EQ(again.CountGoing(), 1u);
}

TEST_F(PublishPlanTest, TheRecordIsKeptPerTargetAndADamagedOneSendsEverythingAgain)
{
    const auto files = Site();
    const std::string path = PublishRecord::PathFor(project.path());
    ASSERT_EQ(Published(PublishPlan::Build(project.path(), files, {}), target).Save(path), 0);
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_TRUE(path.starts_with(state.path() + "/kestrix/publish/"));

    EXPECT_EQ(PublishPlan::Build(project.path(), files, PublishRecord::Load(path, target)).CountGoing(), 0u);
    EXPECT_EQ(
        PublishPlan::Build(project.path(), files, PublishRecord::Load(path, "other:21/www")).CountGoing(),
        4u);

    std::string text = ReadFileBytes(path);
    text.replace(text.rfind(' ') - 5, 3, "zz"); // a hash cut short
    std::ofstream(path, std::ios::binary) << text;
    EXPECT_EQ(PublishPlan::Build(project.path(), files, PublishRecord::Load(path, target)).CountGoing(), 4u);
}

TEST_F(PublishPlanTest, AMissingFileIsShownAndNotSentAndAnOutsideFileGoesToTheTop)
{
    TempDir elsewhere{"kestrix-publish-outside"};
    const std::string outside = elsewhere.write("shared.pl", "1;\n");
    const PublishPlan plan = PublishPlan::Build(project.path(), {project.file("gone.cgi"), outside}, {});
    EXPECT_EQ(Item(plan, "gone.cgi").state, PublishState::Missing);
    EXPECT_EQ(Item(plan, "shared.pl").state, PublishState::New);
    EXPECT_EQ(plan.CountGoing(), 1u);
}

struct SendCase {
    const char* name;
    const char* file;
    std::string bytes;
    std::string sent;
};

class BytesToSend : public ::testing::TestWithParam<SendCase> {};

TEST_P(BytesToSend, AreTheScriptsLineBreaksAsLfAndEverythingElseAsItIs)
{
    PublishItem item;
    item.kind = PublishPlan::IsScriptName(GetParam().file) ? PublishKind::Script : PublishKind::Other;
    EXPECT_EQ(PublishPlan::BytesToSend(item, GetParam().bytes), GetParam().sent);
}

INSTANTIATE_TEST_SUITE_P(Publish, BytesToSend,
                         ::testing::Values(SendCase{"CgiCrLf", "a.cgi", "a\r\nb\r\n", "a\nb\n"},
                                           SendCase{"PlUpperCaseCrLf", "lib.PL", "1;\r\n", "1;\n"},
                                           SendCase{"LoneCrKept", "a.cgi", "a\rb\r\n", "a\rb\n"},
                                           SendCase{"CrLfLastByteCr", "a.cgi", "a\r", "a\r"},
                                           SendCase{"KanjiTrailBytesUntouched", "a.cgi",
                                                    "\x95\x5c\r\n\x83\x5c\r\n", "\x95\x5c\n\x83\x5c\n"},
                                           SendCase{"HtmlByteForByte", "index.html", "a\r\nb\r\n",
                                                    "a\r\nb\r\n"}),
                         CaseName);

TEST_F(PublishPlanTest, SettingsAreKeptPerProjectUnderAKeyOfTheirOwnWithTheServersPerlDefault)
{
    EXPECT_EQ(PublishSettings::Load(project.path()).serverPerl, "/usr/bin/perl");
    PublishSettings mine{"/www/cgi", "http://example.jp/cgi", "/usr/local/bin/perl"};
    ASSERT_EQ(PublishSettings::Save(project.path(), mine), 0u);
    const PublishSettings back = PublishSettings::Load(project.path());
    EXPECT_EQ(back.remoteFolder, "/www/cgi");
    EXPECT_EQ(back.publicUrl, "http://example.jp/cgi");
    EXPECT_EQ(back.serverPerl, "/usr/local/bin/perl");
    EXPECT_EQ(PublishSettings::Load(www.path()).remoteFolder, "");
    const std::string hive = ReadFileBytes(config.path() + "/kestrix/registry.reg");
    EXPECT_NE(hive.find("PUBLISHSETTING\\" + PublishSettings::ProjectId(project.path())), std::string::npos);
    EXPECT_EQ(PublishSettings::NormalRemoteFolder("www//cgi/"), "/www/cgi");
    EXPECT_EQ(PublishSettings::NormalRemoteFolder(""), "/");
}

} // namespace
