#include "RecordingFileCalls.h"

#include <cerrno>
#include <filesystem>

RecordingFileCalls::RecordingFileCalls() : previous_(FileSystemCalls::Install(this)) {}

RecordingFileCalls::~RecordingFileCalls()
{
    FileSystemCalls::Install(previous_);
}

void RecordingFileCalls::FailNext(const std::string& call, int error)
{
    std::lock_guard guard(mutex_);
    failures_[call] = error;
}

bool RecordingFileCalls::Record(const std::string& name, const std::string& path, const std::string& to)
{
    std::lock_guard guard(mutex_);
    calls_.push_back({name, path, to});
    auto it = failures_.find(name);
    if (it == failures_.end())
        return true;
    errno = it->second;
    failures_.erase(it);
    return false;
}

std::string RecordingFileCalls::PathOf(int fd) const
{
    std::lock_guard guard(mutex_);
    auto it = open_.find(fd);
    return it == open_.end() ? "fd " + std::to_string(fd) : it->second;
}

int RecordingFileCalls::Open(const char* path, int flags, mode_t mode)
{
    const int fd = FileSystemCalls::Open(path, flags, mode);
    if (fd >= 0) {
        std::lock_guard guard(mutex_);
        open_[fd] = path;
    }
    return fd;
}

int RecordingFileCalls::MakeTemporary(char* pattern, int flags)
{
    const int fd = FileSystemCalls::MakeTemporary(pattern, flags);
    if (fd >= 0) {
        std::lock_guard guard(mutex_);
        open_[fd] = pattern;
    }
    return fd;
}

ssize_t RecordingFileCalls::Write(int fd, const void* data, std::size_t size)
{
    if (!Record("write", PathOf(fd)))
        return -1;
    return FileSystemCalls::Write(fd, data, size);
}

int RecordingFileCalls::Fchmod(int fd, mode_t mode)
{
    if (!Record("fchmod", PathOf(fd)))
        return -1;
    return FileSystemCalls::Fchmod(fd, mode);
}

int RecordingFileCalls::Fchown(int fd, uid_t owner, gid_t group)
{
    if (!Record("fchown", PathOf(fd)))
        return -1;
    return FileSystemCalls::Fchown(fd, owner, group);
}

int RecordingFileCalls::Fsync(int fd)
{
    if (!Record("fsync", PathOf(fd)))
        return -1;
    return FileSystemCalls::Fsync(fd);
}

int RecordingFileCalls::Close(int fd)
{
    const std::string path = PathOf(fd);
    {
        std::lock_guard guard(mutex_);
        open_.erase(fd);
    }
    // A close that is to fail still lets the descriptor go, as close does.
    const bool ok = Record("close", path);
    const int saved = errno;
    const int result = FileSystemCalls::Close(fd);
    if (!ok) {
        errno = saved;
        return -1;
    }
    return result;
}

int RecordingFileCalls::Rename(const char* from, const char* to)
{
    if (!Record("rename", from, to))
        return -1;
    return FileSystemCalls::Rename(from, to);
}

int RecordingFileCalls::Unlink(const char* path)
{
    Record("unlink", path);
    return FileSystemCalls::Unlink(path);
}

std::vector<std::string> RecordingFileCalls::Calls() const
{
    std::lock_guard guard(mutex_);
    std::vector<std::string> out;
    for (const Call& call : calls_)
        out.push_back(call.name + " " + call.path + (call.to.empty() ? "" : " -> " + call.to));
    return out;
}

std::vector<std::string> RecordingFileCalls::ReplaceSteps(const std::string& target) const
{
    std::lock_guard guard(mutex_);
    std::string temporary;
    for (const Call& call : calls_)
        if (call.name == "rename" && call.to == target)
            temporary = call.path;
    const std::string folder = std::filesystem::path(target).parent_path().string();
    std::vector<std::string> steps;
    for (const Call& call : calls_) {
        std::string step;
        if (call.path == temporary && (call.name == "write" || call.name == "fsync" || call.name == "rename"))
            step = call.name;
        else if (call.path == folder && call.name == "fsync")
            step = "fsync folder";
        if (step.empty() || (step == "write" && !steps.empty() && steps.back() == "write"))
            continue;
        steps.push_back(step);
    }
    return steps;
}
