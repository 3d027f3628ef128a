#include "editor/CSafeFileWriter.h"

#include "platform/text/Sjis.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// Closes a descriptor and removes the half-written file unless released.
class TempFile {
public:
    TempFile(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
    ~TempFile()
    {
        if (fd_ >= 0)
            ::close(fd_);
        if (!path_.empty())
            ::unlink(path_.c_str());
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    int fd() const { return fd_; }
    const std::string& path() const { return path_; }
    // Closes the descriptor; false (errno set) when the close reports a
    // failed write.
    bool Close()
    {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }
    // The file has been renamed: nothing to remove any more.
    void Release() { path_.clear(); }

private:
    int fd_;
    std::string path_;
};

bool WriteAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
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

std::string CSafeFileWriter::ErrorText(int errorNumber)
{
    const char* text = nullptr;
    switch (errorNumber) {
    case EACCES:
    case EPERM: text = "アクセスが拒否されました。"; break;
    case ENOSPC:
    case EDQUOT: text = "ディスクに十分な空き領域がありません。"; break;
    case ENOENT:
    case ENOTDIR: text = "指定されたパスが見つかりません。"; break;
    case EISDIR: text = "同じ名前のフォルダーがあります。"; break;
    case EROFS: text = "読み取り専用のファイル システムには書き込めません。"; break;
    case EIO: text = "書き込みに失敗しました。"; break;
    case ENAMETOOLONG: text = "ファイル名が長すぎます。"; break;
    case EFBIG: text = "ファイルが大きすぎます。"; break;
    default: break;
    }
    if (text)
        return sjis::FromUtf8(text);
    return sjis::FromUtf8(std::strerror(errorNumber));
}

bool CSafeFileWriter::Write(const std::string& path, std::string_view bytes, std::string& error)
{
    namespace fs = std::filesystem;
    auto fail = [&error](int errorNumber) {
        error = ErrorText(errorNumber);
        return false;
    };
    if (path.empty())
        return fail(ENOENT);

    // A symbolic link stays a link: the file it names is the one replaced.
    std::string target = path;
    std::error_code ec;
    if (fs::is_symlink(path, ec)) {
        const fs::path resolved = fs::weakly_canonical(path, ec);
        if (!ec)
            target = resolved.string();
    }

    struct stat old {};
    const bool existed = ::stat(target.c_str(), &old) == 0;
    if (existed && S_ISDIR(old.st_mode))
        return fail(EISDIR);

    fs::path folder = fs::path(target).parent_path();
    if (folder.empty())
        folder = ".";
    const std::string name = fs::path(target).filename().string();
    std::string pattern = (folder / ("." + name + ".kx-XXXXXX")).string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    const int fd = ::mkstemp(buffer.data());
    if (fd < 0)
        return fail(errno);
    TempFile temp(fd, buffer.data());

    if (!WriteAll(temp.fd(), bytes))
        return fail(errno);
    // mkstemp makes the file private; it gets the old file's permissions, or
    // those a new file would get.
    const mode_t mode = existed ? (old.st_mode & 07777) : (0666 & ~CurrentUmask());
    if (::fchmod(temp.fd(), mode) != 0)
        return fail(errno);
    // Only a privileged user may give the file to its old owner; otherwise
    // the writer owns the new file, as with any file written in its place.
    if (existed && (old.st_uid != ::geteuid() || old.st_gid != ::getegid()))
        (void)!::fchown(temp.fd(), old.st_uid, old.st_gid);
    if (::fsync(temp.fd()) != 0)
        return fail(errno);
    if (!temp.Close())
        return fail(errno);
    if (::rename(temp.path().c_str(), target.c_str()) != 0)
        return fail(errno);
    temp.Release();

    // The rename itself reaches the disk with the folder.
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}
