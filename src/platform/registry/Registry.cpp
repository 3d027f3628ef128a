#include "platform/registry/Registry.h"

#include "platform/registry/RegistryHive.h"

#include <cstring>
#include <mutex>
#include <new>
#include <unordered_set>

// An open key: the path of names from HKEY_CURRENT_USER down, as the caller
// spelled it. The hive resolves it at each use, so a handle stays good when
// the hive is read again from the file.
struct RegKeyObject {
    RegistryHive::KeyPath path;
};

namespace {

RegKeyObject g_currentUser;

// The handles that are open. A handle that is not here (closed, or never
// given out) is refused rather than followed.
std::mutex g_handlesMutex;
std::unordered_set<const RegKeyObject*>& OpenHandles()
{
    // Never destroyed, so that keys may still be closed while the program exits.
    static auto* handles = new std::unordered_set<const RegKeyObject*>;
    return *handles;
}

LONG Result(LONG code)
{
    if (code != ERROR_SUCCESS)
        SetLastError(DWORD(code));
    return code;
}

// The path of an open key, or false for a handle that is not open.
bool PathOf(HKEY key, RegistryHive::KeyPath& path)
{
    if (key == HKEY_CURRENT_USER) {
        path.clear();
        return true;
    }
    std::lock_guard guard(g_handlesMutex);
    if (!key || !OpenHandles().contains(key))
        return false;
    path = key->path;
    return true;
}

HKEY NewHandle(RegistryHive::KeyPath path)
{
    auto* handle = new RegKeyObject{std::move(path)};
    std::lock_guard guard(g_handlesMutex);
    try {
        OpenHandles().insert(handle);
    } catch (...) {
        delete handle;
        throw;
    }
    return handle;
}

// Runs a call on the path of an open key; a handle that is not open and a
// failed allocation give their error codes.
template <typename Call> LONG OnKey(HKEY key, Call&& call)
{
    try {
        RegistryHive::KeyPath path;
        if (!PathOf(key, path))
            return Result(ERROR_INVALID_HANDLE);
        return call(path);
    } catch (const std::bad_alloc&) {
        return Result(ERROR_NOT_ENOUGH_MEMORY);
    }
}

void Append(RegistryHive::KeyPath& path, const char* subKey)
{
    if (!subKey)
        return;
    for (auto& name : RegistryKey::SplitPath(subKey))
        path.push_back(std::move(name));
}

} // namespace

HKEY const HKEY_CURRENT_USER = &g_currentUser;

LONG RegOpenKeyExA(HKEY root, const char* subKey, DWORD /*options*/, REGSAM /*sam*/, HKEY* result)
{
    if (!result)
        return Result(ERROR_INVALID_PARAMETER);
    *result = nullptr;
    return OnKey(root, [&](RegistryHive::KeyPath& path) {
        Append(path, subKey);
        if (LONG r = RegistryHive::Instance().OpenKey(path); r != ERROR_SUCCESS)
            return Result(r);
        *result = NewHandle(std::move(path));
        return ERROR_SUCCESS;
    });
}

LONG RegCreateKeyExA(HKEY root, const char* subKey, DWORD /*reserved*/, const char* /*cls*/,
                     DWORD /*options*/, REGSAM /*sam*/, void* /*security*/, HKEY* result, DWORD* disposition)
{
    if (!result || !subKey)
        return Result(ERROR_INVALID_PARAMETER);
    *result = nullptr;
    return OnKey(root, [&](RegistryHive::KeyPath& path) {
        Append(path, subKey);
        bool created = false;
        if (LONG r = RegistryHive::Instance().CreateKey(path, created); r != ERROR_SUCCESS)
            return Result(r);
        *result = NewHandle(std::move(path));
        if (disposition)
            *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
        return ERROR_SUCCESS;
    });
}

LONG RegQueryValueExA(HKEY key, const char* name, DWORD* reserved, DWORD* type, BYTE* data, DWORD* cbData)
{
    // A buffer without its size cannot be filled safely.
    if (reserved || (data && !cbData))
        return Result(ERROR_INVALID_PARAMETER);
    return OnKey(key, [&](RegistryHive::KeyPath& path) {
        DWORD storedType = 0;
        std::string bytes;
        if (LONG r = RegistryHive::Instance().QueryValue(path, name ? name : "", storedType, bytes);
            r != ERROR_SUCCESS)
            return Result(r);
        if (type)
            *type = storedType;
        DWORD size = DWORD(bytes.size());
        if (data) {
            if (*cbData < size) {
                *cbData = size;
                return Result(ERROR_MORE_DATA);
            }
            std::memcpy(data, bytes.data(), size);
        }
        if (cbData)
            *cbData = size;
        return ERROR_SUCCESS;
    });
}

LONG RegSetValueExA(HKEY key, const char* name, DWORD /*reserved*/, DWORD type, const BYTE* data,
                    DWORD cbData)
{
    if (!data && cbData > 0)
        return Result(ERROR_INVALID_PARAMETER);
    return OnKey(key, [&](RegistryHive::KeyPath& path) {
        std::string_view bytes =
            data ? std::string_view(reinterpret_cast<const char*>(data), cbData) : std::string_view();
        return Result(RegistryHive::Instance().SetValue(path, name ? name : "", type, bytes));
    });
}

LONG RegCloseKey(HKEY key)
{
    if (key == HKEY_CURRENT_USER)
        return ERROR_SUCCESS;
    {
        std::lock_guard guard(g_handlesMutex);
        if (!key || OpenHandles().erase(key) == 0)
            return Result(ERROR_INVALID_HANDLE);
    }
    delete key;
    return ERROR_SUCCESS;
}

void SetHiveProblemHandler(std::function<void(const std::string& message)> handler)
{
    RegistryHive::Instance().SetProblemHandler(std::move(handler));
}

std::string HivePath()
{
    return RegistryHive::HivePath();
}
