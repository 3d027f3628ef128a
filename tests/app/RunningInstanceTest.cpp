// Files named when the program is started again go to the program already
// running on the same settings.
#include "AppFixture.h"

#include "app/CRunningInstance.h"

#include <QTest>
#include <fstream>
#include <future>

namespace {

using namespace apptest;

// Hands the files over from another thread, as a second program would,
// while this thread's event loop lets the listener answer.
bool HandOverFromAnotherStart(const std::vector<std::string>& files)
{
    auto handed = std::async(std::launch::async, [files] { return CRunningInstance::HandOver(files); });
    while (handed.wait_for(std::chrono::milliseconds(5)) != std::future_status::ready)
        QApplication::processEvents();
    return handed.get();
}

TEST(RunningInstance, WithNoProgramRunningNothingIsHandedOver)
{
    OwnHive hive;
    EXPECT_FALSE(CRunningInstance::HandOver({"/tmp/a.cgi"}, 300));
}

TEST(RunningInstance, TheRunningProgramTakesAbsolutePathsAndOneListenerPerSettings)
{
    OwnHive hive;
    TempDir cwd;
    std::vector<std::vector<std::string>> received;
    CRunningInstance running;
    ASSERT_TRUE(running.Listen([&](const std::vector<std::string>& files) { received.push_back(files); }));
    // A second program on the same settings does not take over.
    CRunningInstance second;
    EXPECT_FALSE(second.Listen({}));
    {
        ScopedCurrentDir in(cwd.path());
        EXPECT_TRUE(HandOverFromAnotherStart({"relative.cgi", "/abs/x.pl", "file:///abs/y.cgi"}));
    }
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0],
              (std::vector<std::string>{cwd.path() + "/relative.cgi", "/abs/x.pl", "file:///abs/y.cgi"}));
    // Programs on other settings stay apart.
    OwnHive other;
    EXPECT_FALSE(CRunningInstance::HandOver({"/abs/z.cgi"}, 300));
    EXPECT_EQ(received.size(), 1u);
}

class HandedFiles : public AppFixture {};

TEST_F(HandedFiles, OpenInTheRunningProgramsEditorWindows)
{
    const std::string path = files_.path() + "/handed.cgi";
    std::ofstream(path) << "print 1;\n";
    CRunningInstance running;
    ASSERT_TRUE(running.Listen(
        [this](const std::vector<std::string>& files) { App().OpenCommandLineFiles(files, true); }));
    EXPECT_TRUE(HandOverFromAnotherStart({path}));
    EXPECT_EQ(WindowTitles(), Lines({"handed.cgi"}));
    EXPECT_TRUE(ui.Boxes().empty());
}

} // namespace
