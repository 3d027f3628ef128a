// The program's own resources: the resource script src/res/kestrix.rc,
// compiled into the program, read on first use and kept for the run.
#pragma once

#include "platform/resources/CResourceScript.h"

#include <string>
#include <vector>

class ProgramResources {
public:
    static const CResourceScript& Script();

    // A resource the program cannot do without: the program stops with a
    // message naming it when the script lacks it.
    static const MenuResource& Menu(UINT id);
    static const std::vector<AcceleratorResource>& Accelerators(UINT id);
    static const ToolBarResource& ToolBar(UINT id);
    static const DialogResource& Dialog(UINT id);
    // The string of the id, UTF-8; empty when the table has none.
    static std::string String(UINT id);
};
