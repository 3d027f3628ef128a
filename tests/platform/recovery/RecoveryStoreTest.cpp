// The recovery store: records survive their writer's death whole or not at
// all, only the folders of copies that have ended are offered, and two copies
// running at once keep their files apart. Copies of the program are played by
// forked children, which die by SIGKILL as a crashed program would.
#include "platform/recovery/RecoveryStore.h"
#include "platform/recovery/RecoveryWriter.h"

#include "NamedCase.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

RecoveryRecord Record(const std::string& path, const std::string& body)
{
    RecoveryRecord r;
    r.path = path;
    r.title = fs::path(path).filename().string();
    r.diskTime = 1234567890123456789;
    r.diskSize = 42;
    r.body = body;
    return r;
}

// Shift-JIS: "漢字" and the half-width katakana "ｶﾀｶﾅ", with CR LF breaks.
const std::string kSjis = "print \"\x8a\xbf\x8e\x9a \xb6\xc0\xb6\xc5\";\r\n# \x5c\x5c\r\n";

// A copy of the program in a child process: opens its own store in the
// folder, writes the records and tells the parent through a pipe, then waits
// to be killed.
pid_t StartCopy(const std::string& folder, const std::vector<RecoveryRecord>& records)
{
    int fds[2];
    if (::pipe(fds) != 0)
        return -1;
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        RecoveryStore store(folder);
        char ok = store.Open() == 0 ? 'y' : 'n';
        for (std::size_t i = 0; i < records.size(); ++i)
            if (store.Write("doc" + std::to_string(i), records[i]) != 0)
                ok = 'n';
        if (::write(fds[1], &ok, 1) != 1)
            ::_exit(3);
        for (;;)
            ::pause();
    }
    ::close(fds[1]);
    char ok = 0;
    const bool told = ::read(fds[0], &ok, 1) == 1;
    ::close(fds[0]);
    EXPECT_TRUE(told && ok == 'y');
    return pid;
}

void Kill(pid_t pid)
{
    ::kill(pid, SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);
}

std::vector<std::string> Bodies(const std::vector<RecoveryRecord>& records)
{
    std::vector<std::string> bodies;
    for (const auto& r : records)
        bodies.push_back(r.body);
    std::sort(bodies.begin(), bodies.end());
    return bodies;
}

} // namespace

TEST(RecoveryRecordTest, AWholeRecordReadsBackByteForByte)
{
    RecoveryRecord r = Record("/home/u/a\nb\\c.cgi", kSjis + std::string("\0tail", 5));
    r.kind = "rtf";
    r.readOnly = true;
    const auto back = RecoveryRecord::Decode(r.Encode());
    ASSERT_TRUE(back);
    EXPECT_EQ(back->path, r.path);
    EXPECT_EQ(back->title, r.title);
    EXPECT_EQ(back->kind, "rtf");
    EXPECT_TRUE(back->readOnly);
    EXPECT_EQ(back->diskTime, r.diskTime);
    EXPECT_EQ(back->diskSize, 42);
    EXPECT_EQ(back->body, r.body);
}

TEST(RecoveryRecordTest, ARecordCutShortAnywhereOrWithAnyByteChangedIsRefused)
{
    const std::string whole = Record("/x/y.cgi", kSjis).Encode();
    for (std::size_t n = 0; n < whole.size(); ++n)
        EXPECT_FALSE(RecoveryRecord::Decode(whole.substr(0, n))) << "cut at " << n;
    for (std::size_t i = 0; i < whole.size(); ++i) {
        std::string bad = whole;
        bad[i] = char(bad[i] ^ 0x20);
        EXPECT_FALSE(RecoveryRecord::Decode(bad)) << "byte " << i << " changed";
    }
    EXPECT_FALSE(RecoveryRecord::Decode(whole + "x"));
}

TEST(RecoveryStoreTest, TheFolderFollowsXdgStateHomeAndElseTheHomeFolder)
{
    {
        ScopedEnv state("XDG_STATE_HOME", "/s/state");
        EXPECT_EQ(RecoveryStore::DefaultFolder(), "/s/state/kestrix/recovery");
    }
    ScopedEnv state("XDG_STATE_HOME", "");
    ScopedEnv home("HOME", "/home/someone");
    EXPECT_EQ(RecoveryStore::DefaultFolder(), "/home/someone/.local/state/kestrix/recovery");
}

TEST(RecoveryStoreTest, FoldersAndFilesAreTheUsersOwnAndACleanEndLeavesNothing)
{
    TempDir dir;
    const std::string folder = dir.file("state/kestrix/recovery");
    RecoveryStore store(folder);
    ASSERT_EQ(store.Open(), 0);
    ASSERT_EQ(store.Write("doc1", Record("/a.cgi", kSjis)), 0);
    const std::string file = store.SessionFolder() + "/doc1.kxr";
    EXPECT_EQ(fs::status(folder).permissions() & fs::perms::all, fs::perms::owner_all);
    EXPECT_EQ(fs::status(store.SessionFolder()).permissions() & fs::perms::all, fs::perms::owner_all);
    EXPECT_EQ(fs::status(file).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);

    store.Remove("doc1");
    EXPECT_FALSE(fs::exists(file));
    store.Close();
    EXPECT_TRUE(fs::is_empty(folder));
}

TEST(RecoveryStoreTest, TwoRunningCopiesNeverSeeEachOthersFilesAndADeadCopysAreOfferedOnce)
{
    TempDir dir;
    const std::string folder = dir.file("recovery");
    const pid_t other = StartCopy(folder, {Record("/other.cgi", "other's text")});
    ASSERT_GT(other, 0);

    RecoveryStore mine(folder);
    ASSERT_EQ(mine.Open(), 0);
    ASSERT_EQ(mine.Write("doc0", Record("/mine.cgi", "my text")), 0);
    EXPECT_TRUE(mine.ClaimOrphans().empty()) << "the other copy is still running";

    // A third copy starting now sees neither running copy's files either.
    RecoveryStore third(folder);
    ASSERT_EQ(third.Open(), 0);
    EXPECT_TRUE(third.ClaimOrphans().empty());

    Kill(other);
    const auto offered = third.ClaimOrphans();
    ASSERT_EQ(offered.size(), 1u);
    EXPECT_EQ(offered[0].path, "/other.cgi");
    EXPECT_EQ(offered[0].body, "other's text");
    // While the third copy holds the dead folder, no one else is offered it.
    EXPECT_TRUE(mine.ClaimOrphans().empty());

    third.Forget(offered[0]);
    third.ReleaseClaims();
    EXPECT_TRUE(mine.ClaimOrphans().empty()) << "a restored record is offered only once";
    EXPECT_EQ(fs::directory_iterator(folder) == fs::directory_iterator(), false);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 2)
        << "the dead copy's emptied folder is gone; the two running copies' stay";
}

TEST(RecoveryStoreTest, RecordsNotRestoredNorDiscardedAreOfferedAgainOnALaterStart)
{
    TempDir dir;
    const std::string folder = dir.file("recovery");
    Kill(StartCopy(folder, {Record("/a.cgi", "a"), Record("/b.cgi", kSjis)}));
    {
        RecoveryStore first(folder);
        ASSERT_EQ(first.Open(), 0);
        const auto offered = first.ClaimOrphans();
        ASSERT_EQ(offered.size(), 2u);
        first.Forget(offered[0]);
        first.ReleaseClaims();
        // This copy crashes too, with the second record still unanswered.
    }
    RecoveryStore second(folder);
    ASSERT_EQ(second.Open(), 0);
    const auto again = second.ClaimOrphans();
    ASSERT_EQ(again.size(), 1u);
    EXPECT_EQ(again[0].body, kSjis);
}

TEST(RecoveryStoreTest, AFileLeftHalfWrittenByACrashIsNeverOfferedAndIsCleanedAway)
{
    TempDir dir;
    const std::string folder = dir.file("recovery");
    const pid_t copy = StartCopy(folder, {Record("/whole.cgi", "whole")});
    std::string session;
    for (const auto& e : fs::directory_iterator(folder))
        session = e.path().string();
    const std::string whole = Record("/cut.cgi", kSjis).Encode();
    // What a crash in the middle of writing can leave: the writer's
    // temporary file, and (were the file written in place) a cut record.
    std::FILE* f = std::fopen((session + "/.doc1.kxr.kx-AbCdEf").c_str(), "wb");
    std::fwrite(whole.data(), 1, whole.size() / 2, f);
    std::fclose(f);
    f = std::fopen((session + "/doc2.kxr").c_str(), "wb");
    std::fwrite(whole.data(), 1, whole.size() - 1, f);
    std::fclose(f);
    Kill(copy);

    RecoveryStore store(folder);
    ASSERT_EQ(store.Open(), 0);
    const auto offered = store.ClaimOrphans();
    EXPECT_EQ(Bodies(offered), std::vector<std::string>{"whole"});
    EXPECT_FALSE(fs::exists(session + "/doc2.kxr"));
    EXPECT_FALSE(fs::exists(session + "/.doc1.kxr.kx-AbCdEf"));
}

TEST(RecoveryStoreTest, ACopyKilledWhileWritingLeavesEitherTheOldOrTheNewTextNeverAMix)
{
    TempDir dir;
    const std::string folder = dir.file("recovery");
    // Each round a copy rewrites one large record over and over and is
    // killed at a different moment of it.
    const std::string a(3 << 20, 'a'), b(2 << 20, 'b');
    for (int round = 0; round < 6; ++round) {
        int fds[2];
        ASSERT_EQ(::pipe(fds), 0);
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::close(fds[0]);
            RecoveryStore store(folder);
            if (store.Open() != 0 || store.Write("doc", Record("/big.cgi", a)) != 0)
                ::_exit(3);
            if (::write(fds[1], "y", 1) != 1)
                ::_exit(3);
            for (int i = 0;; ++i)
                store.Write("doc", Record("/big.cgi", i % 2 ? a : b));
        }
        ::close(fds[1]);
        char ok = 0;
        ASSERT_EQ(::read(fds[0], &ok, 1), 1);
        ::close(fds[0]);
        ::usleep(useconds_t(3000 + round * 7000));
        Kill(pid);
    }
    RecoveryStore store(folder);
    ASSERT_EQ(store.Open(), 0);
    const auto offered = store.ClaimOrphans();
    ASSERT_EQ(offered.size(), 6u);
    for (const auto& r : offered)
        EXPECT_TRUE(r.body == a || r.body == b) << "a body of " << r.body.size() << " bytes";
    store.ReleaseClaims();
}

TEST(RecoveryWriterTest, TheWriterFoldsJobsAndARemovalAfterAWriteWins)
{
    TempDir dir;
    RecoveryStore store(dir.file("recovery"));
    ASSERT_EQ(store.Open(), 0);
    RecoveryWriter writer(store);
    for (int i = 0; i < 50; ++i)
        writer.Write("kept", Record("/k.cgi", "text " + std::to_string(i)));
    writer.Write("saved", Record("/s.cgi", "unsaved"));
    writer.Remove("saved");
    writer.Flush();
    EXPECT_EQ(writer.Failures(), 0);
    const auto kept = RecoveryRecord::Decode(ReadFileBytes(store.SessionFolder() + "/kept.kxr"));
    ASSERT_TRUE(kept);
    EXPECT_EQ(kept->body, "text 49");
    EXPECT_FALSE(fs::exists(store.SessionFolder() + "/saved.kxr"));
}

TEST(RecoveryWriterTest, AStoreThatStartsFailingIsToldOnceAndAgainOnlyAfterAWriteWentWell)
{
    TempDir dir;
    RecoveryStore store(dir.file("recovery"));
    ASSERT_EQ(store.Open(), 0);
    RecoveryWriter writer(store);
    std::vector<int> told;
    writer.SetFailureListener([&told](int error) { told.push_back(error); });
    const std::string folder = store.SessionFolder();
    // The folder's name taken by a plain file: no write can succeed, for
    // the superuser either.
    auto breakFolder = [&] {
        fs::rename(folder, folder + ".away");
        std::ofstream(folder) << "x";
    };
    auto mendFolder = [&] {
        fs::remove(folder);
        fs::rename(folder + ".away", folder);
    };
    auto write = [&](const char* text) {
        writer.Write("doc", Record("/d.cgi", text));
        writer.Flush();
    };

    write("fine");
    EXPECT_TRUE(told.empty());
    breakFolder();
    write("a");
    write("b");
    writer.Remove("doc"); // removals are not writes: they neither tell nor mend
    writer.Flush();
    write("c");
    EXPECT_EQ(told, std::vector<int>{ENOTDIR});
    EXPECT_EQ(writer.Failures(), 3);
    mendFolder();
    write("d");
    EXPECT_EQ(told.size(), 1u);
    breakFolder();
    write("e");
    EXPECT_EQ(told, (std::vector<int>{ENOTDIR, ENOTDIR}));
    mendFolder();
}
