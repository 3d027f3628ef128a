#include "ftp/FtpTexts.h"

#include "platform/resources/ProgramResources.h"
#include "platform/text/Sjis.h"

#include <cstdio>

namespace ftptexts {

std::string Format(UINT id, std::initializer_list<std::string_view> args)
{
    std::string pattern = sjis::FromUtf8(ProgramResources::String(id));
    std::string out;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        std::size_t len = sjis::CharLength(pattern, i);
        if (len == 1 && pattern[i] == '%' && i + 1 < pattern.size() && pattern[i + 1] >= '1' &&
            pattern[i + 1] <= '9') {
            std::size_t n = static_cast<std::size_t>(pattern[i + 1] - '1');
            if (n < args.size())
                out += *(args.begin() + n);
            ++i;
            continue;
        }
        out.append(pattern, i, len);
        i += len - 1;
    }
    return out;
}

std::string Text(std::string_view utf8)
{
    return sjis::FromUtf8(utf8);
}

namespace {

std::string Printf(const char* format, double value)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

} // namespace

std::string FormatRate(double x)
{
    if (x < 1.0)
        return Format(131, {Printf("%0.0f", x * 1024.0)});
    if (x < 10.0)
        return Format(132, {Printf("%0.2f", x)});
    return Format(132, {Printf("%0.0f", x)});
}

std::string FormatSize(std::uint64_t v)
{
    if (v < 1024)
        return Format(123, {std::to_string(v)});
    if (v < 1048576)
        return Format(125, {Printf("%0.1f", static_cast<double>(v) / 1024.0)});
    return Format(127, {Printf("%0.2f", static_cast<double>(v) / 1048576.0)});
}

std::string FormatTime(std::uint64_t s)
{
    if (s < 60)
        return Format(120, {std::to_string(s)});
    std::uint64_t minutes = s / 60;
    std::uint64_t seconds = s % 60;
    if (seconds == 0)
        return Format(121, {std::to_string(minutes)});
    return Format(122, {std::to_string(minutes), std::to_string(seconds)});
}

std::string FormatTimeLeft(std::uint64_t seconds, std::uint64_t done, std::uint64_t total)
{
    return Format(130, {FormatTime(seconds), Format(119, {FormatSize(done), FormatSize(total)})});
}

std::string JoinRemote(const std::string& directory, const std::string& name)
{
    if (directory.empty() || directory.back() == '/')
        return (directory.empty() ? "/" : directory) + name;
    return directory + "/" + name;
}

std::string LocalName(const std::string& path)
{
    std::string trimmed = path;
    while (trimmed.size() > 1 && trimmed.back() == '/')
        trimmed.pop_back();
    auto slash = trimmed.find_last_of('/');
    return slash == std::string::npos ? trimmed : trimmed.substr(slash + 1);
}

} // namespace ftptexts

#include "platform/wininet/InternetError.h"

namespace ftptexts {

std::string ErrorText(const InternetError& error)
{
    switch (error.code) {
    case ERROR_INTERNET_EXTENDED_ERROR: return error.response;
    case ERROR_INTERNET_TIMEOUT: return Text("操作がタイムアウトしました。");
    case ERROR_INTERNET_NAME_NOT_RESOLVED: return Text("サーバー名またはアドレスを解決できませんでした。");
    case ERROR_INTERNET_CANNOT_CONNECT: return Text("サーバーへの接続を確立できませんでした。");
    case ERROR_INTERNET_CONNECTION_ABORTED: return Text("サーバーとの接続が異常終了しました。");
    default: return {};
    }
}

} // namespace ftptexts
