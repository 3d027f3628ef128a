#include "app/CAppHooks.h"

#include "editor/CKESTRIX_2View.h"
#include "project/CProjectView.h"

void CAppHooks::RemoveSubs(const std::string& frameTitle, const std::string& text)
{
    tree_.RemoveSubsInText(frameTitle, text);
}

void CAppHooks::AddSubs(const std::string& frameTitle, const std::string& text)
{
    tree_.AddSubsFromText(frameTitle, text);
}

void CAppHooks::RescanSubs(CKESTRIX_2View* view, const std::string& frameTitle)
{
    if (view)
        tree_.RescanText(frameTitle, view->toPlainText());
}
