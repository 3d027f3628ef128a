// What the editor asks of the application, answered by the application's
// parts: F1 goes to the help.
#pragma once

#include "editor/EditorHooks.h"

class CKESTRIX_2App;

class CAppEditorHooks : public EditorHooks {
public:
    explicit CAppEditorHooks(CKESTRIX_2App& app) : app_(app) {}

    void KeywordLookup(const std::string& keyword) override;

private:
    CKESTRIX_2App& app_;
};
