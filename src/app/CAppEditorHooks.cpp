#include "app/CAppEditorHooks.h"

#include "app/CKESTRIX_2App.h"

void CAppEditorHooks::KeywordLookup(const std::string& keyword)
{
    app_.Help().KeywordLookup(keyword);
}
