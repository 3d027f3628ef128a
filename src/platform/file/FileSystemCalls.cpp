#include "platform/file/FileSystemCalls.h"

#include <atomic>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::atomic<FileSystemCalls*> g_installed{nullptr};

} // namespace

int FileSystemCalls::Open(const char* path, int flags, mode_t mode)
{
    return ::open(path, flags, mode);
}

int FileSystemCalls::MakeTemporary(char* pattern, int flags)
{
    return ::mkostemp(pattern, flags);
}

ssize_t FileSystemCalls::Write(int fd, const void* data, std::size_t size)
{
    return ::write(fd, data, size);
}

int FileSystemCalls::Fchmod(int fd, mode_t mode)
{
    return ::fchmod(fd, mode);
}

int FileSystemCalls::Fchown(int fd, uid_t owner, gid_t group)
{
    return ::fchown(fd, owner, group);
}

int FileSystemCalls::Fsync(int fd)
{
    return ::fsync(fd);
}

int FileSystemCalls::Close(int fd)
{
    return ::close(fd);
}

int FileSystemCalls::Rename(const char* from, const char* to)
{
    return ::rename(from, to);
}

int FileSystemCalls::Unlink(const char* path)
{
    return ::unlink(path);
}

FileSystemCalls& FileSystemCalls::Current()
{
    static FileSystemCalls system;
    FileSystemCalls* installed = g_installed.load();
    return installed ? *installed : system;
}

FileSystemCalls* FileSystemCalls::Install(FileSystemCalls* calls)
{
    return g_installed.exchange(calls);
}
