#include "ftp/CFtpTransfer.h"

#include "ftp/FtpTexts.h"
#include "ftp/FtpTransferSink.h"
#include "platform/ui/UiService.h"
#include "platform/wininet/CFtpConnection.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using ftptexts::Format;
using ftptexts::Text;

namespace {

constexpr std::size_t kBlock = 1024;

// A local file read or written in the engine's 1024-byte blocks through a
// 64 KB buffer, closed (and flushed) when it goes.
class LocalFile {
public:
    explicit LocalFile(int fd = -1) : fd_(fd), buffer_(64 * 1024) {}
    ~LocalFile() { Close(); }
    LocalFile(const LocalFile&) = delete;
    LocalFile& operator=(const LocalFile&) = delete;
    int fd() const { return fd_; }

    // Up to size bytes; 0 at the end; -1 with errno on failure.
    ssize_t Read(char* data, std::size_t size)
    {
        if (begin_ == end_) {
            ssize_t n;
            do
                n = ::read(fd_, buffer_.data(), buffer_.size());
            while (n < 0 && errno == EINTR);
            if (n <= 0)
                return n;
            begin_ = 0;
            end_ = static_cast<std::size_t>(n);
        }
        std::size_t count = std::min(size, end_ - begin_);
        std::memcpy(data, buffer_.data() + begin_, count);
        begin_ += count;
        return static_cast<ssize_t>(count);
    }

    // False with errno on failure.
    bool Write(const char* data, std::size_t size)
    {
        if (end_ + size > buffer_.size() && !Flush())
            return false;
        std::memcpy(buffer_.data() + end_, data, size);
        end_ += size;
        return true;
    }

    bool Close()
    {
        if (fd_ < 0)
            return true;
        bool flushed = Flush();
        int result = ::close(fd_);
        fd_ = -1;
        return flushed && result == 0;
    }

private:
    bool Flush()
    {
        const char* data = buffer_.data();
        std::size_t size = end_;
        end_ = 0;
        while (size > 0) {
            ssize_t n = ::write(fd_, data, size);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return false;
            data += n;
            size -= static_cast<std::size_t>(n);
        }
        return true;
    }

    int fd_;
    std::vector<char> buffer_;
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
};

std::string ParentOf(const std::string& path)
{
    auto slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

} // namespace

CFtpTransfer::CFtpTransfer(const FtpTransferRequest& request, FtpTransferSink& sink,
                           const std::atomic<bool>& cancel)
    : request_(request), sink_(sink), cancel_(cancel)
{
}

CFtpTransfer::~CFtpTransfer() = default;

FtpTransferResult CFtpTransfer::Run()
{
    auto status = [this](DWORD code, const std::string& info) {
        if (code == INTERNET_STATUS_RESOLVING_NAME)
            sink_.SetStatusText(Format(106, {info}));
        else if (code == INTERNET_STATUS_NAME_RESOLVED)
            sink_.SetStatusText(Format(107, {info}));
        else if (code == INTERNET_STATUS_CONNECTED_TO_SERVER)
            sink_.SetStatusText(Format(105, {info}));
    };
    if (Cancelled())
        return {FtpTransferEnd::Cancelled, {}};
    auto connection = CFtpConnection::Connect(request_.server, request_.user, request_.password, status);
    if (!connection) {
        ReportError(113, connection.error());
        return {FtpTransferEnd::Failed, errorText_};
    }
    connection_ = std::move(*connection);
    if (Cancelled())
        return {FtpTransferEnd::Cancelled, {}};
    sink_.PlayAnimation();
    sink_.SetStatusText(Format(110));

    bool ok = true;
    if (request_.download && request_.directory) {
        std::error_code error;
        fs::create_directory(request_.localPath, error);
        if (!fs::is_directory(request_.localPath))
            ok = Refuse(Text("ディレクトリの作成に失敗しました") + "\n" + request_.localPath);
        else
            ok = DownloadDirectory(request_.remotePath, request_.localPath);
    } else if (request_.download) {
        sink_.SetStatusText(Text("ファイル情報の取得"));
        auto found = connection_->Find(request_.remotePath);
        if (!found) {
            ok = ReportError(109, found.error());
        } else if (!*found || (*found)->directory) {
            sink_.ShowMessage(Text("指定されたファイルが見つかりません。"), Text("通知"), MB_OK);
            ok = false;
            failed_ = true;
        } else {
            ok = DownloadFile(request_.remotePath, request_.localPath, (*found)->size);
        }
    } else {
        std::string target =
            ftptexts::JoinRemote(request_.remotePath, ftptexts::LocalName(request_.localPath));
        if (request_.directory) {
            if (connection_->CreateDirectory(target)) {
                ok = UploadDirectory(target, request_.localPath);
            } else {
                // The top folder could not be made: nothing was sent, and
                // the transfer says so instead of announcing completion.
                sink_.ShowMessage(Text("ディレクトリの作成に失敗しました"), "Error", MB_OK | MB_ICONERROR);
                ok = false;
                failed_ = true;
            }
        } else {
            ok = UploadFile(request_.remotePath, request_.localPath);
        }
    }
    if (Cancelled())
        return {FtpTransferEnd::Cancelled, {}};
    if (!ok || failed_)
        return {FtpTransferEnd::Failed, errorText_};
    return {FtpTransferEnd::Completed, {}};
}

bool CFtpTransfer::ReportError(UINT stringId, const InternetError& error)
{
    std::string argument =
        error.code == ERROR_INTERNET_EXTENDED_ERROR ? "\n" + error.response : std::to_string(error.code);
    errorText_ = Format(stringId, {argument});
    failed_ = true;
    return false;
}

bool CFtpTransfer::ReportSystemError(UINT stringId, int errorNumber)
{
    errorText_ = Format(stringId, {std::to_string(errorNumber)});
    failed_ = true;
    return false;
}

bool CFtpTransfer::Refuse(const std::string& text)
{
    errorText_ = text;
    failed_ = true;
    return false;
}

void CFtpTransfer::StartProgress(Progress& progress, std::uint64_t total, bool haveTotal)
{
    progress = Progress{};
    progress.start = progress.lastTick = Clock::now();
    progress.total = total;
    progress.haveTotal = haveTotal;
    if (haveTotal) {
        sink_.SetProgressRange(total);
        sink_.SetProgressPos(0);
    }
}

void CFtpTransfer::UpdateProgress(Progress& p, std::uint64_t bytesDone)
{
    if (p.haveTotal && p.total > 0) {
        int percent = static_cast<int>(static_cast<double>(bytesDone) * 100.0 / static_cast<double>(p.total));
        if (percent != p.lastPercent) {
            sink_.ShowPercent(percent);
            p.lastPercent = percent;
            sink_.SetProgressPos(bytesDone);
        }
    }
    auto now = Clock::now();
    auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(now - p.lastTick).count();
    if (elapsed <= 1000)
        return;
    sink_.ShowRate(static_cast<double>(bytesDone - p.lastBytes) / static_cast<double>(elapsed));
    p.lastTick = now;
    p.lastBytes = bytesDone;
    if (p.haveTotal && bytesDone != 0) {
        double sinceStart =
            static_cast<double>(std::chrono::duration_cast<std::chrono::milliseconds>(now - p.start).count());
        auto seconds = static_cast<std::uint64_t>(sinceStart / static_cast<double>(bytesDone) *
                                                  static_cast<double>(p.total - bytesDone) * 0.001);
        sink_.ShowTimeLeft(seconds, bytesDone, p.total);
    }
}

bool CFtpTransfer::UploadFile(const std::string& remoteDir, const std::string& localFile)
{
    Progress progress;
    LocalFile file(::open(localFile.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat info {};
    if (file.fd() < 0 || ::fstat(file.fd(), &info) != 0 || S_ISDIR(info.st_mode))
        return ReportSystemError(112, file.fd() < 0 ? errno : EISDIR);
    StartProgress(progress, static_cast<std::uint64_t>(info.st_size), true);
    if (Cancelled())
        return false;
    std::string name = ftptexts::LocalName(localFile);
    if (auto opened =
            connection_->OpenFile(ftptexts::JoinRemote(remoteDir, name), CFtpConnection::FileAccess::Write);
        !opened)
        return ReportError(109, opened.error());
    if (Cancelled()) {
        (void)connection_->CloseFile();
        return false;
    }
    sink_.SetStatusText(Format(124));
    char block[kBlock];
    for (;;) {
        ssize_t n = file.Read(block, sizeof block);
        if (n < 0) {
            int error = errno;
            connection_->Abort();
            return ReportSystemError(116, error);
        }
        if (n == 0)
            break;
        if (auto written = connection_->WriteFile(block, static_cast<std::size_t>(n)); !written) {
            connection_->Abort();
            return ReportError(116, written.error());
        }
        if (Cancelled())
            break;
        progress.sum += static_cast<std::uint64_t>(n);
        UpdateProgress(progress, progress.sum);
    }
    // A cancelled upload ends its remote file where it stopped; the server
    // keeps the part sent.
    if (auto closed = connection_->CloseFile(); !closed && !Cancelled())
        return ReportError(116, closed.error());
    if (!Cancelled()) {
        sink_.ClearProgressLines();
        sink_.SetCaption(name + Text("のアップロードの完了"));
    }
    return !Cancelled();
}

bool CFtpTransfer::UploadDirectory(const std::string& remoteDir, const std::string& localDir)
{
    std::error_code error;
    std::vector<fs::directory_entry> entries;
    for (fs::directory_iterator it(localDir, error), end; !error && it != end; it.increment(error))
        entries.push_back(*it);
    if (error)
        return ReportSystemError(112, error.value());
    std::sort(entries.begin(), entries.end(),
              [](const auto& a, const auto& b) { return a.path().filename() < b.path().filename(); });
    for (const auto& entry : entries) {
        if (Cancelled())
            return false;
        std::string name = entry.path().filename().string();
        std::string local = localDir + (localDir.ends_with('/') ? "" : "/") + name;
        if (entry.is_directory(error)) {
            std::string remote = ftptexts::JoinRemote(remoteDir, name);
            if (!connection_->CreateDirectory(remote))
                return ReportError(112, connection_->LastError());
            if (!UploadDirectory(remote, local))
                return false;
        } else if (entry.is_regular_file(error)) {
            if (!UploadFile(remoteDir, local))
                return false;
        }
    }
    return true;
}

bool CFtpTransfer::DownloadFile(const std::string& remotePath, const std::string& localPath,
                                std::uint64_t size)
{
    // The bytes go to a temporary file beside the target; it takes the
    // target's name only once every byte has arrived.
    std::string name = ftptexts::LocalName(localPath);
    std::string pattern = ParentOf(localPath) + "/." + name + ".kxpart-XXXXXX";
    std::vector<char> temp(pattern.begin(), pattern.end());
    temp.push_back('\0');
    LocalFile file(::mkstemp(temp.data()));
    if (file.fd() < 0)
        return Refuse(Format(134, {std::to_string(errno)}));
    std::string tempPath(temp.data());
    ::fchmod(file.fd(), 0644);
    auto discard = [&] {
        file.Close();
        ::unlink(tempPath.c_str());
    };
    Progress progress;
    StartProgress(progress, size, size > 0);
    if (Cancelled()) {
        discard();
        return false;
    }
    if (auto opened = connection_->OpenFile(remotePath, CFtpConnection::FileAccess::Read); !opened) {
        discard();
        return ReportError(109, opened.error());
    }
    sink_.SetCaption(Format(103, {remotePath, request_.server}));
    sink_.SetStatusText(Format(118));
    StartProgress(progress, size, size > 0);
    char block[kBlock];
    while (!Cancelled()) {
        auto n = connection_->ReadFile(block, sizeof block);
        if (!n) {
            discard();
            connection_->Abort();
            return ReportError(116, n.error());
        }
        if (*n == 0)
            break;
        if (!file.Write(block, *n)) {
            int error = errno;
            discard();
            connection_->Abort();
            return ReportSystemError(116, error);
        }
        progress.sum += *n;
        UpdateProgress(progress, progress.sum);
    }
    if (Cancelled()) {
        discard();
        connection_->Abort();
        return false;
    }
    if (auto closed = connection_->CloseFile(); !closed) {
        discard();
        return ReportError(116, closed.error());
    }
    if (!file.Close() || ::rename(tempPath.c_str(), localPath.c_str()) != 0) {
        int error = errno;
        ::unlink(tempPath.c_str());
        return ReportSystemError(116, error);
    }
    sink_.ClearProgressLines();
    sink_.SetCaption(name + Text("のアップロードの完了"));
    return true;
}

bool CFtpTransfer::DownloadDirectory(const std::string& remoteDir, const std::string& localDir)
{
    auto listing = connection_->List(remoteDir);
    if (!listing)
        return ReportError(116, listing.error());
    for (const auto& entry : *listing) {
        if (Cancelled())
            return false;
        if (entry.name == "." || entry.name == "..")
            continue;
        if (!ftplisting::IsSafeEntryName(entry.name))
            return Refuse(Format(107, {entry.name}));
        std::string local = localDir + (localDir.ends_with('/') ? "" : "/") + entry.name;
        std::string remote = ftptexts::JoinRemote(remoteDir, entry.name);
        if (entry.directory) {
            if (::mkdir(local.c_str(), 0755) != 0)
                return Refuse(Text("ディレクトリの作成に失敗しました") + "\n" + local);
            if (!DownloadDirectory(remote, local))
                return false;
        } else if (!DownloadFile(remote, local, entry.size)) {
            return false;
        }
    }
    return true;
}
