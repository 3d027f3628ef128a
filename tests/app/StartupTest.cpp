// Starting the program on a settings hive of its own.
#include "AppFixture.h"

namespace {

using namespace apptest;

TEST(Startup, MissingCommandDataShowsBothMessagesAndEnds)
{
    TempDir cwd, data;
    OwnHive hive;
    ScopedEnv path("PATH", "");
    ScopedEnv dataEnv("KESTRIX_DATA_DIR", data.path());
    ScriptedUi ui;
    ui.AnswerBox(IDOK);
    ui.AnswerBox(IDOK);
    {
        CKESTRIX_2App app;
        EXPECT_FALSE(StartIn(app, cwd.path()));
        EXPECT_EQ(app.MainFrame(), nullptr);
    }
    ASSERT_EQ(ui.Boxes().size(), 2u);
    EXPECT_EQ(ui.Boxes()[0].caption, "Error");
    EXPECT_EQ(ui.Boxes()[0].text, "");
    EXPECT_EQ(ui.Boxes()[1].caption, "File Load Error");
    EXPECT_EQ(ui.Boxes()[1].Utf8Text(), "コマンドデータの読み込みに失敗しました");
    EXPECT_EQ(ui.Boxes()[1].buttons, MB_OK);
}

TEST(Startup, ShippedCommandDataOpensTheFrame)
{
    // The build tree holds keydata.dat beside the program; the test runs
    // from there, as the program's current folder would.
    OwnHive hive;
    ScriptedUi ui;
    CKESTRIX_2App app;
    EXPECT_TRUE(StartIn(app, KESTRIX_BINARY_DIR));
    ASSERT_NE(app.MainFrame(), nullptr);
    EXPECT_EQ(app.MainFrame()->windowTitle(), "KESTRIX ver2.0");
    EXPECT_FALSE(app.Colorizer().LookupCommand("print").empty());
    EXPECT_GT(app.Colorizer().CommandCount(), 200u);
}

} // namespace
