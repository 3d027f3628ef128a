#include "platform/registry/RegistryKey.h"

#include "platform/text/Sjis.h"

namespace {

char AsciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

bool IsLead(char c)
{
    return sjis::IsLeadByte(static_cast<unsigned char>(c));
}

RegistryKey* FindChild(RegistryKey& key, std::string_view name)
{
    return key.childIndex.Find(key.children, name);
}

} // namespace

std::string RegistryNameIndex::Fold(std::string_view name)
{
    std::string folded(name);
    for (std::size_t i = 0; i < folded.size(); ++i) {
        if (IsLead(folded[i]) && i + 1 < folded.size())
            ++i; // the trail byte may look like an ASCII letter; it is not one
        else
            folded[i] = AsciiLower(folded[i]);
    }
    return folded;
}

void RegistryNameIndex::Add(std::string_view name, std::size_t position)
{
    // The first of two entries with the same name is the one found, as a
    // walk through the list would find it.
    positions_.try_emplace(Fold(name), position);
}

void RegistryNameIndex::Clear()
{
    positions_.clear();
    indexed_ = 0;
}

RegistryKey* RegistryKey::Find(const Path& path)
{
    RegistryKey* key = this;
    for (const auto& name : path) {
        key = FindChild(*key, name);
        if (!key)
            return nullptr;
    }
    return key;
}

RegistryKey& RegistryKey::Ensure(const Path& path, bool& created)
{
    RegistryKey* key = this;
    for (const auto& name : path)
        key = &key->EnsureChild(name, created);
    return *key;
}

RegistryKey& RegistryKey::EnsureChild(std::string_view name, bool& created)
{
    if (RegistryKey* child = FindChild(*this, name))
        return *child;
    children.push_back(RegistryKey{std::string(name), {}, {}, {}, {}});
    created = true;
    return children.back();
}

RegistryKey::Value* RegistryKey::FindValue(std::string_view valueName)
{
    return valueIndex.Find(values, valueName);
}

bool RegistryKey::PutValue(std::string_view valueName, DWORD type, std::string_view data)
{
    if (Value* v = FindValue(valueName)) {
        if (v->type == type && v->data == data)
            return false;
        v->type = type;
        v->data.assign(data);
        return true;
    }
    values.push_back(Value{std::string(valueName), type, std::string(data)});
    return true;
}

RegistryKey::Path RegistryKey::SplitPath(std::string_view path)
{
    Path names;
    std::string current;
    for (std::size_t i = 0; i < path.size(); ++i) {
        char c = path[i];
        if (IsLead(c) && i + 1 < path.size()) {
            current += c;
            current += path[++i];
        } else if (c == '\\') {
            if (!current.empty())
                names.push_back(std::move(current));
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.empty())
        names.push_back(std::move(current));
    return names;
}

bool RegistryKey::SameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (IsLead(a[i]) && i + 1 < a.size()) {
            // The trail byte may look like an ASCII letter; it is not one.
            if (a[i] != b[i] || a[i + 1] != b[i + 1])
                return false;
            ++i;
        } else if (AsciiLower(a[i]) != AsciiLower(b[i])) {
            return false;
        }
    }
    return true;
}
