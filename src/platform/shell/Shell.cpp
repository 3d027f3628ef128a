#include "platform/shell/Shell.h"

#include <QDesktopServices>
#include <QUrl>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

#ifndef KESTRIX_DATADIR
#define KESTRIX_DATADIR "/usr/local/share/kestrix"
#endif

namespace fs = std::filesystem;

std::string ProgramFolder()
{
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec)
        return {};
    return exe.parent_path().string();
}

std::vector<std::string> DataSearchFolders()
{
    std::vector<std::string> folders;
    if (std::string own = ProgramFolder(); !own.empty())
        folders.push_back(own);
    std::error_code ec;
    if (fs::path cwd = fs::current_path(ec); !ec)
        folders.push_back(cwd.string());
    // The installed data folder; KESTRIX_DATA_DIR points a relocated
    // installation (or a test) elsewhere. An installation moved as a whole
    // keeps its data in share/kestrix beside the program's bin folder.
    const char* data = std::getenv("KESTRIX_DATA_DIR");
    if (data && *data) {
        folders.push_back(data);
    } else {
        if (std::string own = ProgramFolder(); !own.empty()) {
            const fs::path beside = (fs::path(own).parent_path() / "share" / "kestrix").lexically_normal();
            if (beside != fs::path(KESTRIX_DATADIR))
                folders.push_back(beside.string());
        }
        folders.push_back(KESTRIX_DATADIR);
    }
    if (const char* path = std::getenv("PATH")) {
        std::string list = path;
        std::size_t start = 0;
        while (start <= list.size()) {
            std::size_t end = list.find(':', start);
            if (end == std::string::npos)
                end = list.size();
            // An empty PATH entry means the current folder, already searched.
            if (end > start)
                folders.push_back(list.substr(start, end - start));
            start = end + 1;
        }
    }
    return folders;
}

DWORD SearchPathA(const char* lpPath, const char* lpFileName, const char* lpExtension, DWORD nBufferLength,
                  char* lpBuffer, char** lpFilePart)
{
    if (!lpFileName || !*lpFileName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::string name = lpFileName;
    // The extension is added only when the name has none of its own.
    if (lpExtension && *lpExtension && !fs::path(name).has_extension())
        name += lpExtension;

    std::vector<std::string> folders;
    if (fs::path(name).is_absolute())
        folders.push_back({});
    else if (lpPath)
        folders.push_back(lpPath);
    else
        folders = DataSearchFolders();

    for (const std::string& folder : folders) {
        fs::path candidate = folder.empty() ? fs::path(name) : fs::path(folder) / name;
        std::error_code ec;
        if (!fs::is_regular_file(candidate, ec))
            continue;
        std::string full = fs::absolute(candidate, ec).lexically_normal().string();
        if (full.size() + 1 > nBufferLength || !lpBuffer)
            return DWORD(full.size() + 1);
        std::memcpy(lpBuffer, full.c_str(), full.size() + 1);
        if (lpFilePart)
            *lpFilePart = lpBuffer + full.rfind('/') + 1;
        return DWORD(full.size());
    }
    SetLastError(ERROR_FILE_NOT_FOUND);
    return 0;
}

namespace {

std::function<bool(const std::string&)>& UrlOpener()
{
    static std::function<bool(const std::string&)> opener;
    return opener;
}

} // namespace

void SetUrlOpener(std::function<bool(const std::string& url)> opener)
{
    UrlOpener() = std::move(opener);
}

bool ShellOpenUrl(const std::string& url)
{
    if (UrlOpener())
        return UrlOpener()(url);
    // The address is already encoded; xdg-open (through Qt) picks the
    // user's browser.
    return QDesktopServices::openUrl(QUrl::fromEncoded(QByteArray::fromStdString(url)));
}
