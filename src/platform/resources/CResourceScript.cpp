#include "platform/resources/CResourceScript.h"

#include "platform/resources/CResourceScriptReader.h"

#include <algorithm>

CResourceScript::Error::Error(std::string name, int line, const std::string& message)
    : std::runtime_error(name + ":" + std::to_string(line) + ": " + message), line_(line)
{
}

CResourceScript CResourceScript::Parse(std::string_view utf8, std::string_view name)
{
    return CResourceScriptReader::Read(utf8, name);
}

bool DialogControlResource::HasStyle(std::string_view word) const
{
    return std::find(style.begin(), style.end(), word) != style.end();
}

const DialogControlResource* DialogResource::Control(int controlId) const
{
    for (const DialogControlResource& control : controls)
        if (control.id == controlId)
            return &control;
    return nullptr;
}

namespace {

// The value of the id in a map of resources, nullptr without one.
template <typename Map> const typename Map::mapped_type* Find(const Map& map, UINT id)
{
    const auto it = map.find(id);
    return it == map.end() ? nullptr : &it->second;
}

} // namespace

const MenuResource* CResourceScript::Menu(UINT id) const
{
    return Find(menus_, id);
}

const std::vector<AcceleratorResource>* CResourceScript::Accelerators(UINT id) const
{
    return Find(accelerators_, id);
}

const ToolBarResource* CResourceScript::ToolBar(UINT id) const
{
    return Find(toolBars_, id);
}

const DialogResource* CResourceScript::Dialog(UINT id) const
{
    return Find(dialogs_, id);
}

std::string CResourceScript::String(UINT id) const
{
    const std::string* text = Find(strings_, id);
    return text ? *text : std::string();
}
