#include "app/CMenuResources.h"

#include "platform/ProgramResources.h"
#include "platform/Sjis.h"

#include <algorithm>

namespace {

const std::vector<UINT> kDocumentCommands{
    cmd::kFileSave,  cmd::kFileSaveAs,       cmd::kSaveAsEuc, cmd::kSaveAsJis,  cmd::kSaveAsSjis,
    cmd::kFilePrint, cmd::kFilePrintPreview, cmd::kEditUndo,  cmd::kEditCut,    cmd::kEditCopy,
    cmd::kEditPaste, cmd::kEditSelectAll,    cmd::kEditFind,  cmd::kEditRepeat, cmd::kEditReplace,
};

} // namespace

const MenuResource& CMenuResources::Menu(UINT id)
{
    return ProgramResources::Menu(id);
}

const std::vector<AcceleratorResource>& CMenuResources::Accelerators()
{
    return ProgramResources::Accelerators(kMainFrameResource);
}

const std::vector<UINT>& CMenuResources::ToolBarButtons()
{
    return ProgramResources::ToolBar(kMainFrameResource).buttons;
}

QSize CMenuResources::ToolBarButtonSize()
{
    const ToolBarResource& toolBar = ProgramResources::ToolBar(kMainFrameResource);
    return {toolBar.buttonWidth, toolBar.buttonHeight};
}

std::string CMenuResources::String(UINT id)
{
    return sjis::FromUtf8(ProgramResources::String(id));
}

std::string CMenuResources::ToolTip(UINT id)
{
    const std::string text = String(id);
    const auto newline = text.find('\n');
    return newline == std::string::npos ? text : text.substr(newline + 1);
}

std::string CMenuResources::DocumentString()
{
    return String(kDocumentMenu);
}

bool CMenuResources::IsDocumentCommand(UINT id)
{
    return std::find(kDocumentCommands.begin(), kDocumentCommands.end(), id) != kDocumentCommands.end();
}
