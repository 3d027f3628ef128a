#include "platform/process/ProcessScan.h"

#include <algorithm>
#include <cctype>
#include <dirent.h>
#include <fstream>
#include <functional>
#include <iterator>
#include <unistd.h>

namespace {

using Same = std::function<bool(const std::string&, const std::string&)>;

bool SameIgnoringCase(const std::string& a, const std::string& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

// Whether the process with this /proc entry runs the program at path.
bool Runs(const std::string& pid, const std::string& path, const Same& same)
{
    const std::string base = "/proc/" + pid;
    char exe[4096];
    const ssize_t n = ::readlink((base + "/exe").c_str(), exe, sizeof exe);
    if (n > 0 && same(std::string(exe, std::size_t(n)), path))
        return true;
    // A script run by its interpreter shows as the interpreter; its own
    // path stands in the command line.
    std::ifstream cmdline(base + "/cmdline", std::ios::binary);
    const std::string all((std::istreambuf_iterator<char>(cmdline)), std::istreambuf_iterator<char>());
    std::size_t start = 0;
    while (start < all.size()) {
        std::size_t end = all.find('\0', start);
        if (end == std::string::npos)
            end = all.size();
        if (same(all.substr(start, end - start), path))
            return true;
        start = end + 1;
    }
    return false;
}

bool Scan(const std::string& path, const Same& same)
{
    if (path.empty())
        return false;
    DIR* proc = ::opendir("/proc");
    if (!proc)
        return false;
    bool found = false;
    while (dirent* entry = ::readdir(proc)) {
        const std::string name = entry->d_name;
        if (name.empty() || !std::all_of(name.begin(), name.end(), ::isdigit))
            continue;
        if (Runs(name, path, same)) {
            found = true;
            break;
        }
    }
    ::closedir(proc);
    return found;
}

} // namespace

bool IsProcessRunningToolhelp(const std::string& path)
{
    return Scan(path, SameIgnoringCase);
}

bool IsProcessRunningPsapi(const std::string& path)
{
    return Scan(path, std::equal_to<std::string>());
}

bool IsProcessRunning(int family, const std::string& path)
{
    switch (family) {
    case 0: return IsProcessRunningToolhelp(path);
    case 1: return IsProcessRunningPsapi(path);
    default: return false;
    }
}
