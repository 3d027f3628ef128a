// Starting the program on a settings hive of its own.
#include "ScriptedUi.h"
#include "TempDir.h"

#include "app/CKESTRIX_2App.h"
#include "app/CMainFrame.h"
#include "platform/Sjis.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace {

TEST(Startup, MissingCommandDataShowsBothMessagesAndEnds)
{
    TempDir cwd, data, config;
    auto old = std::filesystem::current_path();
    std::filesystem::current_path(cwd.path());
    ScopedEnv xdg("XDG_CONFIG_HOME", config.path());
    ScopedEnv path("PATH", "");
    ScopedEnv dataEnv("KESTRIX_DATA_DIR", data.path());
    ScriptedUi ui;
    ui.AnswerBox(IDOK);
    ui.AnswerBox(IDOK);
    {
        CKESTRIX_2App app;
        EXPECT_FALSE(app.InitInstance());
        EXPECT_EQ(app.MainFrame(), nullptr);
    }
    std::filesystem::current_path(old);
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
    TempDir config;
    ScopedEnv xdg("XDG_CONFIG_HOME", config.path());
    auto old = std::filesystem::current_path();
    std::filesystem::current_path(KESTRIX_BINARY_DIR);
    ScriptedUi ui;
    CKESTRIX_2App app;
    EXPECT_TRUE(app.InitInstance());
    std::filesystem::current_path(old);
    ASSERT_NE(app.MainFrame(), nullptr);
    EXPECT_EQ(app.MainFrame()->windowTitle(), "KESTRIX ver2.0");
    EXPECT_FALSE(app.Colorizer().LookupCommand("print").empty());
    EXPECT_GT(app.Colorizer().CommandCount(), 200u);
}

} // namespace
