#include "platform/wininet/CFtpConnection.h"

#include "platform/wininet/FtpServerAddress.h"

#include <Poco/Exception.h>
#include <Poco/Net/DialogSocket.h>
#include <Poco/Net/FTPClientSession.h>
#include <Poco/Net/NetException.h>
#include <Poco/Net/SocketAddress.h>
#include <Poco/Net/SocketStream.h>
#include <Poco/Net/StreamSocket.h>
#include <Poco/Net/StreamSocketImpl.h>
#include <Poco/Timespan.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <istream>
#include <ostream>
#include <sstream>

// The control connection's socket. Poco reads a reply of several lines
// ("220-Welcome" ... "220 ready") until its last line comes, keeping every
// line. When the server hangs up before that, it reads the end of the
// stream again and again, for ever; a server that never sends the last
// line fills the memory. On the control connection the end of the stream
// always means the server has gone, so here it is an error like any lost
// connection, and so is a reply longer than any server writes (counted
// from the last command sent).
class ControlSocketImpl : public Poco::Net::StreamSocketImpl {
public:
    static constexpr std::size_t kLongestReply = 1024 * 1024;

    using StreamSocketImpl::receiveBytes;
    int receiveBytes(void* buffer, int length, int flags = 0) override
    {
        const int n = StreamSocketImpl::receiveBytes(buffer, length, flags);
        if (n == 0 && length > 0)
            throw Poco::Net::ConnectionResetException("the server closed the connection");
        if (n > 0 && (received_ += static_cast<std::size_t>(n)) > kLongestReply)
            throw Poco::Net::ConnectionResetException("the server's reply has no end");
        return n;
    }

    using StreamSocketImpl::sendBytes;
    int sendBytes(const void* buffer, int length, int flags = 0) override
    {
        received_ = 0;
        return StreamSocketImpl::sendBytes(buffer, length, flags);
    }

private:
    std::size_t received_ = 0;
};

// The session with the parts of Poco's that a listing by MLSD and the
// file transfers need. A transfer moves its bytes through a 64 KB buffer of
// its own: the caller's 1024-byte blocks cost a copy, not a system call each.
class FtpSession : public Poco::Net::FTPClientSession {
public:
    using FTPClientSession::FTPClientSession;
    static constexpr std::size_t kBufferSize = 64 * 1024;

    std::string Mlsd(const std::string& path)
    {
        Poco::Net::StreamSocket data = establishDataConnection("MLSD", path);
        std::ostringstream text;
        {
            Poco::Net::SocketInputStream in(data);
            text << in.rdbuf();
        }
        data.close();
        ExpectReply("Cannot list directory");
        return text.str();
    }

    void OpenData(const std::string& command, const std::string& path)
    {
        data = establishDataConnection(command, path);
        buffer.resize(kBufferSize);
        begin = end = 0;
    }

    // One reply that comes without a command of its own, which must be a
    // success: a transfer's closing reply (226), read here since Poco's own
    // end of transfer only reads it for streams it opened itself, and the
    // server's greeting. The greeting is read once the session is whole:
    // read by the constructor, a refused or missing greeting throws from it
    // and leaves the control socket open, so the server keeps a connection
    // the program has forgotten, one for every failed attempt.
    void ExpectReply(const std::string& what)
    {
        std::string response;
        int status = _pControlSocket->receiveStatusMessage(response);
        if (status / 100 != 2)
            throw Poco::Net::FTPException(what, response.empty() ? "connection lost" : response, status);
    }

    void Flush()
    {
        std::size_t sent = 0;
        while (sent < end) {
            int n = data.sendBytes(buffer.data() + sent, static_cast<int>(end - sent));
            if (n <= 0)
                throw Poco::Net::NetException("data connection lost");
            sent += static_cast<std::size_t>(n);
        }
        end = 0;
    }

    Poco::Net::StreamSocket data;
    std::vector<char> buffer;
    std::size_t begin = 0;
    std::size_t end = 0;
};

namespace {

const Poco::Timespan kTimeout(30, 0);

// Poco's messages read "what failed: 550 reply"; the reply is the part
// from its three-digit code on.
std::string ReplyIn(const std::string& message)
{
    for (std::size_t i = 0; i + 3 < message.size(); ++i) {
        if ((i == 0 || message[i - 1] == ' ') && std::isdigit(static_cast<unsigned char>(message[i])) &&
            std::isdigit(static_cast<unsigned char>(message[i + 1])) &&
            std::isdigit(static_cast<unsigned char>(message[i + 2])) &&
            (message[i + 3] == ' ' || message[i + 3] == '-') && message[i] >= '1' && message[i] <= '5')
            return message.substr(i);
    }
    return message;
}

std::string ParentOf(const std::string& path)
{
    auto slash = path.find_last_of('/');
    if (slash == std::string::npos || slash == 0)
        return "/";
    return path.substr(0, slash);
}

} // namespace

InternetError CFtpConnection::Fail(const std::exception& e)
{
    InternetError error;
    if (auto* ftp = dynamic_cast<const Poco::Net::FTPException*>(&e)) {
        error.code = ERROR_INTERNET_EXTENDED_ERROR;
        error.response = ReplyIn(ftp->message());
    } else if (dynamic_cast<const Poco::TimeoutException*>(&e)) {
        error.code = ERROR_INTERNET_TIMEOUT;
        error.response = "timeout";
    } else if (dynamic_cast<const Poco::Net::ConnectionRefusedException*>(&e)) {
        error.code = ERROR_INTERNET_CANNOT_CONNECT;
        error.response = "connection refused";
    } else if (auto* poco = dynamic_cast<const Poco::Exception*>(&e)) {
        error.code = ERROR_INTERNET_CONNECTION_ABORTED;
        error.response = poco->displayText();
    } else {
        error.code = ERROR_INTERNET_CONNECTION_ABORTED;
        error.response = e.what();
    }
    lastError_ = error;
    return error;
}

CFtpConnection::CFtpConnection(std::unique_ptr<FtpSession> session, std::string urlHost)
    : session_(std::move(session)), urlHost_(std::move(urlHost))
{
}

CFtpConnection::~CFtpConnection()
{
    if (!session_)
        return;
    try {
        if (fileOpen_ || aborted_)
            return; // the session's destructor drops the sockets
        session_->close();
    } catch (...) {
    }
}

std::expected<std::unique_ptr<CFtpConnection>, InternetError>
CFtpConnection::Connect(const std::string& server, const std::string& user, const std::string& password,
                        const StatusCallback& status)
{
    auto address = ParseFtpServerAddress(server);
    if (!address)
        return std::unexpected(InternetError{ERROR_INTERNET_NAME_NOT_RESOLVED, "invalid server name"});
    auto report = [&](DWORD code, const std::string& info) {
        if (status)
            status(code, info);
    };
    std::unique_ptr<FtpSession> session;
    std::string urlHost =
        address->host.find(':') != std::string::npos ? "[" + address->host + "]" : address->host;
    if (address->port != 21)
        urlHost += ":" + std::to_string(address->port);
    try {
        report(INTERNET_STATUS_RESOLVING_NAME, address->host);
        Poco::Net::SocketAddress socketAddress;
        try {
            socketAddress = Poco::Net::SocketAddress(address->host, address->port);
        } catch (const Poco::Exception&) {
            return std::unexpected(InternetError{ERROR_INTERNET_NAME_NOT_RESOLVED, address->host});
        }
        report(INTERNET_STATUS_NAME_RESOLVED, socketAddress.host().toString());
        Poco::Net::StreamSocket socket(new ControlSocketImpl);
        socket.connect(socketAddress, kTimeout);
        report(INTERNET_STATUS_CONNECTED_TO_SERVER, socketAddress.toString());
        socket.setReceiveTimeout(kTimeout);
        socket.setSendTimeout(kTimeout);
        session = std::make_unique<FtpSession>(socket, false);
        session->setTimeout(kTimeout);
        session->ExpectReply("Cannot login to server");
        session->setPassive(false);
        // The login ends with TYPE I: the session's file type is binary
        // from the start.
        session->login(user.empty() ? "anonymous" : user, user.empty() ? std::string() : password);
    } catch (const std::exception& e) {
        CFtpConnection failed(nullptr, {});
        return std::unexpected(failed.Fail(e));
    }
    std::unique_ptr<CFtpConnection> connection(new CFtpConnection(std::move(session), urlHost));
    std::string features;
    try {
        if (connection->session_->sendCommand("FEAT", features) / 100 == 2)
            connection->mlsd_ = features.find("MLST") != std::string::npos;
    } catch (const std::exception&) {
    }
    return connection;
}

bool CFtpConnection::IsOpen() const
{
    return session_ && !aborted_ && session_->isOpen();
}

std::string CFtpConnection::GetCurrentDirectoryAsURL()
{
    std::string path = "/";
    try {
        path = session_->getWorkingDirectory();
    } catch (const std::exception& e) {
        Fail(e);
    }
    if (path.empty() || path.back() != '/')
        path += '/';
    if (path.front() != '/')
        path.insert(path.begin(), '/');
    return "ftp://" + urlHost_ + path;
}

std::expected<std::vector<FtpFindData>, InternetError> CFtpConnection::List(const std::string& directory)
{
    if (fileOpen_ || aborted_)
        return std::unexpected(InternetError{ERROR_INTERNET_CONNECTION_ABORTED, "connection busy"});
    try {
        if (mlsd_)
            return ftplisting::ParseMlsd(session_->Mlsd(directory));
        std::istream& in = session_->beginList(directory, true);
        std::ostringstream text;
        text << in.rdbuf();
        session_->endList();
        return ftplisting::ParseList(text.str());
    } catch (const std::exception& e) {
        return std::unexpected(Fail(e));
    }
}

std::expected<std::optional<FtpFindData>, InternetError> CFtpConnection::Find(const std::string& path)
{
    if (path.empty() || path == "/")
        return FtpFindData{"/", true, 0};
    std::string name = path.substr(path.find_last_of('/') + 1);
    auto entries = List(ParentOf(path));
    if (!entries) {
        // A parent that cannot be listed holds nothing this connection can see.
        if (entries.error().code == ERROR_INTERNET_EXTENDED_ERROR)
            return std::optional<FtpFindData>();
        return std::unexpected(entries.error());
    }
    for (auto& entry : *entries)
        if (entry.name == name)
            return std::optional<FtpFindData>(entry);
    return std::optional<FtpFindData>();
}

bool CFtpConnection::Command(const std::string& command, const std::string& argument)
{
    if (fileOpen_ || aborted_) {
        lastError_ = {ERROR_INTERNET_CONNECTION_ABORTED, "connection busy"};
        return false;
    }
    try {
        std::string response;
        int status = session_->sendCommand(command, argument, response);
        if (status / 100 == 2 || (command == "RNFR" && status / 100 == 3))
            return true;
        lastError_ = {ERROR_INTERNET_EXTENDED_ERROR, response};
        return false;
    } catch (const std::exception& e) {
        Fail(e);
        return false;
    }
}

bool CFtpConnection::Remove(const std::string& path)
{
    return Command("DELE", path);
}

bool CFtpConnection::RemoveDirectory(const std::string& path)
{
    return Command("RMD", path);
}

bool CFtpConnection::Rename(const std::string& from, const std::string& to)
{
    return Command("RNFR", from) && Command("RNTO", to);
}

bool CFtpConnection::CreateDirectory(const std::string& path)
{
    return Command("MKD", path);
}

bool CFtpConnection::Site(const std::string& argument)
{
    return Command("SITE", argument);
}

bool CFtpConnection::SetCurrentDirectory(const std::string& path)
{
    return Command("CWD", path);
}

std::expected<void, InternetError> CFtpConnection::OpenFile(const std::string& path, FileAccess access)
{
    if (fileOpen_ || aborted_)
        return std::unexpected(InternetError{ERROR_INTERNET_CONNECTION_ABORTED, "connection busy"});
    try {
        session_->OpenData(access == FileAccess::Read ? "RETR" : "STOR", path);
    } catch (const std::exception& e) {
        return std::unexpected(Fail(e));
    }
    fileOpen_ = true;
    openAccess_ = access;
    return {};
}

std::expected<std::size_t, InternetError> CFtpConnection::ReadFile(char* buffer, std::size_t size)
{
    if (!fileOpen_ || openAccess_ != FileAccess::Read)
        return std::unexpected(InternetError{ERROR_INTERNET_CONNECTION_ABORTED, "no file open"});
    FtpSession& s = *session_;
    try {
        if (s.begin == s.end) {
            int n = s.data.receiveBytes(s.buffer.data(), static_cast<int>(s.buffer.size()));
            if (n <= 0)
                return 0;
            s.begin = 0;
            s.end = static_cast<std::size_t>(n);
        }
        std::size_t count = std::min(size, s.end - s.begin);
        std::memcpy(buffer, s.buffer.data() + s.begin, count);
        s.begin += count;
        return count;
    } catch (const std::exception& e) {
        return std::unexpected(Fail(e));
    }
}

std::expected<void, InternetError> CFtpConnection::WriteFile(const char* buffer, std::size_t size)
{
    if (!fileOpen_ || openAccess_ != FileAccess::Write)
        return std::unexpected(InternetError{ERROR_INTERNET_CONNECTION_ABORTED, "no file open"});
    FtpSession& s = *session_;
    try {
        while (size > 0) {
            std::size_t count = std::min(size, s.buffer.size() - s.end);
            std::memcpy(s.buffer.data() + s.end, buffer, count);
            s.end += count;
            buffer += count;
            size -= count;
            if (s.end == s.buffer.size())
                s.Flush();
        }
        return {};
    } catch (const std::exception& e) {
        return std::unexpected(Fail(e));
    }
}

std::expected<void, InternetError> CFtpConnection::CloseFile()
{
    if (!fileOpen_)
        return {};
    fileOpen_ = false;
    FtpSession& s = *session_;
    try {
        if (openAccess_ == FileAccess::Write) {
            s.Flush();
            s.data.shutdownSend();
        }
        s.data.close();
        s.ExpectReply(openAccess_ == FileAccess::Write ? "Cannot upload file" : "Cannot download file");
    } catch (const std::exception& e) {
        return std::unexpected(Fail(e));
    }
    return {};
}

void CFtpConnection::Abort()
{
    aborted_ = true;
    fileOpen_ = false;
    // Dropping the session closes the control and data sockets at once; the
    // server sees the transfer end and keeps what it has.
    session_.reset();
}
