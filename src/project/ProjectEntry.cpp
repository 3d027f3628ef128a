#include "project/ProjectEntry.h"

#include "platform/text/Sjis.h"

#include <algorithm>
#include <cstring>

std::string PROJECT_ENTRY::Path() const
{
    const auto end = std::find(path.begin(), path.end(), '\0');
    return std::string(path.begin(), end);
}

std::string PROJECT_ENTRY::LocalPath() const
{
    return sjis::ToUtf8(Path());
}

bool PROJECT_ENTRY::SetPath(std::string_view cp932)
{
    if (!FitsProjectEntry(cp932))
        return false;
    path.fill('\0');
    std::memcpy(path.data(), cp932.data(), cp932.size());
    return true;
}

std::string PROJECT_ENTRY::FileName() const
{
    return FileNameOfPath(Path());
}

std::string FileNameOfPath(std::string_view path)
{
    const auto slash = path.find_last_of("/\\");
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string ExtensionOf(std::string_view fileName)
{
    const auto dot = fileName.rfind('.');
    return dot == std::string_view::npos ? std::string() : std::string(fileName.substr(dot + 1));
}

bool IsHtmlFileName(std::string_view fileName)
{
    const std::string extension = ExtensionOf(fileName);
    return extension == "html" || extension == "htm";
}
