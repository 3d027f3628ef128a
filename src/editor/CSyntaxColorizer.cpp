#include "editor/CSyntaxColorizer.h"

#include "editor/CommandTipWindow.h"
#include "platform/SettingsStore.h"
#include "platform/Shell.h"
#include "platform/UiService.h"

#include <fstream>
#include <vector>

CSyntaxColorizer::CSyntaxColorizer() = default;
CSyntaxColorizer::~CSyntaxColorizer() = default;

void CSyntaxColorizer::SetTipWindow(std::unique_ptr<CommandTipWindow> window)
{
    tipWindow_ = std::move(window);
}

bool CSyntaxColorizer::LoadCommandData(QWidget* parentFrame)
{
    // The tooltip window comes first: without it there is nothing to load for.
    if (tipWindow_ && !tipWindow_->Create(parentFrame))
        return false;

    settings::ReadTipFlag(tipSwitch_);

    std::string path;
    DWORD needed = SearchPathA(nullptr, "keydata", ".dat", 0, nullptr, nullptr);
    if (needed != 0) {
        std::vector<char> buffer(needed, '\0');
        DWORD length = SearchPathA(nullptr, "keydata", ".dat", needed, buffer.data(), nullptr);
        if (length != 0 && length < needed)
            path.assign(buffer.data(), length);
    }
    return LoadCommandFile(path);
}

bool CSyntaxColorizer::LoadCommandFile(const std::string& path)
{
    std::ifstream file;
    if (!path.empty())
        file.open(path, std::ios::binary);
    if (!file.is_open()) {
        MessageBox(nullptr, path, "Error", MB_OK);
        return false;
    }
    file.seekg(0, std::ios::end);
    std::streamoff length = file.tellg();
    if (length <= 0)
        return false;
    file.seekg(0, std::ios::beg);
    std::string data(std::size_t(length), '\0');
    if (!file.read(data.data(), length))
        return false;

    std::string key;
    std::string value;
    std::string* target = &key;
    for (char c : data) {
        if (c == '\0')
            break; // a NUL ends the data
        if (c == '/') {
            commands_.insert_or_assign(key, value);
            key.clear();
            value.clear();
            target = &key;
        } else if (c == '=') {
            target = &value;
        } else {
            *target += c;
        }
    }
    return true;
}

std::string CSyntaxColorizer::LookupCommand(const std::string& word) const
{
    auto it = commands_.find(word);
    return it == commands_.end() ? std::string() : it->second;
}
