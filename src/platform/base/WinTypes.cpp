#include "platform/base/WinTypes.h"

#include "platform/text/Sjis.h"

namespace {
thread_local DWORD t_lastError = 0;
}

DWORD GetLastError()
{
    return t_lastError;
}

void SetLastError(DWORD code)
{
    t_lastError = code;
}

std::string SystemErrorText(DWORD code)
{
    // The texts the system gives for the codes this program's stand-ins
    // report, converted to code page 932 like every text the program shows.
    const char* text = nullptr;
    switch (code) {
    case ERROR_SUCCESS: text = "この操作を正しく終了しました。"; break;
    case ERROR_FILE_NOT_FOUND: text = "指定されたファイルが見つかりません。"; break;
    case ERROR_ACCESS_DENIED: text = "アクセスが拒否されました。"; break;
    case ERROR_INVALID_HANDLE: text = "ハンドルが無効です。"; break;
    case ERROR_NOT_ENOUGH_MEMORY: text = "このコマンドを実行するのに十分な記憶域がありません。"; break;
    case ERROR_WRITE_FAULT:
    case ERROR_CANTWRITE: text = "書き込みに失敗しました。"; break;
    case ERROR_INVALID_PARAMETER: text = "パラメーターが間違っています。"; break;
    case ERROR_MORE_DATA: text = "データがさらにあります。"; break;
    case ERROR_BADDB: text = "レジストリの構成が壊れています。"; break;
    default: return sjis::FromUtf8("エラー コード " + std::to_string(code));
    }
    return sjis::FromUtf8(text);
}
