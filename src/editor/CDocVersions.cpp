#include "editor/CDocVersions.h"

#include "platform/recovery/VersionStore.h"

#include <fstream>
#include <iterator>

namespace {

VersionStore* g_store = nullptr;

} // namespace

void CDocVersions::SetStore(VersionStore* store)
{
    g_store = store;
}

VersionStore* CDocVersions::Store()
{
    return g_store;
}

std::optional<std::string> CDocVersions::Capture(const std::string& path)
{
    if (!g_store || g_store->GetLimits().versionsPerFile <= 0)
        return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void CDocVersions::Keep(const std::string& path, const std::optional<std::string>& replaced)
{
    if (g_store && replaced)
        g_store->Keep(path, *replaced);
}
