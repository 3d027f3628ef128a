// One key of the settings hive and everything below it, as kept in memory.
// Names are code page 932 bytes and compare like the system compares them:
// ASCII letters without regard to case, double-byte characters exactly.
#pragma once

#include "platform/base/WinTypes.h"

#include <string>
#include <string_view>
#include <vector>

struct RegistryKey {
    // The names of the keys from HKEY_CURRENT_USER down, code page 932.
    using Path = std::vector<std::string>;

    struct Value {
        std::string name;
        DWORD type = 0;
        std::string data;
        bool operator==(const Value&) const = default;
    };

    std::string name;
    std::vector<Value> values;
    std::vector<RegistryKey> children;
    bool operator==(const RegistryKey&) const = default;

    // The key at the path below this one, or nullptr.
    RegistryKey* Find(const Path& path);
    // The key at the path, made with any missing keys above it; `created`
    // becomes true when anything was new.
    RegistryKey& Ensure(const Path& path, bool& created);
    Value* FindValue(std::string_view valueName);
    // Stores a value; false when it was already stored just so.
    bool PutValue(std::string_view valueName, DWORD type, std::string_view data);

    // Splits "a\b\c" into its names. A 0x5C that is the trail byte of a
    // double-byte character does not split; empty names are skipped.
    static Path SplitPath(std::string_view path);
    static bool SameName(std::string_view a, std::string_view b);
};
