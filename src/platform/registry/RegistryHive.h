// The per-user hive behind the Reg* functions: a tree of keys and values kept
// in memory and in one text file, shared by every running copy of the program.
//
// The file ($XDG_CONFIG_HOME/kestrix/registry.reg) is a registry export in
// UTF-8 (RegistryExport.h tells its format).
//
// Every change is written at once: under an exclusive flock on
// registry.reg.lock, the file is read again if another process changed it,
// the change is applied, and the result goes to registry.reg.tmp, is fsynced
// and renamed over the hive (mode 0600). Reads check the file's identity
// (device, inode, size, times) and read it again, under a shared lock, when
// it changed. A file that cannot be parsed is renamed aside (".bad",
// ".bad.1", ...) and the user is told once; the hive then starts empty.
#pragma once

#include "platform/base/WinTypes.h"
#include "platform/registry/HiveFile.h"
#include "platform/registry/RegistryKey.h"

#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

class HiveLock;

class RegistryHive {
public:
    using KeyPath = RegistryKey::Path;
    using Key = RegistryKey;
    using Value = RegistryKey::Value;

    // The hive the Reg* functions use.
    static RegistryHive& Instance();

    RegistryHive() = default;
    RegistryHive(const RegistryHive&) = delete;
    RegistryHive& operator=(const RegistryHive&) = delete;

    // ERROR_SUCCESS when the key exists, else ERROR_FILE_NOT_FOUND.
    LONG OpenKey(const KeyPath& path);
    // Creates the key and any missing keys above it; `created` tells whether
    // anything was new. A new key is in the file before this returns.
    LONG CreateKey(const KeyPath& path, bool& created);
    // ERROR_FILE_NOT_FOUND when the key or the value is missing.
    LONG QueryValue(const KeyPath& path, std::string_view name, DWORD& type, std::string& data);
    // Stores the value, creating the key if it has gone in the meantime.
    LONG SetValue(const KeyPath& path, std::string_view name, DWORD type, std::string_view data);

    // See SetHiveProblemHandler in Registry.h.
    void SetProblemHandler(std::function<void(const std::string& message)> handler);

    // Forgets what was read, so the next call reads the file as a freshly
    // started program would.
    void DropCache();

    // The hive file in use; empty when no home folder can be found.
    static std::string HivePath();

private:
    // Runs one operation under the lock on the hive as the file now holds
    // it, then delivers what it queued for the user. The operation gets the
    // hive file's path.
    template <typename Operation> LONG Locked(Operation&& operation);
    // Reads the file again if it changed since it was last read; returns the
    // hive file's path (empty when there is none).
    std::string Refresh();
    // Starts over with an empty hive, as read from path; an empty path
    // means nothing was read, and the next call reads the file again.
    void Forget(const std::string& path);
    // Reads the file into root_; with `exclusive` a bad file is moved aside.
    void Load(const std::string& path, HiveLock& lock, bool exclusive);
    // Applies a change to a copy of the hive, writes it to the file and only
    // then keeps it. `change` returns false when it changed nothing.
    LONG Write(const std::string& path, const std::function<bool(Key&)>& change);
    // Queues a message unless it is about a file already reported.
    void ReportOnce(const std::string& path, const HiveFile::Stamp& stamp, std::string message);
    // Calls the handler for messages queued under the lock, after it is let go.
    void Deliver(std::vector<std::string> messages);

    std::mutex mutex_;
    // The file root_ was read from; empty until a hive file has been read
    // (there is never a hive file of that name).
    std::string loadedPath_;
    HiveFile::Stamp loadedStamp_;
    Key root_;
    // The file on disk could not be read and is still in place: writing
    // would destroy it, so writes fail until it changes.
    bool writeBlocked_ = false;
    std::string reportedPath_;
    HiveFile::Stamp reportedStamp_;
    std::vector<std::string> pending_;

    std::mutex handlerMutex_;
    std::function<void(const std::string&)> handler_;
};
