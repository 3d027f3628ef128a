#include "editor/CConvertedSaveConfirm.h"

#include "check/CConvertedSaveCheck.h"
#include "platform/text/Sjis.h"
#include "platform/ui/UiService.h"

namespace {

std::string J(const char* utf8)
{
    return sjis::FromUtf8(utf8);
}

// "12 行: ① ㈱" one line per script line, at most kListedLines of them.
std::string LostList(const std::vector<LostCharacter>& lost)
{
    std::string list;
    int line = 0, lines = 0;
    for (const LostCharacter& l : lost) {
        if (l.line != line) {
            if (lines == CConvertedSaveConfirm::kListedLines) {
                list += J("\n…");
                break;
            }
            if (line != 0)
                list += "\n";
            list += std::to_string(l.line) + J(" 行:");
            line = l.line;
            ++lines;
        }
        list += " " + l.character;
    }
    return list;
}

} // namespace

bool CConvertedSaveConfirm::Confirm(QWidget* owner, std::string& text, NkfCode to)
{
    if (to == NkfCode::ShiftJis)
        return true;
    const std::string name = CConvertedSaveCheck::CharsetName(to);
    const auto lost = CConvertedSaveCheck::Lost(text, to);
    if (!lost.empty()) {
        const std::string message = J("次の文字は ") + name +
                                    J(" では表せないため、保存するファイルでは失われます。\n\n") +
                                    LostList(lost) + J("\n\nこのまま保存しますか?");
        if (MessageBox(owner, message, J("確認"), MB_YESNO | MB_ICONEXCLAMATION) != IDYES)
            return false;
    }
    const auto wrong = CConvertedSaveCheck::WrongDeclarations(text, to);
    if (!wrong.empty()) {
        std::string where;
        for (const CharsetDeclaration& d : wrong)
            where += (where.empty() ? "" : ", ") + std::to_string(d.line) + J(" 行 charset=") + d.name;
        const std::string message =
            J("スクリプトが出力する文字コードの宣言 (") + where + J(") は、保存するファイルの文字コード ") +
            name + J(" と合いません。\n\n保存するファイルの宣言を ") + name + J(" に書き換えますか?");
        const int answer = MessageBox(owner, message, J("確認"), MB_YESNOCANCEL | MB_ICONQUESTION);
        if (answer == IDCANCEL)
            return false;
        if (answer == IDYES)
            text = CConvertedSaveCheck::WithDeclarations(text, to);
    }
    return true;
}
