// When the recovery files cannot be written (their folder made unwritable),
// the user is told once, not at every pause in typing, and told again only
// when writing has gone well in between and fails anew.
#include "AppFixture.h"

#include "editor/CDocRecovery.h"
#include "editor/CKESTRIX_2View.h"
#include "platform/recovery/RecoveryStore.h"
#include "platform/recovery/RecoveryWriter.h"
#include "platform/recovery/VersionStore.h"

#include <QTest>
#include <sys/stat.h>

namespace {

using namespace apptest;
namespace fs = std::filesystem;

class RecoveryFailure : public AppFixture {
protected:
    void SetUp() override
    {
        CDocRecovery::SetDelay(30);
        AppFixture::SetUp();
    }
    void TearDown() override
    {
        MakeWritable();
        AppFixture::TearDown();
        CDocRecovery::SetDelay(3000);
    }

    // This copy's folder of recovery files: the only one in the store.
    std::string SessionFolder() const
    {
        for (const auto& e : fs::directory_iterator(RecoveryStore::DefaultFolder()))
            if (e.path().filename().string().starts_with("session-") && !e.path().string().ends_with(".away"))
                return e.path().string();
        return {};
    }
    // Takes writing away from the folder. Permissions do not stop the
    // superuser: then the folder is moved aside and a plain file takes its
    // name.
    void MakeUnwritable()
    {
        folder_ = SessionFolder();
        ASSERT_FALSE(folder_.empty());
        ::chmod(folder_.c_str(), 0500);
        const std::string probe = folder_ + "/probe";
        if (FILE* f = std::fopen(probe.c_str(), "w")) {
            std::fclose(f);
            fs::remove(probe);
            ::chmod(folder_.c_str(), 0700);
            fs::rename(folder_, folder_ + ".away");
            std::FILE* plain = std::fopen(folder_.c_str(), "w");
            ASSERT_TRUE(plain);
            std::fclose(plain);
            moved_ = true;
        }
    }
    void MakeWritable()
    {
        if (folder_.empty())
            return;
        if (moved_) {
            fs::remove(folder_);
            fs::rename(folder_ + ".away", folder_);
            moved_ = false;
        } else {
            ::chmod(folder_.c_str(), 0700);
        }
    }
    // Types a character, waits for the pause and for the writer, and lets
    // its notice (if any) reach the window.
    void TypeAndWait(const char* utf8)
    {
        Type(dynamic_cast<CKESTRIX_2View*>(ActiveView()), Q(utf8));
        QTest::qWait(120);
        CDocRecovery::Writer()->Flush();
        QApplication::processEvents();
    }

    TempDir state_{"kestrix-failure-state"};
    ScopedEnv stateEnv_{"XDG_STATE_HOME", state_.path()};
    std::string folder_;
    bool moved_ = false;
};

TEST_F(RecoveryFailure, AFolderThatCannotBeWrittenIsToldOnceAndAgainAfterItRecovers)
{
    const std::string script = files_.write("s.cgi", J("print \"漢字\";\n"));
    ASSERT_TRUE(OpenFile(script));
    ASSERT_TRUE(CDocRecovery::Writer());
    TypeAndWait("a");
    EXPECT_TRUE(ui.Boxes().empty()) << "written well";

    MakeUnwritable();
    ui.AnswerBox(IDOK);
    TypeAndWait("b");
    ASSERT_EQ(ui.Boxes().size(), 1u);
    const std::string told = ui.Boxes()[0].Utf8Text();
    EXPECT_TRUE(
        told.starts_with("保存されていない変更を、復元用のファイルに書き込めません。\n" + folder_ + "\n"))
        << told;
    EXPECT_NE(told.find("変更はこまめに保存してください。"), std::string::npos);
    EXPECT_EQ(ui.Boxes()[0].Utf8Caption(), "通知");
    // Typing on while it still fails: no box per pause.
    TypeAndWait("c");
    TypeAndWait("d");
    EXPECT_EQ(ui.Boxes().size(), 1u);
    EXPECT_GE(CDocRecovery::Writer()->Failures(), 3);

    // Writable again: written without a word; failing later is told anew.
    MakeWritable();
    TypeAndWait("e");
    EXPECT_EQ(ui.Boxes().size(), 1u);
    MakeUnwritable();
    ui.AnswerBox(IDOK);
    TypeAndWait("f");
    EXPECT_EQ(ui.Boxes().size(), 2u);
    MakeWritable();

    // The text typed meanwhile is all in the document and saves as usual.
    ASSERT_TRUE(Frame().SendCommand(57603));
    EXPECT_EQ(ReadFileBytes(script), J("abcdefprint \"漢字\";\n"));
}

TEST_F(RecoveryFailure, AVersionThatCannotBeKeptIsToldOnceAndTheSaveStillGoesWell)
{
    const std::string script = files_.write("v.cgi", "print 1;\n");
    ASSERT_TRUE(OpenFile(script));
    const fs::path versions = VersionStore::DefaultFolder();
    // A plain file where the store's folder belongs: nothing can be kept.
    fs::remove_all(versions);
    fs::create_directories(versions.parent_path());
    std::fclose(std::fopen(versions.c_str(), "w"));

    auto typeAndSave = [&](const char* utf8) {
        Type(dynamic_cast<CKESTRIX_2View*>(ActiveView()), Q(utf8));
        ASSERT_TRUE(Frame().SendCommand(57603));
    };
    ui.AnswerBox(IDOK);
    typeAndSave("a");
    ASSERT_EQ(ui.Boxes().size(), 1u);
    const std::string told = ui.Boxes()[0].Utf8Text();
    EXPECT_TRUE(
        told.starts_with("保存は完了しましたが、置き換えた以前の版を残せませんでした。\n" + script + "\n"))
        << told;
    EXPECT_EQ(ui.Boxes()[0].Utf8Caption(), "通知");
    EXPECT_EQ(ReadFileBytes(script), "aprint 1;\n");
    typeAndSave("b");
    EXPECT_EQ(ui.Boxes().size(), 1u) << "one box for a stretch of failures";

    // The store works again: the next save keeps its version without a
    // word, and a later failure is told anew.
    fs::remove(versions);
    typeAndSave("c");
    EXPECT_EQ(ui.Boxes().size(), 1u);
    VersionStore store(versions.string(), VersionStore::Limits{20, 50 << 20});
    ASSERT_EQ(store.List(script).size(), 1u);
    std::string kept;
    ASSERT_TRUE(VersionStore::Read(store.List(script)[0], kept));
    EXPECT_EQ(kept, "abprint 1;\n");
    fs::remove_all(versions);
    std::fclose(std::fopen(versions.c_str(), "w"));
    ui.AnswerBox(IDOK);
    typeAndSave("d");
    EXPECT_EQ(ui.Boxes().size(), 2u);
    EXPECT_EQ(ReadFileBytes(script), "abcdprint 1;\n");
    fs::remove(versions);
}

} // namespace
