#include "app/builders/CMenuResources.h"

#include "platform/resources/ProgramResources.h"
#include "platform/text/Sjis.h"

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
