// The "FTP_URL" setting as a host and a port: "host", "host:port",
// "[v6 address]" or "[v6 address]:port". A bare host means port 21; a bare
// IPv6 address (more than one ":") is a host without a port.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct FtpServerAddress {
    std::string host;
    std::uint16_t port = 21;
    bool operator==(const FtpServerAddress&) const = default;
};

// Nothing for an empty host or a port that is not 1 to 65535.
std::optional<FtpServerAddress> ParseFtpServerAddress(std::string_view server);
