// The data-file search order and the two-call buffer protocol.
#include "TempDir.h"

#include "platform/shell/Shell.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace {

std::string Find(const char* name, const char* ext)
{
    DWORD needed = SearchPathA(nullptr, name, ext, 0, nullptr, nullptr);
    if (needed == 0)
        return {};
    std::string buffer(needed, '\0');
    DWORD length = SearchPathA(nullptr, name, ext, needed, buffer.data(), nullptr);
    EXPECT_EQ(length + 1, needed) << "the first call gives the length with its NUL";
    buffer.resize(length);
    return buffer;
}

TEST(SearchPath, CurrentFolderThenDataFolderThenPath)
{
    TempDir cwd, data, pathA, pathB;
    ScopedCurrentDir inCwd(cwd.path());
    ScopedEnv dataEnv("KESTRIX_DATA_DIR", data.path());
    ScopedEnv pathEnv("PATH", pathA.path() + "::" + pathB.path());

    EXPECT_EQ(Find("probe", ".dat"), "");
    pathB.write("probe.dat", "b");
    EXPECT_EQ(Find("probe", ".dat"), pathB.file("probe.dat"));
    pathA.write("probe.dat", "a");
    EXPECT_EQ(Find("probe", ".dat"), pathA.file("probe.dat"));
    data.write("probe.dat", "d");
    EXPECT_EQ(Find("probe", ".dat"), data.file("probe.dat"));
    cwd.write("probe.dat", "c");
    EXPECT_EQ(Find("probe", ".dat"), cwd.file("probe.dat"));
    // A folder of that name is no file.
    std::filesystem::create_directory(cwd.file("dir.dat"));
    EXPECT_EQ(Find("dir", ".dat"), "");
}

TEST(SearchPath, ProgramFolderComesFirst)
{
    auto folders = DataSearchFolders();
    ASSERT_GE(folders.size(), 3u);
    EXPECT_EQ(folders[0], ProgramFolder());
    EXPECT_EQ(folders[1], std::filesystem::current_path().string());
}

TEST(SearchPath, SmallBufferIsNotWritten)
{
    TempDir cwd;
    ScopedCurrentDir inCwd(cwd.path());
    cwd.write("probe.dat", "c");
    char buffer[4] = {'x', 'x', 'x', 'x'};
    DWORD needed = SearchPathA(nullptr, "probe", ".dat", sizeof buffer, buffer, nullptr);
    EXPECT_EQ(needed, cwd.file("probe.dat").size() + 1);
    EXPECT_EQ(std::string(buffer, 4), "xxxx");
}

} // namespace
