#include "publish/PublishPlan.h"

#include <QCryptographicHash>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

bool ReadAll(const std::string& path, std::string& bytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad())
        return false;
    bytes = text.str();
    return true;
}

std::string RelativeTo(const std::string& folder, const std::string& path)
{
    std::error_code ec;
    fs::path relative =
        fs::path(path).lexically_normal().lexically_relative(fs::path(folder).lexically_normal());
    std::string text = relative.generic_string();
    if (folder.empty() || text.empty() || text == "." || text.starts_with(".."))
        return fs::path(path).filename().string();
    return text;
}

} // namespace

bool PublishPlan::IsScriptName(const std::string& name)
{
    std::string ext = fs::path(name).extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    return ext == ".cgi" || ext == ".pl";
}

std::string PublishPlan::Sha256(const std::string& bytes)
{
    return QCryptographicHash::hash(
               QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size())),
               QCryptographicHash::Sha256)
        .toHex()
        .toStdString();
}

std::string PublishPlan::BytesToSend(const PublishItem& item, std::string bytes)
{
    if (!item.IsScript())
        return bytes;
    std::string out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
            continue;
        out += bytes[i];
    }
    return out;
}

PublishPlan PublishPlan::Build(const std::string& projectFolder, const std::vector<std::string>& files,
                               const PublishRecord& record)
{
    PublishPlan plan;
    std::set<std::string> seen;
    for (const std::string& path : files) {
        PublishItem item;
        item.localPath = path;
        item.relativePath = RelativeTo(projectFolder, path);
        // A file listed twice (or two outside files of one name) goes once.
        if (!seen.insert(item.relativePath).second || item.relativePath.find('\n') != std::string::npos)
            continue;
        item.kind = IsScriptName(path) ? PublishKind::Script : PublishKind::Other;
        item.mode = item.IsScript() ? 0755 : 0644;
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
            item.state = PublishState::Missing;
            plan.items.push_back(item);
            continue;
        }
        item.size = static_cast<std::uint64_t>(st.st_size);
        item.mtimeNs = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
        const PublishedFile* last = record.Find(item.relativePath);
        if (last && last->size == item.size && last->mtimeNs == item.mtimeNs) {
            item.state = PublishState::Unchanged;
            item.sha256 = last->sha256;
            plan.items.push_back(item);
            continue;
        }
        std::string bytes;
        if (!ReadAll(path, bytes)) {
            item.state = PublishState::Missing;
            plan.items.push_back(item);
            continue;
        }
        item.size = bytes.size();
        item.sha256 = Sha256(bytes);
        item.hasCrLf = item.IsScript() && bytes.find("\r\n") != std::string::npos;
        if (!last)
            item.state = PublishState::New;
        else
            item.state = last->sha256 == item.sha256 ? PublishState::Unchanged : PublishState::Changed;
        plan.items.push_back(item);
    }
    return plan;
}

std::size_t PublishPlan::CountGoing() const
{
    return static_cast<std::size_t>(
        std::count_if(items.begin(), items.end(), [](auto& i) { return i.Goes(); }));
}

std::vector<std::string> PublishPlan::FoldersNeeded() const
{
    std::set<std::string> folders;
    for (const auto& item : items) {
        if (!item.Goes())
            continue;
        std::string path = item.relativePath;
        for (auto slash = path.find('/'); slash != std::string::npos; slash = path.find('/', slash + 1))
            folders.insert(path.substr(0, slash));
    }
    // A set sorts "a" before "a/b": parents come first.
    return {folders.begin(), folders.end()};
}
