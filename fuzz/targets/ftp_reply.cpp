// The FTP connection against a server whose every reply is hostile: a
// loopback server in this process sends the input as the whole stream of
// control replies, then closes its side, and opens the data connections the
// client asks for with PORT or EPRT, sending them the rest of the input.
// The input is the replies, "\0\0", then the data.
//
// Every call of the connection must come back (the end of the replies ends
// any wait), nothing may crash or leak, the address the connection gives
// keeps the server's host and ends in "/", and no error text holds the
// password unless the server itself sent it.
#include "FuzzCheck.h"
#include "platform/wininet/CFtpConnection.h"

#include <arpa/inet.h>
#include <csignal>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <thread>

namespace {

const char kPassword[] = "kx-pw-7c1e";

int g_listener = -1;
int g_port = 0;

// The server never waits long: the client has every reply at once, so it
// answers, sends or hangs up at once too. A wait of seconds means the client
// holds a connection it has forgotten.
void Await(int fd, short events, const char* what)
{
    pollfd wait{fd, events, 0};
    FUZZ_CHECK(::poll(&wait, 1, 3000) == 1, what);
}

// Sends bytes until they are gone or the client has hung up.
void SendAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        Await(fd, POLLOUT, "the client takes none of the data it asked for");
        const ssize_t n = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (n <= 0)
            return;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
}

int ConnectTo(int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    sockaddr_in local{};
    socklen_t length = sizeof local;
    // A port the client has already closed can come back as this socket's
    // own port, and TCP then connects the socket to itself: that is no
    // connection to the client.
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&local), &length) != 0 || local.sin_port == address.sin_port) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Reads an upload to its end. A connection made just as the client gave
// up waiting for it (its command was refused) can vanish with the client's
// listening socket without a reset; a byte sent to it then brings one.
void Drain(int fd)
{
    char buffer[4096];
    for (int probes = 0;;) {
        pollfd wait{fd, POLLIN, 0};
        if (::poll(&wait, 1, 200) == 1) {
            if (::recv(fd, buffer, sizeof buffer, 0) <= 0)
                return;
            continue;
        }
        FUZZ_CHECK(++probes < 15, "the client neither ends nor drops an upload");
        ::send(fd, "", 1, MSG_NOSIGNAL);
    }
}

// The port a "PORT h1,h2,h3,h4,p1,p2" or "EPRT |1|host|port|" command names.
std::optional<int> PortIn(const std::string& line)
{
    if (line.rfind("PORT ", 0) == 0) {
        int h[6];
        if (std::sscanf(line.c_str() + 5, "%d,%d,%d,%d,%d,%d", &h[0], &h[1], &h[2], &h[3], &h[4], &h[5]) == 6)
            return h[4] * 256 + h[5];
    } else if (line.rfind("EPRT ", 0) == 0) {
        const auto end = line.find_last_of('|');
        const auto start = end == std::string::npos || end == 0 ? std::string::npos : line.rfind('|', end - 1);
        if (start != std::string::npos)
            return std::atoi(line.c_str() + start + 1);
    }
    return std::nullopt;
}

// One session of the hostile server: the replies at once, then the data
// connections for as long as the client keeps the control connection.
void Serve(int control, std::string_view replies, std::string_view data)
{
    SendAll(control, replies);
    ::shutdown(control, SHUT_WR);
    std::string pending;
    int dataPort = -1;
    char buffer[4096];
    for (;;) {
        Await(control, POLLIN, "the client neither sends a command nor hangs up");
        const ssize_t n = ::recv(control, buffer, sizeof buffer, 0);
        if (n <= 0)
            break;
        pending.append(buffer, static_cast<std::size_t>(n));
        std::size_t end;
        while ((end = pending.find('\n')) != std::string::npos) {
            std::string line = pending.substr(0, end);
            pending.erase(0, end + 1);
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            if (auto port = PortIn(line)) {
                dataPort = *port;
                continue;
            }
            const std::string verb = line.substr(0, line.find(' '));
            const bool download = verb == "RETR" || verb == "LIST" || verb == "NLST" || verb == "MLSD";
            if ((!download && verb != "STOR") || dataPort <= 0)
                continue;
            const int fd = ConnectTo(dataPort);
            dataPort = -1;
            if (fd < 0)
                continue;
            if (download) {
                SendAll(fd, data);
            } else {
                Drain(fd);
            }
            ::close(fd);
        }
    }
    ::close(control);
}

void CheckError(const InternetError& error, bool passwordSent)
{
    FUZZ_CHECK(passwordSent || error.response.find(kPassword) == std::string::npos,
               "an error text holds the password");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    std::signal(SIGPIPE, SIG_IGN);
    g_listener = ::socket(AF_INET, SOCK_STREAM, 0);
    const int one = 1;
    ::setsockopt(g_listener, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(g_listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(g_listener, 4) != 0 ||
        ::getsockname(g_listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        std::perror("loopback server");
        std::abort();
    }
    g_port = ntohs(address.sin_port);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size)
{
    const std::string_view input = FuzzBytes(bytes, size);
    const auto split = input.find(std::string_view("\0\0", 2));
    const std::string_view replies = input.substr(0, split);
    const std::string_view data = split == std::string_view::npos ? std::string_view() : input.substr(split + 2);
    const bool passwordSent = input.find(kPassword) != std::string_view::npos;

    std::thread server([&] {
        const int control = ::accept(g_listener, nullptr, nullptr);
        if (control >= 0)
            Serve(control, replies, data);
    });
    {
        auto connection = CFtpConnection::Connect("127.0.0.1:" + std::to_string(g_port), "kx", kPassword);
        if (!connection) {
            CheckError(connection.error(), passwordSent);
        } else {
            CFtpConnection& ftp = **connection;
            const std::string url = ftp.GetCurrentDirectoryAsURL();
            const std::string host = "ftp://127.0.0.1:" + std::to_string(g_port) + "/";
            FUZZ_CHECK(url.rfind(host, 0) == 0, "the address lost the server's host");
            FUZZ_CHECK(url.back() == '/', "the address does not end in /");
            if (auto entries = ftp.List("/www"); !entries)
                CheckError(entries.error(), passwordSent);
            if (auto found = ftp.Find("/www/a.cgi"); found && *found)
                FUZZ_CHECK((*found)->name == "a.cgi", "found another name");
            // Each command is sent whatever became of the one before.
            const auto check = [&](bool done) {
                if (!done)
                    CheckError(ftp.LastError(), passwordSent);
            };
            check(ftp.SetCurrentDirectory("/www"));
            check(ftp.CreateDirectory("new"));
            check(ftp.Rename("a.cgi", "b.cgi"));
            check(ftp.Remove("old.cgi"));
            check(ftp.RemoveDirectory("tmp"));
            check(ftp.Site("CHMOD 755 b.cgi"));
            if (ftp.OpenFile("b.cgi", CFtpConnection::FileAccess::Read)) {
                char block[1024];
                std::size_t total = 0;
                for (;;) {
                    auto n = ftp.ReadFile(block, sizeof block);
                    if (!n || *n == 0)
                        break;
                    FUZZ_CHECK(*n <= sizeof block, "more bytes than the block holds");
                    total += *n;
                }
                FUZZ_CHECK(total <= data.size(), "more bytes read than the server sent");
                if (auto closed = ftp.CloseFile(); !closed)
                    CheckError(closed.error(), passwordSent);
            }
            // The upload comes last: the server reads it to its end before
            // it looks at the control connection again.
            if (ftp.OpenFile("c.cgi", CFtpConnection::FileAccess::Write)) {
                const std::string script = "#!/usr/bin/perl\nprint \"ok\\n\";\n";
                if (auto written = ftp.WriteFile(script.data(), script.size()); !written)
                    CheckError(written.error(), passwordSent);
                if (auto closed = ftp.CloseFile(); !closed)
                    CheckError(closed.error(), passwordSent);
            }
        }
    }
    server.join();
    return 0;
}
