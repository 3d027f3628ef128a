#include "platform/registry/Registry.h"
#include "platform/registry/RegistryExport.h"
#include "platform/registry/RegistryHive.h"
#include "platform/text/Sjis.h"

#include "RecordingFileCalls.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

const std::string kHeader = "Windows Registry Editor Version 5.00\n\n";

std::string Bytes(std::initializer_list<int> values)
{
    std::string out;
    for (int v : values)
        out += char(v);
    return out;
}

// Code page 932 bytes of UTF-8 text written in the test.
std::string Sjis(const char* utf8)
{
    return sjis::FromUtf8(utf8);
}

std::string WithNul(std::string s)
{
    s += '\0';
    return s;
}

std::string Hex(const std::string& bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 0xF];
    }
    return out;
}

bool Exists(const std::string& path)
{
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0;
}

// Replaces a file the way another program would: a new file renamed over it.
void ReplaceExternally(const std::string& path, const std::string& bytes)
{
    std::string tmp = path + ".other";
    int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, bytes.data(), bytes.size()), ssize_t(bytes.size()));
    ::close(fd);
    ASSERT_EQ(::rename(tmp.c_str(), path.c_str()), 0);
}

// Runs a program and collects what it prints on stdout; returns its exit status.
int RunAndCapture(const std::vector<std::string>& args, std::string& output)
{
    int pipeFds[2];
    if (::pipe(pipeFds) != 0)
        return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    std::vector<char*> argv;
    for (const auto& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    if (rc != 0) {
        ::close(pipeFds[0]);
        return -1;
    }
    char buffer[4096];
    ssize_t n;
    while ((n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0)
        output.append(buffer, std::size_t(n));
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// RegCreateKeyExA as the program calls it.
LONG CreateKey(const std::string& path, HKEY* key, DWORD* disposition = nullptr,
               HKEY root = HKEY_CURRENT_USER)
{
    return RegCreateKeyExA(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                           key, disposition);
}

// Each test has a hive of its own in a fresh folder, and collects what the
// user would be told about it.
class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        env_ = std::make_unique<ScopedEnv>("XDG_CONFIG_HOME", dir_.path());
        RegistryHive::Instance().DropCache();
        SetHiveProblemHandler([this](const std::string& message) {
            std::lock_guard guard(messagesMutex_);
            messages_.push_back(message);
        });
    }
    void TearDown() override
    {
        for (HKEY key : open_)
            RegCloseKey(key);
        SetHiveProblemHandler(nullptr);
        RegistryHive::Instance().DropCache();
    }

    std::string Folder() const { return dir_.path() + "/kestrix"; }
    std::string Hive() const { return Folder() + "/registry.reg"; }
    // Puts the text in the hive file, in a fresh folder unless told to keep
    // what is there, for the next call to read as a program started afresh.
    void WriteHive(const std::string& text, bool freshFolder = true)
    {
        if (freshFolder)
            std::filesystem::remove_all(Folder());
        ::mkdir(Folder().c_str(), 0700);
        dir_.write("kestrix/registry.reg", text);
        RegistryHive::Instance().DropCache();
    }

    // Creates (or opens) a key below HKEY_CURRENT_USER; null on failure.
    HKEY Create(const std::string& path, HKEY root = HKEY_CURRENT_USER)
    {
        HKEY key = nullptr;
        if (CreateKey(path, &key, nullptr, root) != ERROR_SUCCESS)
            return nullptr;
        open_.push_back(key);
        return key;
    }
    HKEY Open(const std::string& path, HKEY root = HKEY_CURRENT_USER)
    {
        HKEY key = nullptr;
        if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
            return nullptr;
        open_.push_back(key);
        return key;
    }
    static LONG Set(HKEY key, const std::string& name, DWORD type, const std::string& bytes)
    {
        return RegSetValueExA(key, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                              DWORD(bytes.size()));
    }
    // The type and bytes of a value, read the way callers do: size, then data.
    static std::optional<std::pair<DWORD, std::string>> Get(HKEY key, const std::string& name)
    {
        DWORD size = 0;
        if (RegQueryValueExA(key, name.c_str(), nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS)
            return std::nullopt;
        std::string bytes(size, '\0');
        DWORD type = 0xDEAD;
        if (RegQueryValueExA(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(bytes.data()),
                             &size) != ERROR_SUCCESS ||
            size != bytes.size())
            return std::nullopt;
        return std::pair{type, bytes};
    }
    std::vector<std::string> Messages()
    {
        std::lock_guard guard(messagesMutex_);
        return messages_;
    }

    TempDir dir_{"kestrix-registry"};
    std::unique_ptr<ScopedEnv> env_;
    std::vector<HKEY> open_;
    std::mutex messagesMutex_;
    std::vector<std::string> messages_;
};

TEST_F(RegistryTest, MissingKeyFailsToOpenAndSetsLastError)
{
    SetLastError(0);
    HKEY key = reinterpret_cast<HKEY>(0x1);
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "software\\KESTRIX\\NOSUCH", 0, KEY_READ, &key),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(key, nullptr);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));
    // Looking does not create the hive.
    EXPECT_FALSE(Exists(Hive()));
}

TEST_F(RegistryTest, CreateMakesTheKeyAndEveryKeyAboveIt)
{
    for (DWORD expected : {REG_CREATED_NEW_KEY, REG_OPENED_EXISTING_KEY}) {
        HKEY key = nullptr;
        DWORD disposition = 0;
        ASSERT_EQ(CreateKey("software\\KESTRIX\\FONTSETTING", &key, &disposition), ERROR_SUCCESS);
        open_.push_back(key);
        EXPECT_EQ(disposition, expected);
    }

    HKEY software = Open("software");
    ASSERT_NE(software, nullptr);
    EXPECT_NE(Open("KESTRIX\\FONTSETTING", software), nullptr) << "a path below an open key";
    EXPECT_NE(Open("software\\KESTRIX"), nullptr);

    // The new key is in the file at once, even without values.
    EXPECT_NE(ReadFileBytes(Hive()).find("[HKEY_CURRENT_USER\\software\\KESTRIX\\FONTSETTING]\n"),
              std::string::npos);
    RegistryHive::Instance().DropCache();
    EXPECT_NE(Open("software\\KESTRIX\\FONTSETTING"), nullptr);
}

TEST_F(RegistryTest, QueryFillsTheBufferOnlyWhenItIsLargeEnough)
{
    HKEY key = Create("software\\KESTRIX");
    ASSERT_NE(key, nullptr);
    const std::string stored = WithNul("ftp.example.jp");
    ASSERT_EQ(Set(key, "FTP_URL", REG_SZ, stored), ERROR_SUCCESS);
    const DWORD size = DWORD(stored.size());

    struct Row {
        const char* name;
        bool buffer;
        DWORD bufferSize;
        LONG result;
        bool copied;
    };
    const Row rows[] = {
        {"no buffer gives the size", false, 0, ERROR_SUCCESS, false},
        {"exact buffer", true, size, ERROR_SUCCESS, true},
        {"larger buffer", true, size + 8, ERROR_SUCCESS, true},
        {"one byte short", true, size - 1, ERROR_MORE_DATA, false},
        {"zero-size buffer", true, 0, ERROR_MORE_DATA, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::string buffer(size + 8, '\xCC');
        DWORD cb = row.bufferSize;
        DWORD type = 0xDEAD;
        SetLastError(0);
        EXPECT_EQ(RegQueryValueExA(key, "FTP_URL", nullptr, &type,
                                   row.buffer ? reinterpret_cast<BYTE*>(buffer.data()) : nullptr, &cb),
                  row.result);
        EXPECT_EQ(cb, size);
        EXPECT_EQ(type, REG_SZ);
        if (row.copied) {
            EXPECT_EQ(buffer.substr(0, size), stored);
        }
        // Nothing is written past what was copied, and nothing at all when
        // the buffer is too small.
        EXPECT_EQ(buffer.substr(row.copied ? size : 0), std::string(row.copied ? 8 : size + 8, '\xCC'));
        EXPECT_EQ(GetLastError(), DWORD(row.result == ERROR_SUCCESS ? 0 : row.result));
    }

    // Neither type nor size wanted: the call only tells that the value is there.
    EXPECT_EQ(RegQueryValueExA(key, "FTP_URL", nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(RegQueryValueExA(key, "FTP_USER", nullptr, nullptr, nullptr, nullptr), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));
    BYTE buffer[4];
    EXPECT_EQ(RegQueryValueExA(key, "FTP_URL", nullptr, nullptr, buffer, nullptr), ERROR_INVALID_PARAMETER)
        << "a buffer without a size";
}

TEST_F(RegistryTest, ValuesComeBackWithTheirExactTypeAndBytes)
{
    struct Row {
        const char* name;
        DWORD type;
        std::string bytes;
        std::string line; // how the value is written in the file
    };
    const Row rows[] = {
        {"REG_NONE one byte", REG_NONE, Bytes({0x01}), "\"v\"=hex(0):01"},
        {"REG_NONE four bytes", REG_NONE, Bytes({0xc8, 0, 0, 0}), "\"v\"=hex(0):c8,00,00,00"},
        {"REG_NONE empty", REG_NONE, "", "\"v\"=hex(0):"},
        {"REG_SZ ending in NUL", REG_SZ, WithNul("abc"), "\"v\"=\"abc\""},
        {"REG_SZ without NUL", REG_SZ, "abc", "\"v\"=hex(1):61,62,63"},
        {"REG_SZ with no bytes", REG_SZ, "", "\"v\"=hex(1):"},
        {"empty string", REG_SZ, WithNul(""), "\"v\"=\"\""},
        {"Japanese with trail byte 0x5C", REG_SZ, WithNul(Sjis("ソ表")), "\"v\"=\"ソ表\""},
        {"half-width katakana", REG_SZ, WithNul(Sjis("ｶﾀｶﾅ")), "\"v\"=\"ｶﾀｶﾅ\""},
        {"quote and backslash", REG_SZ, WithNul("a\"b\\c"), "\"v\"=\"a\\\"b\\\\c\""},
        {"two NULs at the end", REG_SZ, Bytes({'a', 0, 0}), "\"v\"=hex(1):61,00,00"},
        {"NUL inside", REG_SZ, Bytes({'a', 0, 'b', 0}), "\"v\"=hex(1):61,00,62,00"},
        {"line break", REG_SZ, WithNul("a\r\nb"), "\"v\"=hex(1):61,0d,0a,62,00"},
        {"code that converts back to another code", REG_SZ, Bytes({0xED, 0x40, 0}), "\"v\"=hex(1):ed,40,00"},
        {"not code page 932", REG_SZ, Bytes({0x80, 'x', 0}), "\"v\"=hex(1):80,78,00"},
        {"REG_EXPAND_SZ", REG_EXPAND_SZ, WithNul("%HOME%"), "\"v\"=hex(2):25,48,4f,4d,45,25,00"},
        {"REG_BINARY", REG_BINARY, Bytes({0, 0xff, 0x7f}), "\"v\"=hex(3):00,ff,7f"},
        {"REG_DWORD", REG_DWORD, Bytes({0x15, 0, 0, 0}), "\"v\"=hex(4):15,00,00,00"},
        {"a type of its own", 0x12345678, "x", "\"v\"=hex(12345678):78"},
    };
    int n = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::string path = "software\\KESTRIX\\T" + std::to_string(n++);
        HKEY key = Create(path);
        ASSERT_NE(key, nullptr);
        ASSERT_EQ(Set(key, "v", row.type, row.bytes), ERROR_SUCCESS);
        EXPECT_EQ(Get(key, "v"), std::pair(row.type, row.bytes));

        std::string file = ReadFileBytes(Hive());
        std::string section = "[HKEY_CURRENT_USER\\" + std::string("software\\KESTRIX\\T") +
                              std::to_string(n - 1) + "]\n" + row.line + "\n";
        EXPECT_NE(file.find(section), std::string::npos) << file;

        // And from the file, as a program started afresh reads it.
        RegistryHive::Instance().DropCache();
        EXPECT_EQ(Get(key, "v"), std::pair(row.type, row.bytes));
    }
    EXPECT_TRUE(Messages().empty());
}

TEST_F(RegistryTest, LongDataIsWrappedAndReadBack)
{
    HKEY key = Create("software\\KESTRIX");
    ASSERT_NE(key, nullptr);
    std::string blob;
    for (int i = 0; i < 300; ++i)
        blob += char(i * 7);
    ASSERT_EQ(Set(key, "blob", REG_BINARY, blob), ERROR_SUCCESS);
    std::string file = ReadFileBytes(Hive());
    EXPECT_NE(file.find(",\\\n  "), std::string::npos) << "long data is wrapped like exports do";
    std::size_t start = 0;
    while (start < file.size()) {
        std::size_t end = file.find('\n', start);
        EXPECT_LE(end - start, 80u) << file.substr(start, end - start);
        start = end + 1;
    }
    RegistryHive::Instance().DropCache();
    EXPECT_EQ(Get(key, "blob"), std::pair(REG_BINARY, blob));
}

TEST_F(RegistryTest, KeysAndValueNamesIgnoreAsciiCaseAndKeepTheirFirstSpelling)
{
    HKEY key = Create("Software\\KESTRIX\\FontSetting");
    ASSERT_NE(key, nullptr);
    EXPECT_NE(Open("SOFTWARE\\kestrix\\FONTSETTING"), nullptr);
    HKEY again = Create("software\\Kestrix\\fontsetting\\Sub");
    ASSERT_NE(again, nullptr);

    ASSERT_EQ(Set(key, "EditFace", REG_SZ, WithNul("a")), ERROR_SUCCESS);
    ASSERT_EQ(Set(key, "EDITFACE", REG_SZ, WithNul("b")), ERROR_SUCCESS);
    EXPECT_EQ(Get(key, "editface"), std::pair(REG_SZ, WithNul("b")));

    std::string file = ReadFileBytes(Hive());
    EXPECT_NE(file.find("[HKEY_CURRENT_USER\\Software\\KESTRIX\\FontSetting]\n\"EditFace\"=\"b\"\n\n"),
              std::string::npos)
        << file;
    EXPECT_NE(file.find("[HKEY_CURRENT_USER\\Software\\KESTRIX\\FontSetting\\Sub]"), std::string::npos);
    EXPECT_EQ(file.find("EDITFACE"), std::string::npos) << "one value, not two";
    EXPECT_EQ(file.find("Kestrix"), std::string::npos) << "one key, not two";
}

TEST_F(RegistryTest, DoubleByteCharactersAreNeitherFoldedNorSplit)
{
    // "ア" is 83 41 and "ャ" is 83 61: their trail bytes look like "A" and "a".
    ASSERT_NE(Create("software\\" + Sjis("ア")), nullptr);
    EXPECT_EQ(Open("software\\" + Sjis("ャ")), nullptr);
    HKEY key = Create("software");
    ASSERT_EQ(Set(key, Sjis("ア"), REG_SZ, WithNul("1")), ERROR_SUCCESS);
    EXPECT_EQ(Get(key, Sjis("ャ")), std::nullopt);

    // "ソ表" is 83 5C 95 5C: its trail bytes are "\" but do not separate keys.
    ASSERT_NE(Create("software\\" + Sjis("ソ表") + "\\sub"), nullptr);
    HKEY software = Open("software");
    ASSERT_NE(software, nullptr);
    EXPECT_NE(Open(Sjis("ソ表"), software), nullptr);
    EXPECT_EQ(Open("software\\\x83"), nullptr);
    EXPECT_NE(ReadFileBytes(Hive()).find("[HKEY_CURRENT_USER\\software\\ソ表\\sub]"), std::string::npos);
    RegistryHive::Instance().DropCache();
    EXPECT_NE(Open("software\\" + Sjis("ソ表") + "\\sub"), nullptr);
}

TEST_F(RegistryTest, HandlesThatAreNotOpenAreRefused)
{
    HKEY closed = nullptr;
    ASSERT_EQ(CreateKey("software", &closed), ERROR_SUCCESS);
    ASSERT_EQ(RegCloseKey(closed), ERROR_SUCCESS);
    const std::string before = ReadFileBytes(Hive());
    int local = 0;
    struct Row {
        const char* name;
        HKEY key;
    };
    const Row rows[] = {
        {"null", nullptr},
        {"closed", closed},
        {"never opened", reinterpret_cast<HKEY>(&local)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        HKEY result = nullptr;
        DWORD size = 0;
        BYTE byte = 1;
        const std::function<LONG()> calls[] = {
            [&] { return RegOpenKeyExA(row.key, "x", 0, KEY_READ, &result); },
            [&] { return CreateKey("x", &result, nullptr, row.key); },
            [&] { return RegQueryValueExA(row.key, "x", nullptr, nullptr, nullptr, &size); },
            [&] { return RegSetValueExA(row.key, "x", 0, REG_NONE, &byte, 1); },
            [&] { return RegCloseKey(row.key); },
        };
        for (std::size_t i = 0; i < std::size(calls); ++i) {
            SetLastError(0);
            EXPECT_EQ(calls[i](), ERROR_INVALID_HANDLE) << "call " << i;
            EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE)) << "call " << i;
        }
    }
    EXPECT_EQ(ReadFileBytes(Hive()), before) << "nothing was written through a bad handle";
}

TEST_F(RegistryTest, ClosingAKeyKeepsTheLastErrorOfTheFailedCall)
{
    HKEY key = nullptr;
    ASSERT_EQ(CreateKey("software", &key), ERROR_SUCCESS);
    DWORD size = 0;
    ASSERT_EQ(RegQueryValueExA(key, "missing", nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(RegCloseKey(HKEY_CURRENT_USER), ERROR_SUCCESS);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));
}

TEST_F(RegistryTest, SetRefusesDataWithoutBytes)
{
    HKEY key = Create("software");
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(RegSetValueExA(key, "v", 0, REG_BINARY, nullptr, 4), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(Get(key, "v"), std::nullopt);
    // No bytes at all is a value like any other.
    EXPECT_EQ(RegSetValueExA(key, "v", 0, REG_BINARY, nullptr, 0), ERROR_SUCCESS);
    EXPECT_EQ(Get(key, "v"), std::pair(REG_BINARY, std::string()));
    // The default value has an empty name, null or "".
    const BYTE one = 1;
    EXPECT_EQ(RegSetValueExA(key, nullptr, 0, REG_NONE, &one, 1), ERROR_SUCCESS);
    EXPECT_EQ(Get(key, ""), std::pair(REG_NONE, std::string("\x01")));
    EXPECT_NE(ReadFileBytes(Hive()).find("\n@=hex(0):01\n"), std::string::npos);
}

TEST_F(RegistryTest, ChangesByAnotherProgramAreSeenAndKept)
{
    HKEY key = Create("software\\KESTRIX");
    ASSERT_NE(key, nullptr);
    ASSERT_EQ(Set(key, "mine", REG_SZ, WithNul("1")), ERROR_SUCCESS);
    ASSERT_EQ(Get(key, "mine"), std::pair(REG_SZ, WithNul("1")));

    // Another copy of the program writes a value we have never seen.
    ReplaceExternally(Hive(), kHeader + "[HKEY_CURRENT_USER\\software\\KESTRIX]\n\"mine\"=\"1\"\n"
                                        "\"theirs\"=\"2\"\n\n");
    EXPECT_EQ(Get(key, "theirs"), std::pair(REG_SZ, WithNul("2"))) << "read again when the file changed";

    ReplaceExternally(Hive(), kHeader + "[HKEY_CURRENT_USER\\software\\KESTRIX]\n\"mine\"=\"1\"\n"
                                        "\"theirs\"=\"2\"\n\"later\"=\"3\"\n\n");
    // Our write starts from their file, so their values survive.
    ASSERT_EQ(Set(key, "ours", REG_SZ, WithNul("4")), ERROR_SUCCESS);
    RegistryHive::Instance().DropCache();
    for (const char* name : {"mine", "theirs", "later", "ours"})
        EXPECT_NE(Get(key, name), std::nullopt) << name;
}

// Two processes write 50 values each at the same time; none may be lost.
TEST_F(RegistryTest, ConcurrentWritersInTwoProcessesLoseNothing)
{
    HKEY key = Create("software\\KESTRIX\\RACE");
    ASSERT_NE(key, nullptr);
    ASSERT_EQ(Set(key, Sjis("始め"), REG_SZ, WithNul(Sjis("日本語"))), ERROR_SUCCESS);

    int startPipe[2];
    ASSERT_EQ(::pipe(startPipe), 0);
    std::vector<pid_t> children;
    for (int writer = 0; writer < 2; ++writer) {
        pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            ::close(startPipe[1]);
            char c;
            ssize_t ignored = ::read(startPipe[0], &c, 1); // waits until both are ready
            (void)ignored;
            int failures = 0;
            HKEY k = nullptr;
            if (CreateKey("software\\KESTRIX\\RACE", &k) != ERROR_SUCCESS)
                ::_exit(100);
            for (int i = 0; i < 50; ++i) {
                std::string name = "w" + std::to_string(writer) + "_" + std::to_string(i);
                std::string data = WithNul("value " + name);
                if (RegSetValueExA(k, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.data()),
                                   DWORD(data.size())) != ERROR_SUCCESS)
                    ++failures;
            }
            RegCloseKey(k);
            ::_exit(failures);
        }
        children.push_back(pid);
    }
    ::close(startPipe[0]);
    ::close(startPipe[1]); // both writers start now
    for (pid_t pid : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0) << "failed writes in a writer";
    }

    // This process never wrote these, so it reads them from the file.
    int found = 0;
    for (int writer = 0; writer < 2; ++writer)
        for (int i = 0; i < 50; ++i) {
            std::string name = "w" + std::to_string(writer) + "_" + std::to_string(i);
            found += Get(key, name) == std::pair(REG_SZ, WithNul("value " + name));
        }
    EXPECT_EQ(found, 100);
    EXPECT_EQ(Get(key, Sjis("始め")), std::pair(REG_SZ, WithNul(Sjis("日本語"))));
    EXPECT_TRUE(Messages().empty());
}

TEST_F(RegistryTest, ThreadsShareTheHive)
{
    HKEY key = Create("software\\KESTRIX");
    ASSERT_NE(key, nullptr);
    std::atomic<int> failures = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < 20; ++i) {
                std::string name = "t" + std::to_string(t) + "_" + std::to_string(i);
                HKEY own = nullptr;
                if (RegOpenKeyExA(HKEY_CURRENT_USER, "software\\KESTRIX", 0, KEY_ALL_ACCESS, &own) !=
                    ERROR_SUCCESS)
                    ++failures;
                if (Set(own, name, REG_NONE, name) != ERROR_SUCCESS ||
                    Get(own, name) != std::pair(REG_NONE, name))
                    ++failures;
                if (RegCloseKey(own) != ERROR_SUCCESS)
                    ++failures;
            }
        });
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(failures, 0);
    RegistryHive::Instance().DropCache();
    for (int t = 0; t < 4; ++t)
        for (int i = 0; i < 20; ++i) {
            std::string name = "t" + std::to_string(t) + "_" + std::to_string(i);
            EXPECT_EQ(Get(key, name), std::pair(REG_NONE, name));
        }
}

TEST_F(RegistryTest, HiveIsReadableOnlyByTheUser)
{
    // The modes must not depend on the umask the program was started with.
    mode_t old = ::umask(0);
    HKEY key = Create("software\\KESTRIX\\FTPSETTING");
    LONG set = Set(key, "FTP_Password", REG_SZ, WithNul("secret"));
    ::umask(old);
    ASSERT_NE(key, nullptr);
    ASSERT_EQ(set, ERROR_SUCCESS);
    struct stat st;
    ASSERT_EQ(::stat(Hive().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    ASSERT_EQ(::stat(Folder().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0700u);
    EXPECT_FALSE(Exists(Hive() + ".tmp")) << "no temporary file is left behind";
}

TEST_F(RegistryTest, FailedWriteLeavesFileAndValuesAsTheyWere)
{
    struct Row {
        const char* name;
        std::function<void(const std::string& hive)> breakIt;
    };
    const Row rows[] = {
        {"temporary file path is a folder",
         [](const std::string& h) { ASSERT_EQ(::mkdir((h + ".tmp").c_str(), 0700), 0); }},
        {"temporary file path is a link",
         [](const std::string& h) {
             ASSERT_EQ(::symlink((h + ".elsewhere").c_str(), (h + ".tmp").c_str()), 0);
         }},
        {"lock file path is a folder",
         [](const std::string& h) {
             ASSERT_EQ(::unlink((h + ".lock").c_str()), 0);
             ASSERT_EQ(::mkdir((h + ".lock").c_str(), 0700), 0);
         }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::filesystem::remove_all(Folder());
        RegistryHive::Instance().DropCache();
        HKEY key = Create("software\\KESTRIX");
        ASSERT_NE(key, nullptr);
        ASSERT_EQ(Set(key, "old", REG_SZ, WithNul("before")), ERROR_SUCCESS);
        const std::string before = ReadFileBytes(Hive());
        row.breakIt(Hive());

        SetLastError(0);
        LONG r = Set(key, "new", REG_SZ, WithNul("x"));
        EXPECT_TRUE(r == ERROR_CANTWRITE || r == ERROR_ACCESS_DENIED) << r;
        EXPECT_EQ(GetLastError(), DWORD(r));
        EXPECT_NE(Set(key, "old", REG_SZ, WithNul("after")), ERROR_SUCCESS);
        HKEY created = nullptr;
        SetLastError(0);
        r = CreateKey("software\\NEW", &created);
        EXPECT_TRUE(r == ERROR_CANTWRITE || r == ERROR_ACCESS_DENIED) << r;
        EXPECT_EQ(GetLastError(), DWORD(r));
        EXPECT_EQ(created, nullptr);

        // Neither the file nor this process claims the failed changes.
        EXPECT_EQ(ReadFileBytes(Hive()), before);
        EXPECT_EQ(Get(key, "new"), std::nullopt);
        EXPECT_EQ(Get(key, "old"), std::pair(REG_SZ, WithNul("before")));
        EXPECT_EQ(Open("software\\NEW"), nullptr);
        RegistryHive::Instance().DropCache();
        EXPECT_EQ(Get(key, "old"), std::pair(REG_SZ, WithNul("before")));
        EXPECT_FALSE(Exists(Hive() + ".elsewhere")) << "nothing written through the link";
    }
    EXPECT_TRUE(Messages().empty());
}

// A change reaches the disk before it replaces the hive, and the rename is
// flushed with the folder; a flush that fails keeps the old file and the old
// values.
TEST_F(RegistryTest, EveryChangeIsFlushedBeforeItReplacesTheHive)
{
    HKEY key = Create("software\\KESTRIX\\FONTSETTING");
    ASSERT_NE(key, nullptr);
    {
        RecordingFileCalls calls;
        ASSERT_EQ(Set(key, "EDIT_Size", REG_DWORD, Bytes({12, 0, 0, 0})), ERROR_SUCCESS);
        EXPECT_EQ(calls.ReplaceSteps(Hive()),
                  (std::vector<std::string>{"write", "fsync", "rename", "fsync folder"}));
    }
    const std::string before = ReadFileBytes(Hive());
    {
        RecordingFileCalls calls;
        calls.FailNext("fsync", EIO);
        EXPECT_EQ(Set(key, "EDIT_Size", REG_DWORD, Bytes({14, 0, 0, 0})), ERROR_CANTWRITE);
        EXPECT_EQ(calls.ReplaceSteps(Hive()), std::vector<std::string>{}) << "nothing was renamed";
    }
    EXPECT_EQ(ReadFileBytes(Hive()), before);
    EXPECT_EQ(Get(key, "EDIT_Size"), std::pair(REG_DWORD, Bytes({12, 0, 0, 0})));
    EXPECT_FALSE(Exists(Hive() + ".tmp"));
}

TEST_F(RegistryTest, FolderThatIsAFileFailsTheWrite)
{
    TempDir other("kestrix-registry-file");
    ScopedEnv env("XDG_CONFIG_HOME", other.path());
    other.write("kestrix", "not a folder");
    HKEY key = nullptr;
    SetLastError(0);
    LONG r = CreateKey("software", &key);
    EXPECT_TRUE(r == ERROR_CANTWRITE || r == ERROR_ACCESS_DENIED) << r;
    EXPECT_EQ(GetLastError(), DWORD(r));
    EXPECT_EQ(key, nullptr);
    EXPECT_EQ(ReadFileBytes(other.file("kestrix")), "not a folder");
    EXPECT_EQ(Open("software"), nullptr);
}

// A key line naming a key that many levels below HKEY_CURRENT_USER.
std::string Deep(int levels)
{
    std::string line = "[HKEY_CURRENT_USER";
    for (int i = 0; i < levels; ++i)
        line += "\\k";
    return line + "]\n";
}

TEST_F(RegistryTest, BadHiveIsMovedAsideAndTheUserToldOnce)
{
    const std::string key = "[HKEY_CURRENT_USER\\software\\KESTRIX]\n";
    struct Row {
        const char* name;
        std::string file;
        int line;
    };
    const Row rows[] = {
        {"wrong header", "REGEDIT4\n\n" + key, 1},
        {"line of no known kind", kHeader + key + "nonsense\n", 4},
        {"bad hex", kHeader + key + "\"a\"=hex(0):01,0g\n", 4},
        {"bad type", kHeader + key + "\"a\"=hex(zz):01\n", 4},
        {"not UTF-8", kHeader + key + "\"a\"=\"\x82\xa0\"\n", 4},
        {"unterminated string", kHeader + key + "\"a\"=\"abc\n", 4},
        {"value before any key", kHeader + "\"a\"=\"abc\"\n", 3},
        {"key outside HKEY_CURRENT_USER", kHeader + "[HKEY_LOCAL_MACHINE\\x]\n", 3},
        {"continuation at the end", kHeader + key + "\"a\"=hex:01,\\", 4},
        {"key deeper than the registry nests", kHeader + Deep(513), 3},
        // Found by fuzzing: the name read as nothing and was written back
        // as an empty name, which the file cannot hold.
        {"key name of nothing but a byte order mark", kHeader + "[HKEY_CURRENT_USER\\a\\\xEF\xBB\xBF]\n", 3},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        {
            std::lock_guard guard(messagesMutex_);
            messages_.clear();
        }
        WriteHive(row.file);

        EXPECT_EQ(Open("software\\KESTRIX"), nullptr) << "the hive is empty";
        EXPECT_EQ(Open("software"), nullptr);
        auto messages = Messages();
        ASSERT_EQ(messages.size(), 1u);
        const std::string expected =
            "設定ファイル「" + Hive() + "」を読めませんでした（" + std::to_string(row.line) + " 行目: ";
        EXPECT_EQ(messages[0].rfind(expected, 0), 0u) << messages[0];
        EXPECT_NE(messages[0].find("「" + Hive() + ".bad」に移して、空の設定で続けます。"), std::string::npos)
            << messages[0];
        EXPECT_EQ(ReadFileBytes(Hive() + ".bad"), row.file);
        EXPECT_FALSE(Exists(Hive()));

        // The hive is usable, and writing does not bring the message back.
        HKEY k = Create("software\\KESTRIX");
        ASSERT_NE(k, nullptr);
        EXPECT_EQ(Set(k, "a", REG_SZ, WithNul("fresh")), ERROR_SUCCESS);
        RegistryHive::Instance().DropCache();
        EXPECT_EQ(Get(k, "a"), std::pair(REG_SZ, WithNul("fresh")));
        EXPECT_EQ(Messages().size(), 1u);
    }
}

// The program can make no key its own file could not hold: keys nest 512
// levels deep at most, and a hive holding the deepest ones reads back whole.
TEST_F(RegistryTest, KeysNestNoDeeperThanTheFileCanHold)
{
    std::string path = "software";
    for (int i = 1; i < 512; ++i)
        path += "\\k";
    HKEY deepest = Create(path);
    ASSERT_NE(deepest, nullptr);
    EXPECT_EQ(Set(deepest, "v", REG_SZ, WithNul("deep")), ERROR_SUCCESS);
    HKEY tooDeep = nullptr;
    EXPECT_EQ(CreateKey("k", &tooDeep, nullptr, deepest), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(tooDeep, nullptr);

    RegistryHive::Instance().DropCache();
    EXPECT_EQ(Get(Open(path), "v"), std::pair(REG_SZ, WithNul("deep")));
    EXPECT_TRUE(Messages().empty());
}

TEST_F(RegistryTest, BadHivesNeverReplaceAFileAlreadyAside)
{
    ::mkdir(Folder().c_str(), 0700);
    dir_.write("kestrix/registry.reg.bad", "the user's own file");
    const std::string bad[] = {"first bad file", "second bad file"};
    for (const std::string& text : bad) {
        WriteHive(text, false);
        EXPECT_EQ(Open("software"), nullptr);
    }
    EXPECT_EQ(ReadFileBytes(Hive() + ".bad"), "the user's own file");
    EXPECT_EQ(ReadFileBytes(Hive() + ".bad.1"), "first bad file");
    EXPECT_EQ(ReadFileBytes(Hive() + ".bad.2"), "second bad file");
    auto messages = Messages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_NE(messages[0].find("「" + Hive() + ".bad.1」"), std::string::npos) << messages[0];
    EXPECT_NE(messages[1].find("「" + Hive() + ".bad.2」"), std::string::npos) << messages[1];
}

TEST_F(RegistryTest, HiveThatCannotBeReadIsNeitherMovedNorOverwritten)
{
    // Not a file that failed to parse, so nothing is known to be wrong with
    // its content: it stays, and no write may replace it.
    ASSERT_EQ(::mkdir(Folder().c_str(), 0700), 0);
    ASSERT_EQ(::mkdir(Hive().c_str(), 0700), 0);
    dir_.write("kestrix/registry.reg/inside", "keep");

    EXPECT_EQ(Open("software"), nullptr);
    HKEY key = nullptr;
    SetLastError(0);
    LONG r = CreateKey("software", &key);
    EXPECT_NE(r, ERROR_SUCCESS);
    EXPECT_EQ(GetLastError(), DWORD(r));
    EXPECT_EQ(key, nullptr);
    EXPECT_EQ(ReadFileBytes(Hive() + "/inside"), "keep");
    EXPECT_FALSE(Exists(Hive() + ".bad"));
    auto messages = Messages();
    ASSERT_EQ(messages.size(), 1u) << "told once, however often the hive is used";
    EXPECT_NE(messages[0].find("「" + Hive() + "」"), std::string::npos) << messages[0];
}

TEST_F(RegistryTest, ProblemHandlerMayUseTheRegistry)
{
    // The program's handler shows a dialog, during which other code may read
    // settings; the registry must not be locked while it runs.
    std::optional<LONG> inside;
    SetHiveProblemHandler([&](const std::string&) {
        HKEY key = nullptr;
        inside = CreateKey("software\\AfterProblem", &key);
        if (key)
            RegCloseKey(key);
    });
    WriteHive("garbage");
    EXPECT_EQ(Open("software\\KESTRIX"), nullptr);
    EXPECT_EQ(inside, ERROR_SUCCESS);
    EXPECT_NE(Open("software\\AfterProblem"), nullptr);
}

TEST_F(RegistryTest, ReaderAcceptsExportsWrittenByOtherTools)
{
    struct Row {
        const char* name;
        std::string file;
        std::map<std::string, std::pair<DWORD, std::string>> values;
    };
    const std::string key = "[HKEY_CURRENT_USER\\Software\\KESTRIX]";
    const Row rows[] = {
        {"CRLF line ends",
         "Windows Registry Editor Version 5.00\r\n\r\n" + key + "\r\n\"a\"=\"x\"\r\n\"b\"=hex(0):01\r\n",
         {{"a", {REG_SZ, WithNul("x")}}, {"b", {REG_NONE, "\x01"}}}},
        {"comments and blank lines",
         "; settings\n\nWindows Registry Editor Version 5.00\n; keys follow\n\n\n" + key +
             "\n\n; a value\n\"a\"=\"x\"\n",
         {{"a", {REG_SZ, WithNul("x")}}}},
        {"wrapped hex lines",
         kHeader + key + "\n\"a\"=hex(3):01,02,\\\n  03,\\\r\n\t04\n\"b\"=hex(0):01,\\\n  02,\n",
         {{"a", {REG_BINARY, Bytes({1, 2, 3, 4})}}, {"b", {REG_NONE, Bytes({1, 2})}}}},
        {"hex: and dword:",
         kHeader + key + "\n\"a\"=hex:de,AD\n\"b\"=dword:000000c8\n",
         {{"a", {REG_BINARY, Bytes({0xde, 0xad})}}, {"b", {REG_DWORD, Bytes({0xc8, 0, 0, 0})}}}},
        {"default value and spaces around =",
         kHeader + key + "\n@ = \"d\"\n\"a\" =\"x\"\n",
         {{"", {REG_SZ, WithNul("d")}}, {"a", {REG_SZ, WithNul("x")}}}},
        {"byte order mark",
         "\xEF\xBB\xBF" + kHeader + key + "\n\"a\"=\"表\"\n",
         {{"a", {REG_SZ, WithNul(Sjis("表"))}}}},
        {"section repeated, last value wins",
         kHeader + key + "\n\"a\"=\"1\"\n\n" + key + "\n\"A\"=\"2\"\n\"b\"=\"3\"\n",
         {{"a", {REG_SZ, WithNul("2")}}, {"b", {REG_SZ, WithNul("3")}}}},
        {"empty file", "", {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        WriteHive(row.file);
        HKEY k = Open("software\\kestrix");
        ASSERT_EQ(k != nullptr, !row.values.empty());
        for (const auto& [name, value] : row.values)
            EXPECT_EQ(Get(k, name), value) << name;
        if (k) {
            EXPECT_EQ(Get(k, "c"), std::nullopt);
        }
    }
    EXPECT_TRUE(Messages().empty());
}

TEST_F(RegistryTest, HivePathFollowsTheEnvironment)
{
    struct Row {
        const char* name;
        std::optional<std::string> xdg;
        std::string expected;
    };
    const Row rows[] = {
        {"XDG_CONFIG_HOME", "/srv/conf", "/srv/conf/kestrix/registry.reg"},
        {"XDG_CONFIG_HOME with a trailing slash", "/srv/conf/", "/srv/conf/kestrix/registry.reg"},
        {"XDG_CONFIG_HOME empty", "", "/home/tester/.config/kestrix/registry.reg"},
        {"XDG_CONFIG_HOME relative", "conf", "/home/tester/.config/kestrix/registry.reg"},
        {"XDG_CONFIG_HOME unset", std::nullopt, "/home/tester/.config/kestrix/registry.reg"},
    };
    ScopedEnv home("HOME", "/home/tester");
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ScopedEnv xdg("XDG_CONFIG_HOME", row.xdg.value_or(""));
        if (!row.xdg)
            unsetenv("XDG_CONFIG_HOME");
        EXPECT_EQ(HivePath(), row.expected);
    }
}

// Names that cannot be written as they are must still come back byte for byte.
TEST(RegistryHiveTest, EveryNameSurvivesTheFile)
{
    struct Row {
        const char* name;
        std::string bytes;
        std::string written; // how the name appears in the file
    };
    const Row rows[] = {
        {"plain", "FONTSETTING", "FONTSETTING"},
        {"Japanese with trail byte 0x5C", Sjis("ソ表"), "ソ表"},
        {"percent sign", "100%", "100%25"},
        {"looks like an escape", "%41", "%2541"},
        {"tab and line break", "a\tb\nc", "a%09b%0Ac"},
        {"bytes outside code page 932", "\x80x\xFF", "%80x%FF"},
        {"lead byte at the end", "abc\x82", "abc%82"},
        {"code that converts back to another code", Bytes({0xED, 0x40}) + "z", "%ED%40z"},
        {"brackets", "]a[", "]a["},
    };
    RegistryKey root;
    for (const Row& row : rows) {
        RegistryKey key{row.bytes, {}, {}};
        key.values.push_back({row.bytes, REG_SZ, WithNul(row.bytes)});
        key.values.push_back({"q\"u\\ote" + row.bytes, REG_NONE, "\x01"});
        root.children.push_back(key);
    }
    root.values.push_back({"", REG_SZ, WithNul("root default")});
    const std::string text = RegistryExport::Serialise(root);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_NE(text.find("[HKEY_CURRENT_USER\\" + row.written + "]\n\"" + row.written + "\"="),
                  std::string::npos)
            << text;
    }
    auto parsed = RegistryExport::Parse(text);
    ASSERT_TRUE(parsed.has_value()) << parsed.error().line << ": " << parsed.error().reason << "\n" << text;
    EXPECT_EQ(*parsed, root);
}

// A key name may hold a backslash of its own only through an escape; written
// back as it is, it would split the key in two when the file is read again.
TEST(RegistryHiveTest, KeyNamesHoldingBackslashesComeBackAsOneKey)
{
    struct Row {
        const char* name;
        std::string file;
        RegistryKey::Path path;
    };
    const Row rows[] = {
        // Found by fuzzing: the escape read as a backslash and was written
        // bare, so the key came back as two.
        {"escaped backslash beside a control byte and brackets",
         "[HKEY_CURRENT_USER\\softwEre\\KFONTSET\x19T%5cES]RIX]\n\"File1HHH25name\"=hex:\n",
         {"softwEre", "KFONTSET\x19T\\ES]RIX"}},
        {"escaped backslash alone", "[HKEY_CURRENT_USER\\a%5Cb]\n@=hex:01\n", {"a\\b"}},
        {"after a trail byte 0x5C", "[HKEY_CURRENT_USER\\ソ表%5C]\n", {Sjis("ソ表") + "\\"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto read = RegistryExport::Parse("Windows Registry Editor Version 5.00\n\n" + row.file);
        ASSERT_TRUE(read.has_value()) << read.error().reason;
        ASSERT_NE(read->Find(row.path), nullptr);
        EXPECT_EQ(read->Find(row.path)->name, row.path.back());
        const RegistryKey* key = &*read;
        for (std::size_t depth = 0; depth < row.path.size(); ++depth) {
            ASSERT_EQ(key->children.size(), 1u);
            key = &key->children[0];
        }
        EXPECT_TRUE(key->children.empty());
        const std::string text = RegistryExport::Serialise(*read);
        auto again = RegistryExport::Parse(text);
        ASSERT_TRUE(again.has_value()) << again.error().reason;
        EXPECT_EQ(*again, *read) << text;
        EXPECT_EQ(RegistryExport::Serialise(*again), text);
    }
}

// Thousands of sibling keys and values are found by name without regard to
// ASCII case, and the file keeps them in the order they were made.
TEST(RegistryHiveTest, ManySiblingsAreFoundAndKeepTheirOrder)
{
    RegistryKey root;
    bool created = false;
    constexpr int kCount = 3000;
    for (int i = kCount - 1; i >= 0; --i) {
        RegistryKey& key = root.Ensure({"software", "Key" + std::to_string(i)}, created);
        key.PutValue("Value" + std::to_string(i), REG_SZ, WithNul(std::to_string(i)));
        root.Ensure({"software"}, created).PutValue("v" + std::to_string(i), REG_DWORD, "\x01\x02\x03\x04");
    }
    RegistryKey* software = root.Find({"SOFTWARE"});
    ASSERT_NE(software, nullptr);
    ASSERT_EQ(software->children.size(), std::size_t(kCount));
    ASSERT_EQ(software->values.size(), std::size_t(kCount));
    for (int i = 0; i < kCount; ++i) {
        RegistryKey* key = root.Find({"Software", "KEY" + std::to_string(i)});
        ASSERT_NE(key, nullptr) << i;
        EXPECT_EQ(key->name, "Key" + std::to_string(i));
        ASSERT_NE(key->FindValue("VALUE" + std::to_string(i)), nullptr) << i;
        EXPECT_EQ(&software->children[std::size_t(kCount - 1 - i)], key);
    }
    EXPECT_EQ(root.Find({"software", "Key" + std::to_string(kCount)}), nullptr);
    // A value stored again under another case replaces the first.
    EXPECT_TRUE(software->PutValue("V7", REG_DWORD, "\x05\x06\x07\x08"));
    EXPECT_EQ(software->values.size(), std::size_t(kCount));
    EXPECT_EQ(software->FindValue("v7")->data, "\x05\x06\x07\x08");

    // Keys filled in directly (as a copy or a test does) are found too.
    RegistryKey copy = *software;
    copy.children.push_back(RegistryKey{"Added", {}, {}, {}, {}});
    EXPECT_NE(copy.Find({"added"}), nullptr);
    copy.children.clear();
    EXPECT_EQ(copy.Find({"added"}), nullptr);
    copy.children.push_back(RegistryKey{"Other", {}, {}, {}, {}});
    EXPECT_NE(copy.Find({"OTHER"}), nullptr);

    const std::string text = RegistryExport::Serialise(root);
    auto read = RegistryExport::Parse(text);
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(*read, root);
    EXPECT_LT(text.find("[HKEY_CURRENT_USER\\software\\Key2999]"),
              text.find("[HKEY_CURRENT_USER\\software\\Key0]"));
}

// Found by fuzzing: a 60 KB file of one key line 30000 levels deep was
// written back as gigabytes, every key being named by its whole path. Keys
// nest at most 512 levels deep, as in the system's registry.
TEST(RegistryHiveTest, KeysNestUpToTheRegistrysDepth)
{
    auto read = RegistryExport::Parse("Windows Registry Editor Version 5.00\n\n" + Deep(512));
    ASSERT_TRUE(read.has_value()) << read.error().reason;
    auto again = RegistryExport::Parse(RegistryExport::Serialise(*read));
    ASSERT_TRUE(again.has_value());
    EXPECT_EQ(*again, *read);
    auto refused = RegistryExport::Parse("Windows Registry Editor Version 5.00\n\n" + Deep(30000));
    ASSERT_FALSE(refused.has_value());
    EXPECT_EQ(refused.error().line, 3);
}

TEST(RegistryHiveTest, PathsSplitOnlyOnSingleByteBackslashes)
{
    struct Row {
        const char* name;
        std::string path;
        RegistryKey::Path names;
    };
    const Row rows[] = {
        {"plain", "software\\KESTRIX\\FONTSETTING", {"software", "KESTRIX", "FONTSETTING"}},
        {"trail byte 0x5C", "a\\" + Sjis("ソ表") + "\\b", {"a", Sjis("ソ表"), "b"}},
        {"empty names skipped", "\\a\\\\b\\", {"a", "b"}},
        {"empty", "", {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(RegistryKey::SplitPath(row.path), row.names);
    }
}

// The settings store's values, written through the API, read back by a parser
// that shares no code with ours.
TEST_F(RegistryTest, IndependentParserReadsWhatWeWrite)
{
    const char* python = "/usr/bin/python3";
    if (::access(python, X_OK) != 0)
        GTEST_SKIP() << "no " << python;

    auto le32 = [](DWORD v) {
        return Bytes({int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF), int(v >> 24)});
    };
    std::string blob;
    for (int i = 0; i < 200; ++i)
        blob += char(i);
    struct Row {
        std::string key;
        std::string name;
        DWORD type;
        std::string bytes;
    };
    const std::string font = "software\\KESTRIX\\FONTSETTING";
    const std::string ftp = "software\\KESTRIX\\FTPSETTING";
    const std::vector<Row> rows = {
        {font, "EDIT_CharSet", REG_NONE, Bytes({0x01})},
        {font, "EDIT_Face", REG_SZ, Bytes({0x82, 0x6c, 0x82, 0x72, 0x81, 0x40, 0x96, 0xbe, 0x92, 0xa9})},
        {font, "EDIT_Size", REG_NONE, le32(200)},
        {font, "EDIT_TextColor", REG_NONE, le32(RGB(0x12, 0x34, 0x56))},
        {font, "EDIT_BackColor", REG_NONE, le32(RGB(255, 255, 255))},
        {ftp, "FTP_URL", REG_SZ, WithNul("ftp.example.jp")},
        {ftp, "FTP_User", REG_SZ, WithNul("kestrix")},
        {ftp, "FTP_Password", REG_SZ, WithNul(Sjis("パス\"ワ\\ード表ソ"))},
        {ftp, "FTP_Dir", REG_SZ, WithNul("/public_html/cgi-bin")},
        {ftp, "FTP_Empty", REG_SZ, WithNul("")},
        {ftp, "FTP_Port", REG_DWORD, le32(21)},
        {ftp, "FTP_Blob", REG_BINARY, blob},
        {ftp, "", REG_SZ, WithNul("default")},
    };
    // Sanity of the test data: the face is "ＭＳ　明朝".
    ASSERT_EQ(rows[1].bytes, Sjis("ＭＳ　明朝"));

    std::set<std::string> expected;
    for (const Row& row : rows) {
        HKEY key = Create(row.key);
        ASSERT_NE(key, nullptr);
        ASSERT_EQ(Set(key, row.name, row.type, row.bytes), ERROR_SUCCESS) << row.name;
        expected.insert("HKEY_CURRENT_USER\\" + row.key + "|" + row.name + "|" + std::to_string(row.type) +
                        "|" + Hex(row.bytes));
    }
    std::string file = ReadFileBytes(Hive());
    EXPECT_NE(file.find("\n\"EDIT_CharSet\"=hex(0):01\n"), std::string::npos) << file;
    EXPECT_NE(file.find("\n\"EDIT_Face\"=hex(1):82,6c,82,72,81,40,96,be,92,a9\n"), std::string::npos) << file;
    EXPECT_NE(file.find("\n\"FTP_Password\"=\"パス\\\"ワ\\\\ード表ソ\"\n"), std::string::npos) << file;

    std::string output;
    int status =
        RunAndCapture({python, KESTRIX_SOURCE_DIR "/tests/platform/registry/regexport.py", Hive()}, output);
    ASSERT_EQ(status, 0) << output;
    std::set<std::string> actual;
    std::size_t start = 0;
    while (start < output.size()) {
        std::size_t end = output.find('\n', start);
        actual.insert(output.substr(start, end - start));
        start = end == std::string::npos ? output.size() : end + 1;
    }
    EXPECT_EQ(actual, expected);
}

} // namespace
