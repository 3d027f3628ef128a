#include "platform/file/AtomicFileWriter.h"

#include "platform/file/FileSystemCalls.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

// The temporary file: closed and removed unless it has been renamed.
class TemporaryFile {
public:
    explicit TemporaryFile(FileSystemCalls& sys) : sys_(sys) {}
    ~TemporaryFile()
    {
        if (fd_ >= 0)
            sys_.Close(fd_);
        if (!path_.empty())
            sys_.Unlink(path_.c_str());
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    // Returns 0 or an errno.
    int Create(const std::string& target, AtomicFileWriter::Temporary kind, mode_t mode)
    {
        if (kind == AtomicFileWriter::Temporary::Fixed) {
            std::string path = target + ".tmp";
            fd_ = sys_.Open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, mode);
            if (fd_ < 0)
                return errno;
            path_ = std::move(path);
            return 0;
        }
        fs::path folder = fs::path(target).parent_path();
        if (folder.empty())
            folder = ".";
        const std::string name = fs::path(target).filename().string();
        const std::string pattern = (folder / ("." + name + ".kx-XXXXXX")).string();
        std::vector<char> buffer(pattern.begin(), pattern.end());
        buffer.push_back('\0');
        fd_ = sys_.MakeTemporary(buffer.data(), O_CLOEXEC);
        if (fd_ < 0)
            return errno;
        path_ = buffer.data();
        return 0;
    }
    int fd() const { return fd_; }
    const std::string& path() const { return path_; }
    // Closes the descriptor; false (errno set) when the close reports a
    // failed write.
    bool Close()
    {
        const int fd = fd_;
        fd_ = -1;
        return sys_.Close(fd) == 0;
    }
    // The file has been renamed: nothing to remove any more.
    void Release() { path_.clear(); }

private:
    FileSystemCalls& sys_;
    int fd_ = -1;
    std::string path_;
};

bool WriteAll(FileSystemCalls& sys, int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t n = sys.Write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes.remove_prefix(std::size_t(n));
    }
    return true;
}

mode_t CurrentUmask()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

} // namespace

int AtomicFileWriter::Write(const std::string& path, std::string_view bytes, const Options& options)
{
    FileSystemCalls& sys = FileSystemCalls::Current();
    if (path.empty())
        return ENOENT;

    std::string target = path;
    if (options.links == Links::Follow) {
        std::error_code ec;
        if (fs::is_symlink(path, ec)) {
            const fs::path resolved = fs::weakly_canonical(path, ec);
            if (!ec)
                target = resolved.string();
        }
    }

    struct stat old {};
    const bool existed =
        (options.links == Links::Follow ? ::stat(target.c_str(), &old) : ::lstat(target.c_str(), &old)) == 0;
    if (existed && S_ISDIR(old.st_mode))
        return EISDIR;

    TemporaryFile temp(sys);
    if (int e = temp.Create(target, options.temporary, options.mode.value_or(0600)))
        return e;
    // A given mode goes on before the bytes: the mode given to open is
    // subject to the umask and does not apply to a leftover file, and the
    // bytes may be secret (the hive holds passwords).
    if (options.mode && sys.Fchmod(temp.fd(), *options.mode) != 0)
        return errno;
    if (!WriteAll(sys, temp.fd(), bytes))
        return errno;
    if (!options.mode) {
        // Kept permissions go on after the bytes, since writing clears the
        // set-user-id and set-group-id bits. A unique temporary file starts
        // private.
        const bool keep = existed && !S_ISLNK(old.st_mode);
        const mode_t mode = keep ? (old.st_mode & 07777) : (0666 & ~CurrentUmask());
        if (sys.Fchmod(temp.fd(), mode) != 0)
            return errno;
        // Only a privileged user may give the file to its old owner;
        // otherwise the writer owns the new file, as with any file written
        // in its place.
        if (keep && (old.st_uid != ::geteuid() || old.st_gid != ::getegid()))
            (void)!sys.Fchown(temp.fd(), old.st_uid, old.st_gid);
    }
    if (sys.Fsync(temp.fd()) != 0)
        return errno;
    if (!temp.Close())
        return errno;
    if (sys.Rename(temp.path().c_str(), target.c_str()) != 0)
        return errno;
    temp.Release();

    // The rename itself reaches the disk with the folder.
    fs::path folder = fs::path(target).parent_path();
    if (folder.empty())
        folder = ".";
    const int dir = sys.Open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
    if (dir >= 0) {
        sys.Fsync(dir);
        sys.Close(dir);
    }
    return 0;
}
