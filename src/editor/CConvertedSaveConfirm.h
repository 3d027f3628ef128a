// The questions before a converted save (EUC-JP or JIS): the characters the
// copy would lose, listed by line, with the choice to save anyway or cancel;
// then a charset declaration in what the script prints that no longer fits
// the copy, with the choice to have the copy's declaration changed.
#pragma once

#include "platform/text/Nkf.h"

#include <string>

class QWidget;

class CConvertedSaveConfirm {
public:
    // The most script lines the list of lost characters names.
    static constexpr int kListedLines = 20;

    // True when the save goes ahead; text (code page 932) may come back with
    // its declarations changed.
    static bool Confirm(QWidget* owner, std::string& text, NkfCode to);
};
