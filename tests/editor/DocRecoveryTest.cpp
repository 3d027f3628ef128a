// The recovery file of an edited script: written a pause after typing with
// exactly the bytes a save would write, gone once the script is saved, undone
// back to its saved text or closed, and brought back as unsaved text that
// saves byte for byte without the original being touched before.
#include "EditorFixture.h"

#include "editor/CDocRecovery.h"
#include "editor/CDocVersions.h"
#include "platform/recovery/RecoveryStore.h"
#include "platform/recovery/RecoveryWriter.h"
#include "platform/recovery/VersionStore.h"

#include <QTest>
#include <filesystem>

using namespace editortest;
namespace fs = std::filesystem;

namespace {

class DocRecovery : public EditorFixture {
protected:
    void SetUp() override
    {
        EditorFixture::SetUp();
        ASSERT_EQ(store_.Open(), 0);
        CDocRecovery::SetWriter(&writer_);
        CDocRecovery::SetDelay(50);
    }
    void TearDown() override
    {
        EditorFixture::TearDown();
        CDocRecovery::SetWriter(nullptr);
    }
    // The records in this copy's folder once the pause is over and the
    // writer is done.
    std::vector<RecoveryRecord> Records(int waitMs = 200)
    {
        QTest::qWait(waitMs);
        writer_.Flush();
        std::vector<RecoveryRecord> records;
        for (const auto& e : fs::directory_iterator(store_.SessionFolder()))
            if (e.path().extension() == ".kxr")
                if (auto r = RecoveryRecord::Decode(ReadFileBytes(e.path().string())))
                    records.push_back(*r);
        return records;
    }

    TempDir state_;
    RecoveryStore store_{state_.file("recovery")};
    RecoveryWriter writer_{store_};
};

// "print "漢字ｶﾀｶﾅ";" and a comment, with CR LF breaks.
const char* const kScript = "print \"漢字ｶﾀｶﾅ\";\r\n# 表示\r\n";

TEST_F(DocRecovery, AfterAPauseTheUnsavedTextIsKeptAsASaveWouldWriteIt)
{
    const std::string original = J(kScript);
    CKESTRIX_2Doc* doc = OpenBytes("s.cgi", original);
    CKESTRIX_2View* view = ViewOf(doc);
    EXPECT_TRUE(Records().empty()) << "an unchanged script has nothing to recover";

    Caret(view, 0);
    Type(view, "# ﾃｽﾄ 試験");
    Key(view, Qt::Key_Return);
    const auto records = Records();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].path, dir_.file("s.cgi"));
    EXPECT_EQ(records[0].kind, "plain");
    EXPECT_EQ(records[0].body, J("# ﾃｽﾄ 試験\r\nprint \"漢字ｶﾀｶﾅ\";\r\n# 表示\r\n"));
    EXPECT_EQ(records[0].diskSize, std::int64_t(original.size()));
    EXPECT_EQ(ReadFileBytes(dir_.file("s.cgi")), original) << "the original is not touched";

    ASSERT_TRUE(doc->DoFileSave());
    EXPECT_TRUE(Records().empty()) << "a saved script leaves no recovery file";

    Type(view, "x");
    EXPECT_EQ(Records().size(), 1u);
    // The undo reaches back one edit; whatever the modified mark then says,
    // the recovery file follows it.
    Undo(view);
    EXPECT_EQ(Records().empty(), !doc->IsModified());

    Type(view, "y");
    EXPECT_EQ(Records().size(), 1u);
    template_->CloseDocument(doc);
    EXPECT_TRUE(Records().empty()) << "closed without saving on purpose";
}

TEST_F(DocRecovery, ARestoredTextIsUnsavedUntilSavedAndThenWrittenByteForByte)
{
    const std::string original = J(kScript);
    const std::string path = dir_.write("r.cgi", original);
    const std::string recovered = J("print \"漢字ｶﾀｶﾅ\";\r\n# 追加 ｱｲｳ\r\n# 表示\r\n");
    const std::string file = dir_.write("restore.tmp", recovered);

    auto* doc = static_cast<CKESTRIX_2Doc*>(template_->OpenDocumentFile({}));
    ASSERT_TRUE(doc->RestoreRecovered(file, path));
    EXPECT_TRUE(doc->IsModified());
    EXPECT_EQ(doc->GetPathName(), path);
    EXPECT_EQ(U(doc->GetTitle()), "r.cgi");
    EXPECT_EQ(ReadFileBytes(path), original);
    // The restored text is itself kept until it is saved.
    const auto records = Records();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].body, recovered);

    ASSERT_TRUE(doc->DoFileSave());
    EXPECT_EQ(ReadFileBytes(path), recovered);
    EXPECT_TRUE(Records().empty());
}

TEST_F(DocRecovery, ANewScriptsTextIsRestoredAsANewScript)
{
    CKESTRIX_2Doc* doc = New();
    Type(ViewOf(doc), "print 1;");
    const auto records = Records();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].path, "");
    EXPECT_EQ(records[0].body, "print 1;");

    const std::string file = dir_.write("restore.tmp", records[0].body);
    auto* back = static_cast<CKESTRIX_2Doc*>(template_->OpenDocumentFile({}));
    ASSERT_TRUE(back->RestoreRecovered(file, ""));
    EXPECT_TRUE(back->IsModified());
    EXPECT_EQ(back->GetPathName(), "");
    EXPECT_EQ(Text(ViewOf(back)), "print 1;");
}

TEST_F(DocRecovery, EverySaveKeepsTheBytesItReplaced)
{
    VersionStore versions(state_.file("versions"), {});
    CDocVersions::SetStore(&versions);
    const std::string original = J(kScript);
    CKESTRIX_2Doc* doc = OpenBytes("v.cgi", original);
    Caret(ViewOf(doc), 0);
    Type(ViewOf(doc), "# 1");
    ASSERT_TRUE(doc->DoFileSave());
    const std::string first = ReadFileBytes(dir_.file("v.cgi"));
    Type(ViewOf(doc), "2");
    ASSERT_TRUE(doc->DoFileSave());
    CDocVersions::SetStore(nullptr);

    const auto kept = versions.List(dir_.file("v.cgi"));
    ASSERT_EQ(kept.size(), 2u);
    std::string bytes;
    ASSERT_TRUE(VersionStore::Read(kept[0], bytes));
    EXPECT_EQ(bytes, first);
    ASSERT_TRUE(VersionStore::Read(kept[1], bytes));
    EXPECT_EQ(bytes, original);
}

} // namespace
