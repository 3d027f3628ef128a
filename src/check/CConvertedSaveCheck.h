// What a converted save (EUC-JP or JIS) of a Shift-JIS script would lose.
//
// Every character is converted the way the save converts it, the result is
// read back as the target code strictly defines it (what a server or browser
// reading EUC-JP or ISO-2022-JP sees) and converted back to Shift-JIS; a
// character that the target code cannot hold, or that comes back as another
// character, is lost: the NEC special characters (① ㈱ Ⅲ), the NEC-selected
// and IBM extension kanji (髙 﨑), the user-defined area, and half-width
// katakana in JIS. Characters that only change their code (the IBM "￢"
// comes back as the ordinary "￢") are not lost.
//
// It also finds the charset the script declares in what it prints
// (charset=Shift_JIS in a Content-Type line or a <meta> tag, <meta
// charset=...>) where that no longer fits the copy's code, and can write the
// declaration anew.
#pragma once

#include "platform/text/Nkf.h"

#include <string>
#include <string_view>
#include <vector>

struct LostCharacter {
    int line;              // 1-based
    int column;            // 1-based, in bytes
    std::string character; // its Shift-JIS bytes
};

struct CharsetDeclaration {
    int line;
    std::size_t offset; // the charset name's first byte
    std::string name;   // as written
};

class CConvertedSaveCheck {
public:
    // The characters of the script that do not survive a save in `to`.
    static std::vector<LostCharacter> Lost(std::string_view sjis, NkfCode to);

    // The declared charsets that do not name `to`.
    static std::vector<CharsetDeclaration> WrongDeclarations(std::string_view sjis, NkfCode to);

    // The script with each of those declarations naming `to` instead.
    static std::string WithDeclarations(std::string_view sjis, NkfCode to);

    // The name a declaration of `to` uses: Shift_JIS, EUC-JP, ISO-2022-JP.
    static std::string CharsetName(NkfCode to);
};
