#include "app/CNameInputDlgRules.h"

#include "platform/Sjis.h"

#include <algorithm>

std::string CNameInputDlgRules::Refusal(const std::string& name, int mode)
{
    if (name.empty())
        return sjis::FromUtf8(mode == kFileMode ? "ファイル名が無効です" : "ディレクトリ名が無効です");
    if (std::any_of(name.begin(), name.end(),
                    [](char c) { return sjis::IsLeadByte(static_cast<unsigned char>(c)); }))
        return sjis::FromUtf8("入力名に2バイト文字列が使われています。");
    return {};
}
