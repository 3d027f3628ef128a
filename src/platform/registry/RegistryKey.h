// One key of the settings hive and everything below it, as kept in memory.
// Names are code page 932 bytes and compare like the system compares them:
// ASCII letters without regard to case, double-byte characters exactly.
#pragma once

#include "platform/base/WinTypes.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// Where each entry of a list of keys or values stands, by its name folded as
// names compare, so that a key with many subkeys or values finds one in
// constant time rather than by walking the list. It is a cache beside the
// list: entries added at the end are taken in when next asked, a list that
// has shrunk is indexed anew, and a position that no longer holds the name
// asked for makes it index anew too. Lists are only ever appended to or
// cleared, never renamed in place. It takes no part in comparing keys.
class RegistryNameIndex {
public:
    template <class Entry> Entry* Find(std::vector<Entry>& entries, std::string_view name);
    bool operator==(const RegistryNameIndex&) const { return true; }

    // The name as it is looked up: ASCII letters in lower case, double-byte
    // characters as they are.
    static std::string Fold(std::string_view name);

private:
    void Add(std::string_view name, std::size_t position);
    void Clear();

    std::unordered_map<std::string, std::size_t> positions_;
    std::size_t indexed_ = 0;
};

struct RegistryKey {
    // The names of the keys from HKEY_CURRENT_USER down, code page 932.
    using Path = std::vector<std::string>;
    // Keys nest at most this deep below HKEY_CURRENT_USER, as in the system's
    // registry.
    static constexpr std::size_t kMaxDepth = 512;

    struct Value {
        std::string name;
        DWORD type = 0;
        std::string data;
        bool operator==(const Value&) const = default;
    };

    std::string name;
    std::vector<Value> values;
    std::vector<RegistryKey> children;
    RegistryNameIndex valueIndex = {};
    RegistryNameIndex childIndex = {};
    bool operator==(const RegistryKey&) const = default;

    // The key at the path below this one, or nullptr.
    RegistryKey* Find(const Path& path);
    // The key at the path, made with any missing keys above it; `created`
    // becomes true when anything was new.
    RegistryKey& Ensure(const Path& path, bool& created);
    // The subkey of that name, made when missing.
    RegistryKey& EnsureChild(std::string_view name, bool& created);
    Value* FindValue(std::string_view valueName);
    // Stores a value; false when it was already stored just so.
    bool PutValue(std::string_view valueName, DWORD type, std::string_view data);

    // Splits "a\b\c" into its names. A 0x5C that is the trail byte of a
    // double-byte character does not split; empty names are skipped.
    static Path SplitPath(std::string_view path);
    static bool SameName(std::string_view a, std::string_view b);
};

template <class Entry> Entry* RegistryNameIndex::Find(std::vector<Entry>& entries, std::string_view name)
{
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (entries.size() < indexed_ || attempt > 0)
            Clear();
        for (; indexed_ < entries.size(); ++indexed_)
            Add(entries[indexed_].name, indexed_);
        const auto found = positions_.find(Fold(name));
        if (found == positions_.end())
            return nullptr;
        if (found->second < entries.size() && RegistryKey::SameName(entries[found->second].name, name))
            return &entries[found->second];
    }
    return nullptr;
}
