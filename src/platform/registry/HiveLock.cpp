#include "platform/registry/HiveLock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

HiveLock::~HiveLock()
{
    if (fd_ >= 0)
        ::close(fd_);
}

int HiveLock::Open(const std::string& path)
{
    fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    return fd_ < 0 ? errno : 0;
}

int HiveLock::Lock(int operation)
{
    while (::flock(fd_, operation) != 0)
        if (errno != EINTR)
            return errno;
    held_ = true;
    return 0;
}
