// The editor's calls upward as the application answers them: the pop-up
// menu's syntax check goes to the debug bar's single entry, and the reports
// of edited subs go to the project tree.
#pragma once

#include "app/CDebugBar.h"
#include "editor/EditorHooks.h"

class CProjectView;

class CAppHooks : public EditorHooks {
public:
    CAppHooks(CDebugBar& debugBar, CProjectView& tree) : debugBar_(debugBar), tree_(tree) {}

    void ExecuteFile(const std::string& folder, const std::string& file) override
    {
        debugBar_.ExecuteFile(folder, file);
    }

    void RemoveSubs(const std::string& frameTitle, const std::string& text) override;
    void AddSubs(const std::string& frameTitle, const std::string& text) override;
    // The editor's whole text goes to the tree as the control holds it.
    void RescanSubs(CKESTRIX_2View* view, const std::string& frameTitle) override;

private:
    CDebugBar& debugBar_;
    CProjectView& tree_;
};
