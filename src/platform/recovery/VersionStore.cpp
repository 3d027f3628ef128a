#include "platform/recovery/VersionStore.h"

#include "platform/file/AtomicFileWriter.h"
#include "platform/recovery/RecoveryRecord.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr const char* kPathName = "path";
constexpr std::string_view kSuffix = ".ver";

// "<time>-<pid>-<random>.ver": sorted by name is sorted by time.
std::string VersionName(std::int64_t time)
{
    static std::random_device rd;
    char name[80];
    std::snprintf(name, sizeof name, "%020lld-%d-%08x.ver", static_cast<long long>(time), int(::getpid()),
                  unsigned(rd()));
    return name;
}

std::vector<VersionStore::Version> VersionsIn(const std::string& folder)
{
    std::vector<VersionStore::Version> versions;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(folder, ec)) {
        const std::string name = e.path().filename().string();
        if (name.size() <= kSuffix.size() || name[0] == '.' ||
            name.compare(name.size() - kSuffix.size(), kSuffix.size(), kSuffix) != 0)
            continue;
        VersionStore::Version v;
        v.file = e.path().string();
        v.time = std::strtoll(name.c_str(), nullptr, 10);
        v.size = std::int64_t(e.file_size(ec));
        versions.push_back(v);
    }
    std::sort(versions.begin(), versions.end(), [](const auto& a, const auto& b) { return a.file > b.file; });
    return versions;
}

int MakePrivateFolders(const std::string& path)
{
    std::error_code ec;
    fs::create_directories(path, ec);
    if (ec)
        return ec.value();
    return ::chmod(path.c_str(), 0700) == 0 ? 0 : errno;
}

} // namespace

std::string VersionStore::DefaultFolder()
{
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state && *state == '/')
        return std::string(state) + "/kestrix/versions";
    const char* home = std::getenv("HOME");
    return std::string(home ? home : "") + "/.local/state/kestrix/versions";
}

VersionStore::VersionStore(std::string folder, Limits limits) : folder_(std::move(folder)), limits_(limits) {}

std::string VersionStore::FolderOf(const std::string& path) const
{
    std::error_code ec;
    std::string full = fs::absolute(path, ec).lexically_normal().string();
    char name[16];
    std::snprintf(name, sizeof name, "%08x", unsigned(RecoveryCrc32(full)));
    // Two paths of the same hash share a folder's name; the second gets the
    // next free one.
    for (int n = 0;; ++n) {
        const std::string folder = folder_ + "/" + name + (n ? "-" + std::to_string(n) : "");
        std::ifstream in(folder + "/" + kPathName, std::ios::binary);
        if (!in)
            return folder;
        std::string stored((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (stored == full)
            return folder;
    }
}

int VersionStore::Keep(const std::string& path, std::string_view replaced)
{
    if (limits_.versionsPerFile <= 0)
        return 0;
    if (int err = MakePrivateFolders(folder_))
        return err;
    const std::string folder = FolderOf(path);
    AtomicFileWriter::Options options;
    options.links = AtomicFileWriter::Links::Replace;
    options.mode = 0600;
    if (!fs::exists(folder + "/" + kPathName)) {
        if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
            return errno;
        std::error_code ec;
        const std::string full = fs::absolute(path, ec).lexically_normal().string();
        if (int err = AtomicFileWriter::Write(folder + "/" + kPathName, full, options))
            return err;
    }
    const auto now = std::chrono::duration_cast<std::chrono::nanoseconds>(
                         std::chrono::system_clock::now().time_since_epoch())
                         .count();
    if (int err = AtomicFileWriter::Write(folder + "/" + VersionName(now), replaced, options))
        return err;
    Prune(folder);
    return 0;
}

void VersionStore::SetLimits(Limits limits)
{
    limits_ = limits;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(folder_, ec))
        if (e.is_directory(ec)) {
            auto versions = VersionsIn(e.path().string());
            for (std::size_t i = std::size_t(std::max(limits_.versionsPerFile, 0)); i < versions.size(); ++i)
                ::unlink(versions[i].file.c_str());
        }
    PruneTotal();
}

void VersionStore::Prune(const std::string& fileFolder)
{
    auto mine = VersionsIn(fileFolder);
    for (std::size_t i = std::size_t(limits_.versionsPerFile); i < mine.size(); ++i)
        ::unlink(mine[i].file.c_str());
    PruneTotal();
}

void VersionStore::PruneTotal()
{
    // The whole store: the oldest versions of any file go until it fits.
    std::vector<Version> all;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(folder_, ec))
        if (e.is_directory(ec))
            for (auto& v : VersionsIn(e.path().string()))
                all.push_back(v);
    std::sort(all.begin(), all.end(), [](const auto& a, const auto& b) { return a.time > b.time; });
    std::int64_t total = 0;
    for (const auto& v : all) {
        total += v.size;
        if (total > limits_.totalBytes)
            ::unlink(v.file.c_str());
    }
}

std::vector<VersionStore::Version> VersionStore::List(const std::string& path) const
{
    return VersionsIn(FolderOf(path));
}

bool VersionStore::Read(const Version& version, std::string& bytes)
{
    std::ifstream in(version.file, std::ios::binary);
    if (!in)
        return false;
    bytes.assign((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return true;
}
