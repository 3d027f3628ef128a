// The atomic file writer, in both of the ways the program uses it: the
// settings hive's (a fixed temporary name under its lock, a link at the path
// replaced, always 0600) and the editor's (a unique temporary name, a link
// followed, the old file's permissions kept). Its system calls are watched
// through RecordingFileCalls, so a lost fsync or a step out of order fails.
#include "platform/file/AtomicFileWriter.h"

#include "RecordingFileCalls.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

using Options = AtomicFileWriter::Options;
using Steps = std::vector<std::string>;

Options HiveWay()
{
    Options options;
    options.temporary = AtomicFileWriter::Temporary::Fixed;
    options.links = AtomicFileWriter::Links::Replace;
    options.mode = 0600;
    return options;
}

Options EditorWay()
{
    return Options{};
}

struct Way {
    const char* name;
    Options options;
};

const Way kWays[] = {
    {"the hive's way", HiveWay()},
    {"the editor's way", EditorWay()},
};

mode_t ModeOf(const std::string& path)
{
    struct stat st {};
    EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
    return st.st_mode & 07777;
}

std::vector<std::string> Names(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

TEST(AtomicFileWriter, TheBytesReachTheDiskBeforeTheRenameAndTheRenameAfterIt)
{
    const Steps durable = {"write", "fsync", "rename", "fsync folder"};
    for (const Way& way : kWays) {
        SCOPED_TRACE(way.name);
        TempDir dir;
        const std::string path = dir.file("data.txt");
        {
            RecordingFileCalls calls;
            ASSERT_EQ(AtomicFileWriter::Write(path, "first\n", way.options), 0);
            EXPECT_EQ(calls.ReplaceSteps(path), durable) << "a new file";
        }
        {
            RecordingFileCalls calls;
            ASSERT_EQ(AtomicFileWriter::Write(path, "second\r\n", way.options), 0);
            EXPECT_EQ(calls.ReplaceSteps(path), durable) << "over an old file";
        }
        EXPECT_EQ(ReadFileBytes(path), "second\r\n");
        EXPECT_EQ(Names(dir.path()), std::vector<std::string>{"data.txt"}) << "no temporary file is left";
    }
}

TEST(AtomicFileWriter, AFailedStepLeavesTheOldFileAsItWasAndNothingBesideIt)
{
    struct Step {
        const char* name;
        const char* call;
        int error;
    };
    const Step steps[] = {
        {"the disk is full while writing", "write", ENOSPC},
        {"the permissions cannot be set", "fchmod", EPERM},
        {"the flush fails", "fsync", EIO},
        {"the close reports a lost write", "close", EIO},
        {"the rename fails", "rename", EXDEV},
    };
    for (const Way& way : kWays) {
        for (const auto& step : steps) {
            SCOPED_TRACE(std::string(way.name) + ", " + step.name);
            TempDir dir;
            const std::string path = dir.write("data.txt", "old bytes\n");
            RecordingFileCalls calls;
            calls.FailNext(step.call, step.error);
            EXPECT_EQ(AtomicFileWriter::Write(path, "new bytes\n", way.options), step.error);
            EXPECT_EQ(ReadFileBytes(path), "old bytes\n");
            EXPECT_EQ(Names(dir.path()), std::vector<std::string>{"data.txt"});
        }
    }
}

TEST(AtomicFileWriter, ALinkIsFollowedOrReplacedAsAsked)
{
    TempDir dir;
    const std::string script = dir.write("script.cgi", "old\n");
    const std::string link = dir.file("link.cgi");
    fs::create_symlink(script, link);

    ASSERT_EQ(AtomicFileWriter::Write(link, "through the link\n", EditorWay()), 0);
    EXPECT_TRUE(fs::is_symlink(link)) << "the editor's way keeps the link";
    EXPECT_EQ(ReadFileBytes(script), "through the link\n");

    ASSERT_EQ(AtomicFileWriter::Write(link, "in the link's place\n", HiveWay()), 0);
    EXPECT_FALSE(fs::is_symlink(link)) << "the hive's way replaces the link";
    EXPECT_EQ(ReadFileBytes(link), "in the link's place\n");
    EXPECT_EQ(ReadFileBytes(script), "through the link\n") << "the file the link named is left alone";

    // A link planted at the fixed temporary name is replaced, not written
    // through.
    const std::string elsewhere = dir.write("elsewhere", "untouched\n");
    fs::create_symlink(elsewhere, dir.file("hive.tmp"));
    EXPECT_NE(AtomicFileWriter::Write(dir.file("hive"), "secret\n", HiveWay()), 0);
    EXPECT_EQ(ReadFileBytes(elsewhere), "untouched\n");
}

TEST(AtomicFileWriter, TheNewFileGetsTheKeptOrTheGivenPermissions)
{
    const mode_t oldMask = ::umask(022);
    struct Row {
        const char* name;
        mode_t before; // 0: no file before
        Options options;
        mode_t after;
    };
    const Row rows[] = {
        {"a script keeps its permissions", 0750, EditorWay(), 0750},
        {"a script keeps its set-group-id bit, which writing would clear", 02750, EditorWay(), 02750},
        {"a new script gets what the umask leaves", 0, EditorWay(), 0644},
        {"the hive is private whatever it was", 0644, HiveWay(), 0600},
        {"a new hive is private", 0, HiveWay(), 0600},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TempDir dir;
        const std::string path = dir.file("file");
        if (row.before) {
            dir.write("file", "old\n");
            ASSERT_EQ(::chmod(path.c_str(), row.before), 0);
        }
        // A temporary file left over by a crash does not lend its mode.
        if (row.options.temporary == AtomicFileWriter::Temporary::Fixed) {
            dir.write("file.tmp", "left over\n");
            ::chmod((path + ".tmp").c_str(), 0666);
        }
        ASSERT_EQ(AtomicFileWriter::Write(path, "new\n", row.options), 0);
        EXPECT_EQ(ModeOf(path), row.after);
        EXPECT_EQ(ReadFileBytes(path), "new\n");
    }
    ::umask(oldMask);
}

TEST(AtomicFileWriter, AFolderAtThePathOrNoFolderFailsWithoutWriting)
{
    for (const Way& way : kWays) {
        SCOPED_TRACE(way.name);
        TempDir dir;
        fs::create_directory(dir.file("folder"));
        EXPECT_EQ(AtomicFileWriter::Write(dir.file("folder"), "x", way.options), EISDIR);
        EXPECT_EQ(AtomicFileWriter::Write(dir.file("gone/file"), "x", way.options), ENOENT);
        EXPECT_EQ(AtomicFileWriter::Write("", "x", way.options), ENOENT);
        EXPECT_EQ(Names(dir.path()), std::vector<std::string>{"folder"});
    }
}
