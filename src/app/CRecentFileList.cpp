#include "app/CRecentFileList.h"

#include "platform/registry/Registry.h"
#include "platform/registry/SettingsStore.h"

#include <algorithm>
#include <filesystem>

namespace {

// Two spellings of one file ("a/../b.cgi" and "b.cgi" from the same
// folder) are one entry.
bool SameFile(const std::string& a, const std::string& b)
{
    if (a == b)
        return true;
    std::error_code ec;
    if (std::filesystem::equivalent(a, b, ec))
        return true;
    return std::filesystem::absolute(a, ec).lexically_normal() ==
           std::filesystem::absolute(b, ec).lexically_normal();
}

} // namespace

CRecentFileList::CRecentFileList(int size) : size_(std::max(size, 1)) {}

std::string CRecentFileList::ValueName(int index)
{
    return "File" + std::to_string(index + 1);
}

void CRecentFileList::ReadList()
{
    entries_.clear();
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kKeyPath, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    for (int i = 0; i < size_; ++i) {
        std::string path;
        if (!settings::ReadSizedString(key, ValueName(i).c_str(), path) || path.empty())
            continue;
        const bool repeated = std::any_of(entries_.begin(), entries_.end(),
                                          [&](const std::string& e) { return SameFile(e, path); });
        if (!repeated)
            entries_.push_back(path);
    }
    RegCloseKey(key);
}

bool CRecentFileList::WriteList() const
{
    std::vector<std::string> names;
    std::vector<settings::ValueWrite> values;
    names.reserve(std::size_t(size_));
    for (int i = 0; i < size_; ++i)
        names.push_back(ValueName(i));
    for (int i = 0; i < size_; ++i)
        values.push_back(settings::StringValue(names[std::size_t(i)].c_str(),
                                               i < Count() ? entries_[std::size_t(i)] : ""));
    return settings::WriteGroup(kKeyPath, values) == 0;
}

void CRecentFileList::Add(const std::string& path)
{
    if (path.empty())
        return;
    entries_.erase(std::remove_if(entries_.begin(), entries_.end(),
                                  [&](const std::string& e) { return SameFile(e, path); }),
                   entries_.end());
    entries_.insert(entries_.begin(), path);
    if (Count() > size_)
        entries_.resize(std::size_t(size_));
}

void CRecentFileList::Remove(int index)
{
    if (index >= 0 && index < Count())
        entries_.erase(entries_.begin() + index);
}
