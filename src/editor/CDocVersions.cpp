#include "editor/CDocVersions.h"

#include "platform/recovery/VersionStore.h"

#include <fstream>
#include <iterator>

namespace {

VersionStore* g_store = nullptr;
CDocVersions::FailureListener g_failureListener;
bool g_failing = false;

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
    if (!g_store || !replaced)
        return;
    const int error = g_store->Keep(path, *replaced);
    if (error == 0) {
        g_failing = false;
        return;
    }
    if (!g_failing && g_failureListener)
        g_failureListener(path, error);
    g_failing = true;
}

void CDocVersions::SetFailureListener(FailureListener listener)
{
    g_failureListener = std::move(listener);
    g_failing = false;
}
