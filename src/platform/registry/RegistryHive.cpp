#include "platform/registry/RegistryHive.h"

#include "platform/registry/HiveFile.h"
#include "platform/registry/HiveLock.h"
#include "platform/registry/RegistryExport.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <pwd.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

LONG FromErrno(int e)
{
    switch (e) {
    case EACCES:
    case EPERM:
    case EROFS: return ERROR_ACCESS_DENIED;
    case ENOMEM: return ERROR_NOT_ENOUGH_MEMORY;
    default: return ERROR_CANTWRITE;
    }
}

std::string ErrnoText(int e)
{
    return std::strerror(e);
}

} // namespace

RegistryHive& RegistryHive::Instance()
{
    // Never destroyed, so that code running at exit may still use it.
    static RegistryHive* hive = new RegistryHive;
    return *hive;
}

std::string RegistryHive::HivePath()
{
    std::string base;
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    // A relative XDG_CONFIG_HOME is invalid and ignored.
    if (xdg && xdg[0] == '/') {
        base = xdg;
    } else {
        const char* home = std::getenv("HOME");
        std::string homeDir;
        if (home && home[0] != '\0') {
            homeDir = home;
        } else {
            passwd pw;
            passwd* found = nullptr;
            char buffer[4096];
            if (getpwuid_r(getuid(), &pw, buffer, sizeof buffer, &found) == 0 && found && found->pw_dir)
                homeDir = found->pw_dir;
        }
        if (homeDir.empty())
            return {};
        base = homeDir + "/.config";
    }
    while (base.size() > 1 && base.back() == '/')
        base.pop_back();
    return base + "/kestrix/registry.reg";
}

void RegistryHive::SetProblemHandler(std::function<void(const std::string&)> handler)
{
    std::lock_guard guard(handlerMutex_);
    handler_ = std::move(handler);
}

void RegistryHive::Deliver(std::vector<std::string> messages)
{
    if (messages.empty())
        return;
    std::function<void(const std::string&)> handler;
    {
        std::lock_guard guard(handlerMutex_);
        handler = handler_;
    }
    for (const auto& message : messages) {
        if (handler)
            handler(message);
        else
            std::fprintf(stderr, "%s\n", message.c_str());
    }
}

void RegistryHive::DropCache()
{
    std::lock_guard guard(mutex_);
    Forget("");
}

void RegistryHive::Forget(const std::string& path)
{
    loadedPath_ = path;
    loadedStamp_ = {};
    root_ = {};
    writeBlocked_ = false;
}

void RegistryHive::ReportOnce(const std::string& path, const HiveFile::Stamp& stamp, std::string message)
{
    if (path == reportedPath_ && stamp == reportedStamp_)
        return;
    reportedPath_ = path;
    reportedStamp_ = stamp;
    pending_.push_back(std::move(message));
}

void RegistryHive::Load(const std::string& path, HiveLock& lock, bool exclusive)
{
    std::string bytes;
    HiveFile::Stamp stamp;
    int e = HiveFile::Read(path, bytes, stamp);
    Forget(path);
    if (e == ENOENT || e == ENOTDIR) {
        loadedStamp_ = HiveFile::StampOf(path);
        return;
    }
    if (e != 0) {
        // Not parsed, so not known to be bad: leave it where it is, and do
        // not replace it with an empty hive either.
        loadedStamp_ = HiveFile::StampOf(path);
        writeBlocked_ = true;
        ReportOnce(path, loadedStamp_,
                   "設定ファイル「" + path + "」を読めませんでした（" + ErrnoText(e) +
                       "）。空の設定で続けますが、設定は保存されません。");
        return;
    }
    auto parsed = RegistryExport::Parse(bytes);
    if (parsed) {
        root_ = std::move(*parsed);
        loadedStamp_ = stamp;
        return;
    }
    if (!exclusive) {
        // Moving the file needs the exclusive lock; another process may have
        // replaced the file by the time we hold it, so read it again.
        if (lock.held())
            lock.Lock(LOCK_EX);
        Load(path, lock, true);
        return;
    }
    std::string why = std::to_string(parsed.error().line) + " 行目: " + parsed.error().reason;
    std::string movedTo;
    int me = HiveFile::MoveAside(path, movedTo);
    if (me == 0) {
        loadedStamp_ = HiveFile::StampOf(path);
        pending_.push_back("設定ファイル「" + path + "」を読めませんでした（" + why + "）。「" + movedTo +
                           "」に移して、空の設定で続けます。");
        return;
    }
    loadedStamp_ = stamp;
    writeBlocked_ = true;
    ReportOnce(path, stamp,
               "設定ファイル「" + path + "」を読めませんでした（" + why + "）。別の名前に移せなかったため（" +
                   ErrnoText(me) + "）、空の設定で続けますが、設定は保存されません。");
}

std::string RegistryHive::Refresh()
{
    std::string path = HivePath();
    if (path.empty()) {
        Forget("");
        return path;
    }
    if (path == loadedPath_ && HiveFile::StampOf(path) == loadedStamp_)
        return path;
    HiveLock lock;
    // Without a folder there is neither a lock file nor a hive; read anyway.
    if (lock.Open(path + ".lock") == 0)
        lock.Lock(LOCK_SH);
    Load(path, lock, false);
    return path;
}

LONG RegistryHive::Write(const std::string& path, const std::function<bool(Key&)>& change)
{
    if (path.empty())
        return ERROR_CANTWRITE;
    if (int e = HiveFile::MakeFolders(HiveFile::ParentFolder(path)))
        return FromErrno(e);
    HiveLock lock;
    if (int e = lock.Open(path + ".lock"))
        return FromErrno(e);
    if (int e = lock.Lock(LOCK_EX))
        return FromErrno(e);
    // Another process may have written since we read: start from its file so
    // that its changes are kept.
    if (path != loadedPath_ || HiveFile::StampOf(path) != loadedStamp_)
        Load(path, lock, true);
    if (writeBlocked_)
        return ERROR_BADDB;
    Key next = root_;
    if (!change(next))
        return ERROR_SUCCESS;
    HiveFile::Stamp stamp;
    if (int e = HiveFile::Replace(path, RegistryExport::Serialise(next), stamp))
        return FromErrno(e);
    root_ = std::move(next);
    loadedStamp_ = stamp;
    return ERROR_SUCCESS;
}

template <typename Operation> LONG RegistryHive::Locked(Operation&& operation)
{
    LONG result;
    std::vector<std::string> messages;
    {
        std::lock_guard guard(mutex_);
        const std::string path = Refresh();
        result = operation(path);
        messages.swap(pending_);
    }
    Deliver(std::move(messages));
    return result;
}

LONG RegistryHive::OpenKey(const KeyPath& path)
{
    return Locked(
        [&](const std::string&) { return root_.Find(path) ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND; });
}

LONG RegistryHive::CreateKey(const KeyPath& path, bool& created)
{
    created = false;
    // A deeper key could not be read back from the file.
    if (path.size() > RegistryKey::kMaxDepth)
        return ERROR_INVALID_PARAMETER;
    return Locked([&](const std::string& file) {
        // Opening a key that is there needs no write (nor a writable folder).
        if (root_.Find(path))
            return ERROR_SUCCESS;
        LONG result = Write(file, [&](Key& root) {
            bool isNew = false;
            root.Ensure(path, isNew);
            created = isNew;
            return isNew;
        });
        if (result != ERROR_SUCCESS)
            created = false;
        return result;
    });
}

LONG RegistryHive::QueryValue(const KeyPath& path, std::string_view name, DWORD& type, std::string& data)
{
    return Locked([&](const std::string&) {
        Key* key = root_.Find(path);
        Value* v = key ? key->FindValue(name) : nullptr;
        if (!v)
            return ERROR_FILE_NOT_FOUND;
        type = v->type;
        data = v->data;
        return ERROR_SUCCESS;
    });
}

LONG RegistryHive::SetValue(const KeyPath& path, std::string_view name, DWORD type, std::string_view data)
{
    return Locked([&](const std::string& file) {
        Key* key = root_.Find(path);
        Value* v = key ? key->FindValue(name) : nullptr;
        // Storing what the file already holds needs no write.
        if (v && v->type == type && v->data == data)
            return ERROR_SUCCESS;
        return Write(file, [&](Key& root) {
            bool created = false;
            return root.Ensure(path, created).PutValue(name, type, data);
        });
    });
}
