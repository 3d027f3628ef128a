#include "project/CProjectData.h"

#include "platform/file/AtomicFileWriter.h"
#include "platform/text/Sjis.h"
#include "platform/ui/UiService.h"
#include "project/ProjectFile.h"

#include <fstream>
#include <iterator>
#include <unistd.h>

namespace {

void ShowError(const char* utf8)
{
    MessageBox(nullptr, sjis::FromUtf8(utf8), "Error", MB_OK);
}

// The folder a file would be written into ("." for a bare name).
std::string FolderOf(const std::string& path)
{
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

} // namespace

CProjectData::~CProjectData()
{
    if (modified_)
        OfferSave();
    FreeEntries();
}

bool CProjectData::OfferSave()
{
    if (MessageBox(nullptr, sjis::FromUtf8("プロジェクトが変更されています、保存しますか？"),
                   sjis::FromUtf8("通知"), MB_YESNO | MB_ICONQUESTION) != IDYES)
        return true;
    return Save();
}

bool CProjectData::Save(const std::string& path)
{
    const std::string target = path.empty() ? DefaultPath() : path;
    // A folder that cannot take the file is "cannot open"; anything that
    // goes wrong while the bytes are written is a write failure.
    if (::access(FolderOf(target).c_str(), W_OK) != 0) {
        ShowError("ファイルオープンに失敗しました");
        return false;
    }
    std::vector<const PROJECT_ENTRY*> entries;
    entries.reserve(entries_.size());
    for (const auto& entry : entries_)
        entries.push_back(entry.get());
    if (AtomicFileWriter::Write(target, project_file::Encode(entries), {}) != 0) {
        ShowError("ファイルの書き込みに失敗しました");
        return false;
    }
    modified_ = false;
    return true;
}

bool CProjectData::Load(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        ShowError("ファイルオープンに失敗しました");
        return false;
    }
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    auto read = project_file::Decode(bytes);
    if (!read) {
        MessageBox(nullptr, sjis::FromUtf8("プロジェクトデータではありません。"), sjis::FromUtf8("通知"),
                   MB_OK);
        return false;
    }
    FreeEntries();
    for (const PROJECT_ENTRY& entry : *read)
        entries_.push_back(std::make_unique<PROJECT_ENTRY>(entry));
    if (const auto slash = path.rfind('/'); slash != std::string::npos) {
        folder_ = path.substr(0, slash);
        const auto folderSlash = folder_.rfind('/');
        name_ = folderSlash == std::string::npos ? std::string() : folder_.substr(folderSlash + 1);
    }
    return true;
}

void CProjectData::Reset()
{
    FreeEntries();
    folder_.clear();
    name_.clear();
    modified_ = false;
}

void CProjectData::FreeEntries()
{
    entries_.clear();
}

std::optional<std::size_t> CProjectData::FindEntry(const std::string& cp932Path) const
{
    for (std::size_t i = 0; i < entries_.size(); ++i)
        if (entries_[i]->Path() == cp932Path)
            return i;
    return std::nullopt;
}

PROJECT_ENTRY* CProjectData::AppendEntry(std::unique_ptr<PROJECT_ENTRY> entry)
{
    entries_.push_back(std::move(entry));
    return entries_.back().get();
}

void CProjectData::RemoveEntry(std::size_t index)
{
    if (index < entries_.size())
        entries_.erase(entries_.begin() + std::ptrdiff_t(index));
}
