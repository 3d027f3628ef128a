// The editor's calls upward as the application answers them: the pop-up
// menu's syntax check goes to the debug bar's single entry, the reports
// of edited subs go to the project tree, and F1 goes to the help.
#pragma once

#include "app/CDebugBar.h"
#include "app/CHtmlHelpSession.h"
#include "editor/EditorHooks.h"

class CProjectView;

class CAppHooks : public EditorHooks {
public:
    CAppHooks(CDebugBar& debugBar, CProjectView& tree, CHtmlHelpSession& help)
        : debugBar_(debugBar), tree_(tree), help_(help)
    {
    }

    void ExecuteFile(const std::string& folder, const std::string& file) override
    {
        debugBar_.ExecuteFile(folder, file);
    }
    void KeywordLookup(const std::string& keyword) override { help_.KeywordLookup(keyword); }

    void RemoveSubs(const std::string& frameTitle, const std::string& text) override;
    void AddSubs(const std::string& frameTitle, const std::string& text) override;
    // The editor's whole text goes to the tree as the control holds it.
    void RescanSubs(CKESTRIX_2View* view, const std::string& frameTitle) override;

private:
    CDebugBar& debugBar_;
    CProjectView& tree_;
    CHtmlHelpSession& help_;
};
