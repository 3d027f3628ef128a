// The upload of a publish, on the transfer dialog's worker: every file that
// goes is written under a temporary name in its own remote folder
// (".name.kx-part"), given its permission there (SITE CHMOD 755 for
// scripts, 644 for the rest) and then renamed over the old file. A visitor
// thus gets the old file or the new one, whole and executable, never half a
// script; a cancel or a dropped connection leaves each remote file old or
// new, and the temporary is removed where the server can still be reached.
//
// A server that does not accept SITE commands (a "500"/"502"/"504" reply) is
// asked once; the result says so, and the files keep the server's default
// permission.
#pragma once

#include "ftp/FtpTransferRequest.h"
#include "platform/wininet/InternetError.h"
#include "publish/PublishPlan.h"

#include <atomic>
#include <memory>
#include <string>
#include <vector>

class CFtpConnection;
class FtpTransferSink;

struct PublishUploadRequest {
    std::string server;
    std::string user;
    std::string password;
    std::string remoteFolder;
    std::vector<PublishItem> items; // the files that go
};

struct PublishUploadResult {
    FtpTransferEnd end = FtpTransferEnd::Completed;
    std::string errorText;                    // code page 932
    std::vector<std::string> sent;            // relative paths now on the server, complete
    bool siteRefused = false;                 // the server does not accept SITE
    std::string siteReply;                    // its reply then
    std::vector<std::string> chmodFailed;     // files whose permission the server refused
    std::vector<std::string> temporariesLeft; // remote temporaries that could not be removed
};

class PublishUpload {
public:
    PublishUpload(PublishUploadRequest request, FtpTransferSink& sink, const std::atomic<bool>& cancel);
    ~PublishUpload();

    PublishUploadResult Run();

    // The remote path of a file, and its temporary beside it.
    static std::string RemotePath(const std::string& remoteFolder, const std::string& relativePath);
    static std::string TemporaryPath(const std::string& remotePath);

private:
    enum class Step { Done, Failed, Cancelled };
    Step SendFile(const PublishItem& item);
    void SetMode(const std::string& path, const PublishItem& item);
    // After a cancel or a failure in the middle of a file: removes its
    // temporary, on a new connection when the old one is gone.
    void RemoveTemporary(const std::string& temporary);
    Step Fail(const std::string& what, const InternetError& error);

    PublishUploadRequest request_;
    FtpTransferSink& sink_;
    const std::atomic<bool>& cancel_;
    std::unique_ptr<CFtpConnection> connection_;
    PublishUploadResult result_;
    std::uint64_t total_ = 0;
    std::uint64_t done_ = 0;
};
