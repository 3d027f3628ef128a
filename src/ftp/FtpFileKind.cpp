#include "ftp/FtpFileKind.h"

namespace ftpkind {

int GetFileKind(std::string_view name)
{
    auto dot = name.find_last_of('.');
    if (dot == std::string_view::npos)
        return kText;
    std::string_view ext = name.substr(dot + 1);
    if (ext == "jpg" || ext == "bmp" || ext == "gif" || ext == "png")
        return kImage;
    if (ext == "wav" || ext == "mdi" || ext == "mp3")
        return kSound;
    if (ext == "shtml" || ext == "htm" || ext == "html")
        return kHtml;
    return kText;
}

} // namespace ftpkind
