#include "platform/file/FileErrorText.h"

#include "platform/text/Sjis.h"

#include <cerrno>
#include <cstring>

std::string FileErrorText::Of(int errorNumber)
{
    const char* text = nullptr;
    switch (errorNumber) {
    case EACCES:
    case EPERM: text = "アクセスが拒否されました。"; break;
    case ENOSPC:
    case EDQUOT: text = "ディスクに十分な空き領域がありません。"; break;
    case ENOENT:
    case ENOTDIR: text = "指定されたパスが見つかりません。"; break;
    case EISDIR: text = "同じ名前のフォルダーがあります。"; break;
    case EROFS: text = "読み取り専用のファイル システムには書き込めません。"; break;
    case EIO: text = "書き込みに失敗しました。"; break;
    case ENAMETOOLONG: text = "ファイル名が長すぎます。"; break;
    case EFBIG: text = "ファイルが大きすぎます。"; break;
    default: break;
    }
    if (text)
        return sjis::FromUtf8(text);
    return sjis::FromUtf8(std::strerror(errorNumber));
}
