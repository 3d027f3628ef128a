#include "run/CTempFolder.h"

#include <QDir>
#include <cstdlib>
#include <filesystem>
#include <string_view>

namespace fs = std::filesystem;

namespace {

bool HasBlank(std::string_view path)
{
    return path.find_first_of(" \t\n\v\f\r") != std::string_view::npos;
}

} // namespace

std::string CTempFolder::Base()
{
    const std::string base = QDir::tempPath().toLocal8Bit().toStdString();
    return base.empty() || HasBlank(base) ? std::string("/tmp") : base;
}

std::string CTempFolder::CopyToTempFolder(const std::string& source)
{
    std::string pattern = Base() + "/kestrix-debug-XXXXXX";
    if (!::mkdtemp(pattern.data()))
        return {};
    const fs::path folder = pattern;
    std::error_code ec;
    const fs::path from(source);
    if (fs::is_directory(from, ec))
        fs::copy(from, folder, fs::copy_options::recursive | fs::copy_options::copy_symlinks, ec);
    else
        fs::copy_file(from, folder / from.filename(), ec);
    if (ec) {
        Delete(folder.string());
        return {};
    }
    return folder.string();
}

bool CTempFolder::Delete(const std::string& folder)
{
    if (folder.empty())
        return true;
    std::error_code ec;
    fs::remove_all(folder, ec);
    return !ec;
}
