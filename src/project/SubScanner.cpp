#include "project/SubScanner.h"

#include <set>

namespace subscan {

namespace {

bool IsBlank(unsigned char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsNameByte(unsigned char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

} // namespace

std::optional<std::size_t> ScanNextSub(std::string_view text, std::size_t position, std::string& name)
{
    name.clear();
    if (position > text.size())
        return std::nullopt;
    const std::size_t match = text.find("sub ", position);
    if (match == std::string_view::npos)
        return std::nullopt;
    if (match > 0 && !IsBlank(static_cast<unsigned char>(text[match - 1])))
        return match + 4;
    std::size_t at = match + 4;
    while (at < text.size() && IsBlank(static_cast<unsigned char>(text[at])))
        ++at;
    const std::size_t start = at;
    while (at < text.size() && IsNameByte(static_cast<unsigned char>(text[at])))
        ++at;
    name.assign(text.substr(start, at - start));
    return at;
}

std::vector<std::string> ScanSubs(std::string_view text)
{
    std::vector<std::string> names;
    std::string name;
    std::size_t position = 0;
    while (auto next = ScanNextSub(text, position, name)) {
        if (!name.empty())
            names.push_back(name);
        position = *next;
    }
    return names;
}

Changes RescanChanges(const std::vector<std::string>& listed, const std::vector<std::string>& declared)
{
    const std::set<std::string> listedSet(listed.begin(), listed.end());
    const std::set<std::string> declaredSet(declared.begin(), declared.end());
    Changes changes;
    for (const std::string& name : listedSet)
        if (!declaredSet.contains(name))
            changes.remove.push_back(name);
    for (const std::string& name : declaredSet)
        if (!listedSet.contains(name))
            changes.add.push_back(name);
    return changes;
}

} // namespace subscan
