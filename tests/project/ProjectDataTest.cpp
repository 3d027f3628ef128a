// The project file against bytes written by hand: the 16-byte header, the
// 264-byte entries, what is and is not project data, where a loaded project
// places itself, and the messages of a failed read or write.
#include "ScriptedUi.h"
#include "TempDir.h"

#include "platform/text/Sjis.h"
#include "project/CProjectData.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

const std::string kHeader("KESTRIX\0\x33\x33\x33\x33\x33\x33\xF3\x3F", 16);

// One entry as the file holds it: kind little-endian, then the path and
// zeros up to 260 bytes.
std::string EntryBytes(int kind, const std::string& path)
{
    std::string out;
    for (int i = 0; i < 4; ++i)
        out.push_back(char((unsigned(kind) >> (8 * i)) & 0xFF));
    out += path;
    out.append(260 - path.size(), '\0');
    return out;
}

class ProjectData : public ::testing::Test {
protected:
    ~ProjectData() override { project_.SetModified(false); }

    std::string LastBox() const { return ui_.Boxes().empty() ? "" : ui_.Boxes().back().Utf8Text(); }
    std::string LastCaption() const { return ui_.Boxes().empty() ? "" : ui_.Boxes().back().Utf8Caption(); }

    ScriptedUi ui_;
    TempDir dir_;
    CProjectData project_;
};

TEST_F(ProjectData, AnEmptyProjectIsTheSixteenByteHeader)
{
    ASSERT_EQ(mkdir(dir_.file("shop").c_str(), 0755), 0);
    project_.SetFolder(dir_.file("shop"));
    project_.SetName("shop");
    project_.SetModified(true);
    ASSERT_TRUE(project_.Save());
    EXPECT_EQ(ReadFileBytes(dir_.file("shop/shop.dat")), kHeader);
    EXPECT_FALSE(project_.IsModified());
    EXPECT_TRUE(ui_.Boxes().empty());
}

TEST_F(ProjectData, EntriesAreWrittenInListOrderWithTheirPathsZeroFilled)
{
    auto a = std::make_unique<PROJECT_ENTRY>();
    ASSERT_TRUE(a->SetPath(sjis::FromUtf8("/web/shop/日本.cgi")));
    auto b = std::make_unique<PROJECT_ENTRY>();
    b->kind = PROJECT_ENTRY::kHtml;
    ASSERT_TRUE(b->SetPath("/web/shop/index.html"));
    project_.AppendEntry(std::move(a));
    project_.AppendEntry(std::move(b));
    const std::string file = dir_.file("p.dat");
    ASSERT_TRUE(project_.Save(file));
    EXPECT_EQ(ReadFileBytes(file), kHeader + EntryBytes(0, sjis::FromUtf8("/web/shop/日本.cgi")) +
                                       EntryBytes(1, "/web/shop/index.html"));
}

TEST_F(ProjectData, TwoEntriesAndAShortTailLoadAsTwoEntries)
{
    const std::string file = dir_.write("x.dat", kHeader + EntryBytes(0, "/a/s.cgi") +
                                                     EntryBytes(1, "/a/i.htm") + std::string(100, 'z'));
    ASSERT_TRUE(project_.Load(file));
    ASSERT_EQ(project_.Entries().size(), 2u);
    EXPECT_EQ(project_.Entries()[0]->Path(), "/a/s.cgi");
    EXPECT_FALSE(project_.Entries()[0]->IsHtml());
    EXPECT_EQ(project_.Entries()[1]->Path(), "/a/i.htm");
    EXPECT_TRUE(project_.Entries()[1]->IsHtml());
    EXPECT_TRUE(ui_.Boxes().empty());
}

TEST_F(ProjectData, AnyOtherVersionAndAnyOtherKindStillLoad)
{
    std::string header = kHeader;
    header.replace(8, 8, std::string(8, '\x7F'));
    const std::string file = dir_.write("x.dat", header + EntryBytes(7, "/a/odd.cgi"));
    ASSERT_TRUE(project_.Load(file));
    ASSERT_EQ(project_.Entries().size(), 1u);
    EXPECT_FALSE(project_.Entries()[0]->IsHtml()) << "a kind other than 1 is a script";
}

struct NotProjectCase {
    const char* name;
    std::string bytes;
};

class NotProjectData : public ProjectData, public ::testing::WithParamInterface<NotProjectCase> {};

TEST_P(NotProjectData, IsRefusedAndTheOpenProjectStaysAsItWas)
{
    project_.SetFolder("/keep/this");
    project_.SetName("this");
    auto kept = std::make_unique<PROJECT_ENTRY>();
    kept->SetPath("/keep/this/a.cgi");
    project_.AppendEntry(std::move(kept));

    ui_.AnswerBox(IDOK);
    EXPECT_FALSE(project_.Load(dir_.write("bad.dat", GetParam().bytes)));
    EXPECT_EQ(LastBox(), "プロジェクトデータではありません。");
    EXPECT_EQ(LastCaption(), "通知");
    EXPECT_EQ(project_.Folder(), "/keep/this");
    EXPECT_EQ(project_.Name(), "this");
    ASSERT_EQ(project_.Entries().size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    ProjectFiles, NotProjectData,
    ::testing::Values(
        NotProjectCase{"EmptyFile", ""}, NotProjectCase{"FifteenBytes", kHeader.substr(0, 15)},
        NotProjectCase{"MagicAfterAZeroByte", std::string("\0KESTRIX\0\0\0\0\0\0\0\0", 16)},
        NotProjectCase{"MagicBeyondTheHeader", std::string(16, 'x') + "KESTRIX" + std::string(9, '\0')},
        NotProjectCase{"LowerCaseMagic", std::string("kestrix\0\x33\x33\x33\x33\x33\x33\xF3\x3F", 16)}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ProjectData, AProjectFileUnderAnotherNameLoadsAsItsFolderAndSavesUnderTheFolderName)
{
    ASSERT_EQ(mkdir(dir_.file("shop").c_str(), 0755), 0);
    const std::string file = dir_.write("shop/x.dat", kHeader + EntryBytes(0, "/a/s.cgi"));
    ASSERT_TRUE(project_.Load(file));
    EXPECT_EQ(project_.Folder(), dir_.file("shop"));
    EXPECT_EQ(project_.Name(), "shop");
    ASSERT_TRUE(project_.Save());
    EXPECT_EQ(ReadFileBytes(dir_.file("shop/shop.dat")), ReadFileBytes(file))
        << "saving an unchanged project rewrites the same bytes, under the folder's name";
}

TEST_F(ProjectData, AProjectFromAnotherSystemLoadsWithItsPathsAsTheyWere)
{
    const std::string windowsPath = "D:\\web\\shop\\form.cgi";
    const std::string file = dir_.write("w.dat", kHeader + EntryBytes(0, windowsPath));
    ASSERT_TRUE(project_.Load(file));
    ASSERT_EQ(project_.Entries().size(), 1u);
    EXPECT_EQ(project_.Entries()[0]->Path(), windowsPath);
    EXPECT_EQ(project_.Entries()[0]->FileName(), "form.cgi");
    ASSERT_TRUE(project_.Save(dir_.file("again.dat")));
    EXPECT_EQ(ReadFileBytes(dir_.file("again.dat")), ReadFileBytes(file));
}

TEST_F(ProjectData, AMissingFileCannotBeOpened)
{
    ui_.AnswerBox(IDOK);
    EXPECT_FALSE(project_.Load(dir_.file("none.dat")));
    EXPECT_EQ(LastBox(), "ファイルオープンに失敗しました");
    EXPECT_EQ(LastCaption(), "Error");
}

TEST_F(ProjectData, SavingIntoAMissingFolderFailsAndKeepsTheProjectModified)
{
    project_.SetFolder(dir_.file("gone"));
    project_.SetName("gone");
    project_.SetModified(true);
    ui_.AnswerBox(IDOK);
    EXPECT_FALSE(project_.Save());
    EXPECT_EQ(LastBox(), "ファイルオープンに失敗しました");
    EXPECT_EQ(LastCaption(), "Error");
    EXPECT_TRUE(project_.IsModified());
}

TEST_F(ProjectData, AFailedWriteLeavesThePreviousFileWhole)
{
    const std::string before = kHeader + EntryBytes(0, "/a/old.cgi");
    const std::string file = dir_.write("p.dat", before);
    auto entry = std::make_unique<PROJECT_ENTRY>();
    entry->SetPath("/a/new.cgi");
    project_.AppendEntry(std::move(entry));
    project_.SetModified(true);
    // The target is a folder's name now: the rename over it fails after the
    // bytes were written to the side file.
    const std::string folderTarget = dir_.file("dir.dat");
    ASSERT_EQ(mkdir(folderTarget.c_str(), 0755), 0);
    ui_.AnswerBox(IDOK);
    EXPECT_FALSE(project_.Save(folderTarget));
    EXPECT_EQ(LastBox(), "ファイルの書き込みに失敗しました");
    EXPECT_TRUE(project_.IsModified());
    EXPECT_EQ(ReadFileBytes(file), before);
}

TEST_F(ProjectData, APathThatLeavesNoRoomForItsEndingZeroIsRefusedNotCut)
{
    PROJECT_ENTRY entry;
    ASSERT_TRUE(entry.SetPath("/ok.cgi"));
    EXPECT_TRUE(entry.SetPath(std::string(259, 'a')));
    EXPECT_FALSE(entry.SetPath(std::string(260, 'b')));
    EXPECT_EQ(entry.Path(), std::string(259, 'a'));
}

TEST_F(ProjectData, FindEntryComparesWholePathsWithCase)
{
    for (const char* path : {"/a/Form.cgi", "/a/form.cgi", "/a/form.cgi"}) {
        auto entry = std::make_unique<PROJECT_ENTRY>();
        entry->SetPath(path);
        project_.AppendEntry(std::move(entry));
    }
    EXPECT_EQ(project_.FindEntry("/a/form.cgi"), 1u);
    EXPECT_EQ(project_.FindEntry("/a/Form.cgi"), 0u);
    EXPECT_EQ(project_.FindEntry("/a/form.cg"), std::nullopt);
}

TEST_F(ProjectData, AModifiedProjectAsksBeforeItGoesAndYesSavesIt)
{
    ASSERT_EQ(mkdir(dir_.file("p").c_str(), 0755), 0);
    {
        CProjectData project;
        project.SetFolder(dir_.file("p"));
        project.SetName("p");
        project.SetModified(true);
        ui_.AnswerBox(IDYES);
    }
    ASSERT_FALSE(ui_.Boxes().empty());
    EXPECT_EQ(LastBox(), "プロジェクトが変更されています、保存しますか？");
    EXPECT_EQ(LastCaption(), "通知");
    EXPECT_EQ(ui_.Boxes().back().buttons, MB_YESNO);
    EXPECT_EQ(ui_.Boxes().back().icon, MB_ICONQUESTION);
    EXPECT_EQ(ReadFileBytes(dir_.file("p/p.dat")), kHeader);
}

} // namespace
