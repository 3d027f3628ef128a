#include "publish/PublishRecord.h"

#include "platform/file/AtomicFileWriter.h"
#include "publish/PublishSettings.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

constexpr const char* kMagic = "KESTRIX-PUBLISH 1";

std::string StateFolder()
{
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state && state[0] == '/')
        return std::string(state) + "/kestrix/publish";
    const char* home = std::getenv("HOME");
    return std::string(home ? home : "/tmp") + "/.local/state/kestrix/publish";
}

} // namespace

std::string PublishRecord::PathFor(const std::string& projectFolder)
{
    return StateFolder() + "/" + PublishSettings::ProjectId(projectFolder) + ".rec";
}

PublishRecord PublishRecord::Load(const std::string& path, const std::string& target)
{
    PublishRecord record;
    record.target_ = target;
    std::ifstream in(path, std::ios::binary);
    std::string line;
    if (!in || !std::getline(in, line) || line != kMagic)
        return record;
    if (!std::getline(in, line) || line != "target " + target)
        return record;
    std::map<std::string, PublishedFile> files;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        PublishedFile file;
        std::string name;
        if (!(fields >> file.size >> file.mtimeNs >> file.sha256) || file.sha256.size() != 64 ||
            fields.get() != ' ' || !std::getline(fields, name) || name.empty())
            return record; // a damaged record counts as empty: everything goes again
        files[name] = file;
    }
    record.files_ = std::move(files);
    return record;
}

int PublishRecord::Save(const std::string& path) const
{
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
    std::string text = std::string(kMagic) + "\ntarget " + target_ + "\n";
    for (const auto& [name, file] : files_)
        text += std::to_string(file.size) + " " + std::to_string(file.mtimeNs) + " " + file.sha256 + " " +
                name + "\n";
    AtomicFileWriter::Options options;
    options.mode = 0600;
    return AtomicFileWriter::Write(path, text, options);
}

const PublishedFile* PublishRecord::Find(const std::string& relativePath) const
{
    auto it = files_.find(relativePath);
    return it == files_.end() ? nullptr : &it->second;
}
