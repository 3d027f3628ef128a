// The editor's calls upward as the application answers them: the pop-up
// menu's syntax check goes to the debug bar's single entry. The project
// tree's calls stay those of EditorHooks until the tree wires them.
#pragma once

#include "app/CDebugBar.h"
#include "editor/EditorHooks.h"

class CAppHooks : public EditorHooks {
public:
    explicit CAppHooks(CDebugBar& debugBar) : debugBar_(debugBar) {}

    void ExecuteFile(const std::string& folder, const std::string& file) override
    {
        debugBar_.ExecuteFile(folder, file);
    }

private:
    CDebugBar& debugBar_;
};
