// One FTP connection: the calls the FTP browser and the transfer worker
// make, on Poco::Net's FTPClientSession.
//
// Why Poco and not libcurl: the program's transfers are written as a
// sequence of blocking calls on one connection (open a remote file, read or
// write it 1024 bytes at a time, close it, list, remove, rename). Poco's
// session is exactly that: a control connection with a stream per transfer.
// libcurl drives a whole transfer from one call through callbacks, so
// pulling 1024 bytes at a time from it needs the multi interface and
// pausing, and the small commands (DELE, RMD, RNFR/RNTO, MKD) would each
// be a "quote" on a transfer of their own.
//
// Data connections are active (the server connects back: PORT/EPRT), and
// every transfer is binary (TYPE I). A listing is MLSD where the server's
// FEAT offers it, else LIST, read by the parser of FtpListing.h.
// The password goes to the server and nowhere else: no error text holds it.
#pragma once

#include "platform/wininet/FtpListing.h"
#include "platform/wininet/InternetError.h"

#include <cstddef>
#include <cstdint>
#include <expected>
#include <functional>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class FtpSession;

class CFtpConnection {
public:
    // Called inside Connect with a status code (INTERNET_STATUS_...) and a
    // text: the host being resolved, the address found, the address
    // connected to.
    using StatusCallback = std::function<void(DWORD status, const std::string& info)>;

    enum class FileAccess { Read, Write };

    // Connects to server ("host" or "host:port"; port 21 without one) and
    // logs in. An empty user logs in anonymously.
    static std::expected<std::unique_ptr<CFtpConnection>, InternetError>
    Connect(const std::string& server, const std::string& user, const std::string& password,
            const StatusCallback& status = {});

    ~CFtpConnection();
    CFtpConnection(const CFtpConnection&) = delete;
    CFtpConnection& operator=(const CFtpConnection&) = delete;

    // "ftp://host[:port]" + the current directory + "/" ("ftp://host/" at
    // the top).
    std::string GetCurrentDirectoryAsURL();

    // The entries of a remote directory, in the server's order, "." and
    // ".." included where the server sends them.
    std::expected<std::vector<FtpFindData>, InternetError> List(const std::string& directory);
    // The entry a remote path names (found in its parent's listing), or
    // nothing when there is none. "/" is always a directory.
    std::expected<std::optional<FtpFindData>, InternetError> Find(const std::string& path);

    // Each false on failure, with LastError() telling why.
    bool Remove(const std::string& path);
    bool RemoveDirectory(const std::string& path);
    bool Rename(const std::string& from, const std::string& to);
    bool CreateDirectory(const std::string& path);
    bool SetCurrentDirectory(const std::string& path);
    // "SITE argument" ("CHMOD 755 /www/a.cgi"). False on a refusal, with
    // LastError's response holding the server's reply ("500 ..." when the
    // server does not know SITE or the sub-command at all).
    bool Site(const std::string& argument);

    // A remote file open for reading or writing; one at a time.
    std::expected<void, InternetError> OpenFile(const std::string& path, FileAccess access);
    // Up to size bytes; 0 at the end of the file.
    std::expected<std::size_t, InternetError> ReadFile(char* buffer, std::size_t size);
    std::expected<void, InternetError> WriteFile(const char* buffer, std::size_t size);
    // Ends the transfer and reads the server's verdict on it.
    std::expected<void, InternetError> CloseFile();
    // Stops an open transfer at once (cancel): the connection is closed and
    // good for nothing more.
    void Abort();

    bool IsOpen() const;
    bool UsesMlsd() const { return mlsd_; }
    // The last failure and the server's last reply text.
    const InternetError& LastError() const { return lastError_; }
    const std::string& LastResponse() const { return lastError_.response; }

private:
    CFtpConnection(std::unique_ptr<FtpSession> session, std::string urlHost);
    bool Command(const std::string& command, const std::string& argument);
    InternetError Fail(const std::exception& e);

    std::unique_ptr<FtpSession> session_;
    std::string urlHost_;
    bool mlsd_ = false;
    FileAccess openAccess_ = FileAccess::Read;
    bool fileOpen_ = false;
    bool aborted_ = false;
    InternetError lastError_;
};
