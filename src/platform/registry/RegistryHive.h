// The per-user hive behind the Reg* functions: a tree of keys and values kept
// in memory and in one text file, shared by every running copy of the program.
//
// The file ($XDG_CONFIG_HOME/kestrix/registry.reg) is a registry export in
// UTF-8:
//
//   Windows Registry Editor Version 5.00
//
//   [HKEY_CURRENT_USER\software\KESTRIX\FONTSETTING]
//   "EDIT_Face"=hex(1):82,6c,82,72,81,40,96,be,92,a9
//   "FTP_URL"="ftp.example.jp"
//
// A value is written as "text" only when it is REG_SZ whose bytes are code
// page 932 text ending in exactly one NUL, with no other NUL, no line break,
// and that converts to Unicode and back to the very same bytes. Every other
// value is written as hex(type):bytes, so any type and any bytes come back
// exactly. "@" is the default (unnamed) value. In "text" and in quoted value
// names, \ and " are written as \\ and \".
//
// Key and value names are written as Unicode text. A byte of a name that
// cannot be written that way - a byte that is not part of code page 932 text
// that converts back exactly, a control character, or "%" itself - is
// written as %XX (two hex digits), so every name comes back byte for byte.
// When reading, "%" not followed by two hex digits stands for itself.
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

#include <expected>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

class RegistryHive {
public:
    // The names of the keys from HKEY_CURRENT_USER down, code page 932.
    using KeyPath = std::vector<std::string>;

    struct Value {
        std::string name;
        DWORD type = 0;
        std::string data;
        bool operator==(const Value&) const = default;
    };
    struct Key {
        std::string name;
        std::vector<Value> values;
        std::vector<Key> children;
        bool operator==(const Key&) const = default;
    };
    // Why a hive file could not be read: the line (from 1) and the reason in
    // Japanese, UTF-8.
    struct ParseError {
        int line = 0;
        std::string reason;
    };

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
    // Splits "a\b\c" into its names. A 0x5C that is the trail byte of a
    // double-byte character does not split; empty names are skipped.
    static KeyPath SplitPath(std::string_view path);
    // Names compare like the system compares them: ASCII letters without
    // regard to case, the bytes of double-byte characters exactly.
    static bool SameName(std::string_view a, std::string_view b);

    static std::expected<Key, ParseError> Parse(std::string_view fileBytes);
    static std::string Serialise(const Key& root);

    // What identifies one version of the file on disk.
    struct FileStamp {
        bool exists = false;
        dev_t device = 0;
        ino_t inode = 0;
        off_t size = 0;
        long long mtimeNs = 0;
        long long ctimeNs = 0;
        bool operator==(const FileStamp&) const = default;
    };

private:
    class LockFile;

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
    void Load(const std::string& path, LockFile& lock, bool exclusive);
    // Applies a change to a copy of the hive, writes it to the file and only
    // then keeps it. `change` returns false when it changed nothing.
    LONG Write(const std::string& path, const std::function<bool(Key&)>& change);
    // Queues a message unless it is about a file already reported.
    void ReportOnce(const std::string& path, const FileStamp& stamp, std::string message);
    // Calls the handler for messages queued under the lock, after it is let go.
    void Deliver(std::vector<std::string> messages);

    std::mutex mutex_;
    // The file root_ was read from; empty until a hive file has been read
    // (there is never a hive file of that name).
    std::string loadedPath_;
    FileStamp loadedStamp_;
    Key root_;
    // The file on disk could not be read and is still in place: writing
    // would destroy it, so writes fail until it changes.
    bool writeBlocked_ = false;
    std::string reportedPath_;
    FileStamp reportedStamp_;
    std::vector<std::string> pending_;

    std::mutex handlerMutex_;
    std::function<void(const std::string&)> handler_;
};
