#include "platform/registry/HiveFile.h"

#include "platform/file/AtomicFileWriter.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

long long Nanoseconds(const timespec& t)
{
    return (long long)t.tv_sec * 1000000000LL + t.tv_nsec;
}

HiveFile::Stamp StampOfStat(const struct stat& st)
{
    HiveFile::Stamp s;
    s.exists = true;
    s.device = st.st_dev;
    s.inode = st.st_ino;
    s.size = st.st_size;
    s.mtimeNs = Nanoseconds(st.st_mtim);
    s.ctimeNs = Nanoseconds(st.st_ctim);
    return s;
}

} // namespace

HiveFile::Stamp HiveFile::StampOf(const std::string& path)
{
    struct stat st;
    if (::stat(path.c_str(), &st) != 0)
        return {};
    return StampOfStat(st);
}

std::string HiveFile::ParentFolder(const std::string& path)
{
    std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

int HiveFile::MakeFolders(const std::string& dir)
{
    struct stat st;
    if (::stat(dir.c_str(), &st) == 0)
        return S_ISDIR(st.st_mode) ? 0 : ENOTDIR;
    std::size_t pos = 0;
    while (pos != std::string::npos) {
        pos = dir.find('/', pos + 1);
        std::string prefix = dir.substr(0, pos);
        if (prefix.empty())
            continue;
        if (::mkdir(prefix.c_str(), 0700) == 0) {
            // The umask may have taken bits away.
            ::chmod(prefix.c_str(), 0700);
            continue;
        }
        int e = errno;
        if (e != EEXIST)
            return e;
        if (::stat(prefix.c_str(), &st) != 0)
            return errno;
        if (!S_ISDIR(st.st_mode))
            return ENOTDIR;
    }
    return 0;
}

int HiveFile::Read(const std::string& path, std::string& bytes, Stamp& stamp)
{
    // O_NONBLOCK so that a FIFO put in the file's place cannot hang the program.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return errno;
    struct stat st;
    if (::fstat(fd, &st) != 0) {
        int e = errno;
        ::close(fd);
        return e;
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        return S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
    }
    bytes.clear();
    bytes.reserve(std::size_t(st.st_size));
    char buffer[65536];
    for (;;) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            int e = errno;
            ::close(fd);
            return e;
        }
        if (n == 0)
            break;
        bytes.append(buffer, std::size_t(n));
    }
    stamp = StampOfStat(st);
    ::close(fd);
    return 0;
}

int HiveFile::Replace(const std::string& path, const std::string& text, Stamp& stamp)
{
    // The hive's writes are serialised by its lock, so a fixed temporary
    // name is safe; a link at the hive's path is replaced, never followed.
    AtomicFileWriter::Options options;
    options.temporary = AtomicFileWriter::Temporary::Fixed;
    options.links = AtomicFileWriter::Links::Replace;
    options.mode = 0600;
    if (int e = AtomicFileWriter::Write(path, text, options))
        return e;
    stamp = StampOf(path);
    return 0;
}

int HiveFile::MoveAside(const std::string& path, std::string& movedTo)
{
    for (int n = 0; n < 10000; ++n) {
        std::string candidate = path + ".bad" + (n == 0 ? std::string() : "." + std::to_string(n));
        if (::renameat2(AT_FDCWD, path.c_str(), AT_FDCWD, candidate.c_str(), RENAME_NOREPLACE) == 0) {
            movedTo = candidate;
            return 0;
        }
        int e = errno;
        if (e == EEXIST)
            continue;
        if (e != EINVAL && e != ENOSYS)
            return e;
        // A file system without RENAME_NOREPLACE: link() does not replace
        // either.
        if (::link(path.c_str(), candidate.c_str()) != 0) {
            if (errno == EEXIST)
                continue;
            return errno;
        }
        if (::unlink(path.c_str()) != 0) {
            e = errno;
            ::unlink(candidate.c_str());
            return e;
        }
        movedTo = candidate;
        return 0;
    }
    return EEXIST;
}
