// Loading "keydata.dat": the byte walk, the messages, the tip switch and the
// search order.
#include "EditorFixture.h"

#include "platform/registry/SettingsStore.h"

#include <filesystem>

using namespace editortest;

namespace {

struct WalkCase {
    const char* name;
    std::string data;
    std::vector<std::pair<std::string, std::string>> present;
    std::vector<std::string> absent;
};

void PrintTo(const WalkCase& c, std::ostream* os)
{
    *os << c.name;
}

class CommandWalk : public ::testing::TestWithParam<WalkCase> {};

TEST_P(CommandWalk, StoresRecordsAsWritten)
{
    const WalkCase& c = GetParam();
    TempDir dir;
    CSyntaxColorizer colorizer;
    ASSERT_TRUE(colorizer.LoadCommandFile(dir.write("keydata.dat", c.data)));
    for (const auto& [key, value] : c.present)
        EXPECT_EQ(colorizer.LookupCommand(key), value) << "key \"" << key << "\"";
    for (const auto& key : c.absent)
        EXPECT_EQ(colorizer.LookupCommand(key), "") << "key \"" << key << "\"";
}

INSTANTIATE_TEST_SUITE_P(
    Records, CommandWalk,
    ::testing::Values(WalkCase{"TwoTips",
                               "print=print LIST:print FILEHANDLE LIST:/",
                               {{"print", "print LIST:print FILEHANDLE LIST:"}},
                               {"prin", "print "}},
                      WalkCase{"UnclosedLastRecordDropped", "a=1/b=2", {{"a", "1"}}, {"b"}},
                      WalkCase{"LineBreakJoinsNextKey", "a=1/\r\nb=2/", {{"a", "1"}, {"\r\nb", "2"}}, {"b"}},
                      WalkCase{"SecondEqualsDropped", "a=x=y/", {{"a", "xy"}}, {}},
                      WalkCase{"LastRecordWins", "a=1/a=2/", {{"a", "2"}}, {}},
                      WalkCase{"EmptyValueIsNoCommand", "abc/x=1/", {{"x", "1"}}, {"abc"}},
                      WalkCase{"CaseSensitive", "Print=p:/", {{"Print", "p:"}}, {"print", "PRINT"}},
                      WalkCase{"NulEndsData", std::string("a=1/\0b=2/", 9), {{"a", "1"}}, {"b"}},
                      // A Shift-JIS tip whose trail bytes are 0x5C and 0x7C stays intact.
                      WalkCase{
                          "ShiftJisTips", "open=\x83\x5C\x95\x5C:/", {{"open", "\x83\x5C\x95\x5C:"}}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CommandData, MissingFileShowsErrorWithPathAndFails)
{
    ScriptedUi ui;
    ui.AnswerBox(IDOK);
    CSyntaxColorizer colorizer;
    EXPECT_FALSE(colorizer.LoadCommandFile("/nonexistent/keydata.dat"));
    ASSERT_EQ(ui.Boxes().size(), 1u);
    EXPECT_EQ(ui.Boxes()[0].text, "/nonexistent/keydata.dat");
    EXPECT_EQ(ui.Boxes()[0].caption, "Error");
    EXPECT_EQ(ui.Boxes()[0].buttons, MB_OK);
}

TEST(CommandData, EmptyFileFailsWithoutMessage)
{
    ScriptedUi ui; // any box would fail the test
    TempDir dir;
    CSyntaxColorizer colorizer;
    EXPECT_FALSE(colorizer.LoadCommandFile(dir.write("keydata.dat", "")));
    EXPECT_TRUE(ui.Boxes().empty());
}

// Runs a load with the current folder set to a folder of the test's own, and
// with neither PATH nor the data folder holding a data file.
class CommandDataLoad : public ::testing::Test {
protected:
    void SetUp() override
    {
        old_ = std::filesystem::current_path();
        std::filesystem::current_path(cwd_.path());
    }
    void TearDown() override { std::filesystem::current_path(old_); }
    // Stored settings with the tip switch off.
    static void SaveTipsOff() { settings::SaveFontSettings({"x", 1, 200, 0, 0, 0}); }
    TempDir cwd_;
    TempDir config_;
    TempDir empty_;
    ScopedEnv xdg_{"XDG_CONFIG_HOME", config_.path()};
    ScopedEnv path_{"PATH", ""};
    ScopedEnv data_{"KESTRIX_DATA_DIR", empty_.path()};
    std::filesystem::path old_;
};

TEST_F(CommandDataLoad, TipWindowIsCreatedFirstAndItsFailureStopsTheLoad)
{
    ScriptedUi ui; // no file is searched for, so no "Error" box either
    SaveTipsOff();
    auto tip = std::make_unique<RecordingTip>();
    tip->createResult = false;
    const RecordingTip* window = tip.get();
    CSyntaxColorizer colorizer;
    colorizer.SetTipWindow(std::move(tip));
    EXPECT_FALSE(colorizer.LoadCommandData(nullptr));
    EXPECT_EQ(window->created, 1);
    EXPECT_EQ(colorizer.TipSwitch(), 1) << "the tip flag is read only after the window exists";
}

TEST_F(CommandDataLoad, FileInTheCurrentFolderIsLoaded)
{
    SaveTipsOff();
    cwd_.write("keydata.dat", "print=print LIST:/");
    CSyntaxColorizer colorizer;
    EXPECT_TRUE(colorizer.LoadCommandData(nullptr));
    EXPECT_EQ(colorizer.LookupCommand("print"), "print LIST:");
    EXPECT_EQ(colorizer.TipSwitch(), 0);
}

TEST_F(CommandDataLoad, MissingFileShowsAnEmptyErrorBoxAfterTheTipFlagWasRead)
{
    SaveTipsOff();
    ScriptedUi ui;
    ui.AnswerBox(IDOK);
    CSyntaxColorizer colorizer;
    EXPECT_FALSE(colorizer.LoadCommandData(nullptr));
    ASSERT_EQ(ui.Boxes().size(), 1u);
    EXPECT_EQ(ui.Boxes()[0].text, "");
    EXPECT_EQ(ui.Boxes()[0].caption, "Error");
    EXPECT_EQ(colorizer.TipSwitch(), 0);
}

TEST_F(CommandDataLoad, TipsStayOnWithoutStoredSettings)
{
    cwd_.write("keydata.dat", "a=1/");
    CSyntaxColorizer colorizer;
    EXPECT_TRUE(colorizer.LoadCommandData(nullptr));
    EXPECT_EQ(colorizer.TipSwitch(), 1);
}

} // namespace
