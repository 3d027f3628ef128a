// The transfer engine: one upload or download of a file or a whole tree on
// a connection of its own, run on the transfer dialog's worker thread. It
// has no window: it tells a sink what it does and returns how it ended.
//
// Files move in blocks of 1024 bytes. Between blocks the engine looks at
// the cancel flag the dialog sets. A download is written to a temporary
// file beside its target and renamed onto it only when complete, so a
// failed or cancelled download never leaves a half file under the chosen
// name. Names in a server's listing that would leave their folder ("..",
// "a/b") are refused, never written.
#pragma once

#include "ftp/FtpTransferRequest.h"
#include "platform/wininet/InternetError.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

class CFtpConnection;
class FtpTransferSink;

class CFtpTransfer {
public:
    using Clock = std::chrono::steady_clock;

    CFtpTransfer(const FtpTransferRequest& request, FtpTransferSink& sink, const std::atomic<bool>& cancel);
    ~CFtpTransfer();

    // Connects, carries out the request and closes the connection.
    FtpTransferResult Run();

private:
    // The accounting of one file's progress.
    struct Progress {
        Clock::time_point start;
        Clock::time_point lastTick;
        std::uint64_t lastBytes = 0;
        int lastPercent = 0;
        bool haveTotal = false;
        std::uint64_t total = 0;
        std::uint64_t sum = 0;
    };

    bool UploadFile(const std::string& remoteDir, const std::string& localFile);
    bool UploadDirectory(const std::string& remoteDir, const std::string& localDir);
    bool DownloadFile(const std::string& remotePath, const std::string& localPath, std::uint64_t size);
    bool DownloadDirectory(const std::string& remoteDir, const std::string& localDir);
    // Keeps the failure's text: the string id filled with the server's reply
    // (on a line of its own) or the error number.
    bool ReportError(UINT stringId, const InternetError& error);
    bool ReportSystemError(UINT stringId, int errorNumber);
    bool Refuse(const std::string& text);
    void StartProgress(Progress& progress, std::uint64_t total, bool haveTotal);
    void UpdateProgress(Progress& progress, std::uint64_t bytesDone);
    bool Cancelled() const { return cancel_.load(); }

    FtpTransferRequest request_;
    FtpTransferSink& sink_;
    const std::atomic<bool>& cancel_;
    std::unique_ptr<CFtpConnection> connection_;
    std::string errorText_;
    bool failed_ = false;
};
