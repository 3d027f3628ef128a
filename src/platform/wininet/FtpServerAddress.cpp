#include "platform/wininet/FtpServerAddress.h"

#include <cctype>

namespace {

std::optional<std::uint16_t> Port(std::string_view text)
{
    if (text.empty() || text.size() > 5)
        return std::nullopt;
    unsigned value = 0;
    for (char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return std::nullopt;
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    if (value == 0 || value > 65535)
        return std::nullopt;
    return static_cast<std::uint16_t>(value);
}

} // namespace

std::optional<FtpServerAddress> ParseFtpServerAddress(std::string_view server)
{
    while (!server.empty() && server.front() == ' ')
        server.remove_prefix(1);
    while (!server.empty() && server.back() == ' ')
        server.remove_suffix(1);
    if (server.empty())
        return std::nullopt;
    FtpServerAddress address;
    if (server.front() == '[') {
        auto close = server.find(']');
        if (close == std::string_view::npos || close == 1)
            return std::nullopt;
        address.host = std::string(server.substr(1, close - 1));
        std::string_view rest = server.substr(close + 1);
        if (rest.empty())
            return address;
        if (rest.front() != ':')
            return std::nullopt;
        auto port = Port(rest.substr(1));
        if (!port)
            return std::nullopt;
        address.port = *port;
        return address;
    }
    auto colon = server.find(':');
    if (colon == std::string_view::npos || server.find(':', colon + 1) != std::string_view::npos) {
        address.host = std::string(server);
        return address;
    }
    auto port = Port(server.substr(colon + 1));
    if (!port || colon == 0)
        return std::nullopt;
    address.host = std::string(server.substr(0, colon));
    address.port = *port;
    return address;
}
