#include "platform/recovery/RecoveryStore.h"

#include "platform/file/AtomicFileWriter.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <random>
#include <sstream>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr const char* kLockName = "lock";
constexpr const char* kSuffix = ".kxr";

// Makes a folder and the folders above it, private where they are new.
int MakeFolders(const std::string& path)
{
    std::string sofar;
    std::size_t pos = 0;
    while (pos != std::string::npos) {
        pos = path.find('/', pos + 1);
        sofar = path.substr(0, pos);
        if (sofar.empty())
            continue;
        if (::mkdir(sofar.c_str(), 0700) != 0 && errno != EEXIST)
            return errno;
    }
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return errno;
    if (!S_ISDIR(st.st_mode))
        return ENOTDIR;
    // The store holds unsaved text: only its owner may look in.
    if ((st.st_mode & 077) != 0 && ::chmod(path.c_str(), 0700) != 0)
        return errno;
    return 0;
}

std::vector<std::string> Names(const std::string& folder)
{
    std::vector<std::string> names;
    if (DIR* d = ::opendir(folder.c_str())) {
        while (dirent* e = ::readdir(d)) {
            std::string n = e->d_name;
            if (n != "." && n != "..")
                names.push_back(n);
        }
        ::closedir(d);
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool EndsWith(const std::string& s, std::string_view tail)
{
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// Takes a folder's lock without waiting; -1 when another copy holds it.
int TryLock(const std::string& folder, bool create)
{
    int fd = ::open((folder + "/" + kLockName).c_str(),
                    O_RDWR | O_CLOEXEC | O_NOFOLLOW | (create ? O_CREAT : 0), 0600);
    if (fd < 0)
        return -1;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

std::int64_t ModTime(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return 0;
    return std::int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

void RemoveFolder(const std::string& folder)
{
    for (const auto& n : Names(folder))
        ::unlink((folder + "/" + n).c_str());
    ::rmdir(folder.c_str());
}

} // namespace

std::string RecoveryStore::DefaultFolder()
{
    const char* state = std::getenv("XDG_STATE_HOME");
    std::string base;
    if (state && *state == '/') {
        base = state;
    } else {
        const char* home = std::getenv("HOME");
        base = std::string(home ? home : "") + "/.local/state";
    }
    return base + "/kestrix/recovery";
}

RecoveryStore::RecoveryStore(std::string folder) : folder_(std::move(folder)) {}

RecoveryStore::~RecoveryStore()
{
    for (auto& c : claims_)
        ::close(c.fd);
    if (lockFd_ >= 0)
        ::close(lockFd_);
}

int RecoveryStore::Open()
{
    if (lockFd_ >= 0)
        return 0;
    if (int err = MakeFolders(folder_))
        return err;
    std::random_device rd;
    for (int attempt = 0; attempt < 16; ++attempt) {
        std::ostringstream name;
        name << folder_ << "/session-" << ::getpid() << "-" << std::hex << rd();
        const std::string path = name.str();
        if (::mkdir(path.c_str(), 0700) != 0) {
            if (errno == EEXIST)
                continue;
            return errno;
        }
        lockFd_ = TryLock(path, true);
        if (lockFd_ < 0) {
            int err = errno ? errno : EAGAIN;
            ::rmdir(path.c_str());
            return err;
        }
        session_ = path;
        return 0;
    }
    return EEXIST;
}

int RecoveryStore::Write(const std::string& name, const RecoveryRecord& record) const
{
    if (session_.empty())
        return EBADF;
    AtomicFileWriter::Options options;
    options.links = AtomicFileWriter::Links::Replace;
    options.mode = 0600;
    return AtomicFileWriter::Write(session_ + "/" + name + kSuffix, record.Encode(), options);
}

void RecoveryStore::Remove(const std::string& name) const
{
    if (!session_.empty())
        ::unlink((session_ + "/" + name + kSuffix).c_str());
}

std::vector<RecoveryRecord> RecoveryStore::ClaimOrphans()
{
    std::vector<std::pair<std::int64_t, RecoveryRecord>> found;
    for (const auto& n : Names(folder_)) {
        const std::string folder = folder_ + "/" + n;
        if (n.rfind("session-", 0) != 0 || folder == session_)
            continue;
        if (std::any_of(claims_.begin(), claims_.end(), [&](const Claim& c) { return c.folder == folder; }))
            continue;
        int fd = TryLock(folder, false);
        if (fd < 0)
            continue; // a running copy's folder, or not one of ours
        claims_.push_back({folder, fd});
        for (const auto& f : Names(folder)) {
            if (f == kLockName)
                continue;
            const std::string path = folder + "/" + f;
            std::optional<RecoveryRecord> record;
            if (f[0] != '.' && EndsWith(f, kSuffix)) {
                std::ifstream in(path, std::ios::binary);
                std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
                record = RecoveryRecord::Decode(bytes);
            }
            if (!record) {
                // A temporary file of a write that never finished, or a
                // damaged record: nothing in it can be offered as whole.
                ::unlink(path.c_str());
                continue;
            }
            record->file = path;
            found.emplace_back(ModTime(path), std::move(*record));
        }
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<RecoveryRecord> records;
    for (auto& f : found)
        records.push_back(std::move(f.second));
    return records;
}

void RecoveryStore::Forget(const RecoveryRecord& record)
{
    if (!record.file.empty())
        ::unlink(record.file.c_str());
}

void RecoveryStore::ReleaseClaims()
{
    for (auto& c : claims_) {
        auto names = Names(c.folder);
        if (names.size() == 1 && names[0] == kLockName)
            RemoveFolder(c.folder);
        ::close(c.fd);
    }
    claims_.clear();
}

void RecoveryStore::Close()
{
    ReleaseClaims();
    if (lockFd_ < 0)
        return;
    RemoveFolder(session_);
    ::close(lockFd_);
    lockFd_ = -1;
    session_.clear();
}
