// Which names the name input dialog accepts for a new file or folder.
#pragma once

#include <string>

class CNameInputDlgRules {
public:
    static constexpr int kFileMode = 0;
    static constexpr int kDirectoryMode = 1;

    // Why a name (code page 932) is refused, as the user is told (code page
    // 932); empty when it is accepted. A name must not be empty and must be
    // single-byte characters only (half-width katakana are single bytes).
    static std::string Refusal(const std::string& name, int mode);
};
