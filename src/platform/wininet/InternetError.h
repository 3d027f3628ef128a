// The failures of the Internet stand-in, as values: a code with the meaning
// the program's messages give it, and the server's last reply where the
// server gave the reason.
#pragma once

#include "platform/base/WinTypes.h"

#include <string>

inline constexpr DWORD ERROR_INTERNET_TIMEOUT = 12002;
// The server refused: the reason is its reply text.
inline constexpr DWORD ERROR_INTERNET_EXTENDED_ERROR = 12003;
inline constexpr DWORD ERROR_INTERNET_NAME_NOT_RESOLVED = 12007;
inline constexpr DWORD ERROR_INTERNET_CANNOT_CONNECT = 12029;
inline constexpr DWORD ERROR_INTERNET_CONNECTION_ABORTED = 12030;

// Status codes of the status callback.
inline constexpr DWORD INTERNET_STATUS_RESOLVING_NAME = 10;
inline constexpr DWORD INTERNET_STATUS_NAME_RESOLVED = 11;
inline constexpr DWORD INTERNET_STATUS_CONNECTED_TO_SERVER = 21;

struct InternetError {
    DWORD code = 0;
    // The server's reply for ERROR_INTERNET_EXTENDED_ERROR, else a short
    // description of what failed (never holds the password).
    std::string response;
};
