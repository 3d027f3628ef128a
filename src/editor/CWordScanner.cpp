#include "editor/CWordScanner.h"

bool CWordScanner::IsShebang(std::string_view text)
{
    std::size_t at = text.find("#!");
    if (at == std::string_view::npos)
        return false;
    for (std::size_t i = 0; i < at; ++i)
        if (!IsBlank(text[i]))
            return false;
    return true;
}
