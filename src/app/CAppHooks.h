// The editor's calls upward as the application answers them: the pop-up
// menu's syntax check goes to the debug bar's single entry, F1 to the help.
// The project tree's calls stay those of EditorHooks until the tree wires
// them.
#pragma once

#include "app/CDebugBar.h"
#include "app/CHtmlHelpSession.h"
#include "editor/EditorHooks.h"

class CAppHooks : public EditorHooks {
public:
    CAppHooks(CDebugBar& debugBar, CHtmlHelpSession& help) : debugBar_(debugBar), help_(help) {}

    void ExecuteFile(const std::string& folder, const std::string& file) override
    {
        debugBar_.ExecuteFile(folder, file);
    }
    void KeywordLookup(const std::string& keyword) override { help_.KeywordLookup(keyword); }

private:
    CDebugBar& debugBar_;
    CHtmlHelpSession& help_;
};
