// The child process as the syntax check and the debug console use it, run
// against a purpose-built child program with named behaviours. Every test
// fails when a process it started is still running at its end.
#include "TempDir.h"

#include "platform/base/WinTypes.h"
#include "platform/process/CChildProcess.h"
#include "platform/process/ProcessScan.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

// Whether a process still runs (a zombie waiting for its parent counts as
// ended).
bool Alive(qint64 pid)
{
    if (pid <= 0 || ::kill(pid_t(pid), 0) != 0)
        return false;
    FILE* stat = std::fopen(("/proc/" + std::to_string(pid) + "/stat").c_str(), "r");
    if (!stat)
        return false;
    char line[512] = {};
    const bool read = std::fgets(line, sizeof line, stat) != nullptr;
    std::fclose(stat);
    const char* close = read ? std::strrchr(line, ')') : nullptr;
    return close && close[1] == ' ' && close[2] != 'Z';
}

class ChildProcessTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        child.reset();
        for (qint64 pid : started)
            EXPECT_FALSE(Alive(pid)) << "process " << pid << " was left running";
    }

    ChildLaunch Launch(std::vector<std::string> arguments, ChildInput input = ChildInput::Pipe) const
    {
        return ChildLaunch{KESTRIX_CHILD, std::move(arguments), {}, input};
    }

    void Start(const ChildLaunch& launch)
    {
        child = std::make_unique<CChildProcess>();
        child->onOutput = [this](ChildStream stream, std::string_view bytes) {
            (stream == ChildStream::Output ? out : err).append(bytes);
            order.push_back(stream);
            chunks.push_back(std::string(bytes));
        };
        child->onFinished = [this](const ChildExit& e) {
            exits.push_back(e);
            outAtEnd = out;
        };
        unsigned error = 0;
        ASSERT_TRUE(child->Start(launch, error)) << "error " << error;
        started.push_back(child->ProcessId());
    }

    // Runs the event loop until the condition holds; false after 10 s.
    template <typename Condition> bool WaitUntil(Condition condition)
    {
        QElapsedTimer clock;
        clock.start();
        while (!condition()) {
            if (clock.elapsed() > 10000)
                return false;
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        }
        return true;
    }

    std::unique_ptr<CChildProcess> child;
    std::vector<qint64> started;
    std::string out, err, outAtEnd;
    std::vector<ChildStream> order;
    std::vector<std::string> chunks;
    std::vector<ChildExit> exits;
};

TEST_F(ChildProcessTest, ArgumentsReachTheChildAsTheyAreWithoutAShell)
{
    Start(Launch({"args", "my site/a b.cgi", "\"quoted\"", "$HOME", "*", "a;b"}));
    ASSERT_TRUE(child->WaitForFinished(10000));
    EXPECT_EQ(out, "my site/a b.cgi\n\"quoted\"\n$HOME\n*\na;b\n");
    ASSERT_EQ(exits.size(), 1u);
    EXPECT_EQ(exits[0].exitCode, 0);
    EXPECT_FALSE(exits[0].crashed);
}

TEST_F(ChildProcessTest, TheChildLeadsASessionOfItsOwnWithADumbTerminal)
{
    Start(Launch({"session"}));
    ASSERT_TRUE(child->WaitForFinished(10000));
    Start(Launch({"env"}));
    ASSERT_TRUE(child->WaitForFinished(10000));
    EXPECT_EQ(out, "leader\ndumb\n");
}

TEST_F(ChildProcessTest, LineBreaksAndALastLineWithoutBreakArriveByteForByte)
{
    Start(Launch({"crlf"}));
    ASSERT_TRUE(child->WaitForFinished(10000));
    Start(Launch({"cr"}));
    ASSERT_TRUE(child->WaitForFinished(10000));
    Start(Launch({"nonl"}));
    ASSERT_TRUE(child->WaitForFinished(10000));
    EXPECT_EQ(out, "one\r\ntwo\r\none\rtwo\nlast line");
    // The output written just before the end came before the end was told.
    EXPECT_EQ(outAtEnd, out);
}

TEST_F(ChildProcessTest, BigOutputArrivesWholeAndInOrderBeforeTheEnd)
{
    const long size = 5 * 1024 * 1024 + 37;
    Start(Launch({"big", std::to_string(size)}));
    ASSERT_TRUE(child->WaitForFinished(30000));
    ASSERT_EQ(long(out.size()), size);
    EXPECT_EQ(outAtEnd.size(), out.size());
    for (long i = 0; i < size; ++i)
        if (out[std::size_t(i)] != (i % 100 == 99 ? '\n' : 'x'))
            FAIL() << "byte " << i << " is out of place";
}

TEST_F(ChildProcessTest, BothStreamsAreDeliveredInTheOrderTheyWereWritten)
{
    Start(Launch({"both"}));
    ASSERT_TRUE(child->WaitForFinished(10000));
    EXPECT_EQ(out, "out 0\nout 1\nout 2\n");
    EXPECT_EQ(err, "err 0\nerr 1\nerr 2\n");
    std::string joined;
    for (const std::string& chunk : chunks)
        joined += chunk;
    EXPECT_EQ(joined, "out 0\nerr 0\nout 1\nerr 1\nout 2\nerr 2\n");
}

TEST_F(ChildProcessTest, LinesWrittenToTheInputComeBackAndClosingItEndsTheInput)
{
    Start(Launch({"echo"}));
    EXPECT_TRUE(child->Write("p $x\n"));
    ASSERT_TRUE(WaitUntil([&] { return out == "> p $x\n"; })) << out;
    EXPECT_TRUE(child->Write("second\n"));
    ASSERT_TRUE(WaitUntil([&] { return out == "> p $x\n> second\n"; })) << out;
    child->CloseInput();
    ASSERT_TRUE(child->WaitForFinished(10000));
    EXPECT_EQ(out, "> p $x\n> second\ninput ended\n");
    EXPECT_FALSE(child->Write("late\n")) << "nothing is written to an ended child";
}

TEST_F(ChildProcessTest, AChildWithoutInputReadsTheEndAtOnce)
{
    Start(Launch({"echo"}, ChildInput::None));
    ASSERT_TRUE(child->WaitForFinished(10000));
    EXPECT_EQ(out, "input ended\n");
    EXPECT_FALSE(child->Write("x\n"));
}

TEST_F(ChildProcessTest, ACrashIsReportedAsSuchAfterItsOutput)
{
    Start(Launch({"crash"}));
    ASSERT_TRUE(child->WaitForFinished(10000));
    ASSERT_EQ(exits.size(), 1u);
    EXPECT_TRUE(exits[0].crashed);
    EXPECT_EQ(outAtEnd, "before crash\n");
    Start(Launch({"exit", "7"}));
    ASSERT_TRUE(child->WaitForFinished(10000));
    ASSERT_EQ(exits.size(), 2u);
    EXPECT_EQ(exits[1].exitCode, 7);
    EXPECT_FALSE(exits[1].crashed);
}

TEST_F(ChildProcessTest, TerminatingEndsTheChildAndEverythingItStarted)
{
    Start(Launch({"grandchild"}));
    ASSERT_TRUE(WaitUntil([&] { return out.find('\n') != std::string::npos; }));
    const qint64 grandchild = std::stoll(out);
    started.push_back(grandchild);
    ASSERT_TRUE(Alive(grandchild));
    EXPECT_TRUE(child->IsRunning());
    child->Terminate();
    EXPECT_FALSE(child->IsRunning());
    EXPECT_FALSE(Alive(started[0]));
    ASSERT_TRUE(WaitUntil([&] { return !Alive(grandchild); })) << "the grandchild outlived the run";
    EXPECT_TRUE(exits.empty()) << "a run ended on purpose reports no end";
}

TEST_F(ChildProcessTest, DestroyingTheObjectEndsABlockedChild)
{
    Start(Launch({"block"}));
    ASSERT_TRUE(WaitUntil([&] { return !out.empty(); }));
    EXPECT_EQ(std::stoll(out), started[0]);
    child.reset();
    EXPECT_FALSE(Alive(started[0]));
}

TEST_F(ChildProcessTest, ARunningProgramIsFoundByItsPathExactlyOrIgnoringCase)
{
    TempDir folder;
    const std::string copy = folder.file("KxServer");
    std::filesystem::copy_file(KESTRIX_CHILD, copy);
    std::string lower = copy;
    for (char& c : lower)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_FALSE(IsProcessRunning(1, copy));
    Start(ChildLaunch{copy, {"block"}, {}, ChildInput::None});
    ASSERT_TRUE(WaitUntil([&] { return !out.empty(); }));
    EXPECT_TRUE(IsProcessRunning(1, copy));
    EXPECT_FALSE(IsProcessRunning(1, lower)) << "the exact search minds case";
    EXPECT_TRUE(IsProcessRunning(0, lower)) << "the other family's search does not";
    EXPECT_FALSE(IsProcessRunning(2, copy));
    child->Terminate();
    EXPECT_FALSE(IsProcessRunning(1, copy));
}

TEST_F(ChildProcessTest, AProgramThatCannotStartGivesTheSystemsReason)
{
    CChildProcess process;
    unsigned error = 0;
    EXPECT_FALSE(
        process.Start(ChildLaunch{"/nonexistent/perl", {"-wc", "a.cgi"}, {}, ChildInput::None}, error));
    EXPECT_EQ(error, unsigned(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(process.IsRunning());
    TempDir folder;
    const std::string notAProgram = folder.write("a.cgi", "print 1;\n");
    EXPECT_FALSE(process.Start(ChildLaunch{notAProgram, {}, {}, ChildInput::None}, error));
    EXPECT_EQ(error, unsigned(ERROR_ACCESS_DENIED));
    EXPECT_FALSE(process.Write("x"));
}

} // namespace
