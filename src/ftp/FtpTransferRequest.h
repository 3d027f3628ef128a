// One upload or download as the FTP browser asks for it, and how it ended.
#pragma once

#include <string>

struct FtpTransferRequest {
    bool download = true;   // false: upload
    bool binary = true;     // transfers are always binary; kept as the browser sets it
    bool directory = false; // the object moved is a whole directory tree
    std::string server;     // "host" or "host:port"
    // Download: the remote file or directory. Upload: the remote directory
    // that receives the local object.
    std::string remotePath;
    // Download: the local file or directory to make. Upload: what to send.
    std::string localPath;
    std::string user;
    std::string password;
};

enum class FtpTransferEnd { Completed, Failed, Cancelled };

struct FtpTransferResult {
    FtpTransferEnd end = FtpTransferEnd::Completed;
    // The failure's message for the user (code page 932); empty when the
    // failure was already shown or when there was none.
    std::string errorText;
};
