#include "platform/help/HelpCollection.h"

#include <QFile>
#include <QFileInfo>
#include <QHelpEngine>
#include <QHelpLink>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// Copies a file beside its target and renames it into place, so a reader
// never sees half a file and two programs copying at once do no harm.
std::string CopyInto(const fs::path& from, const fs::path& to)
{
    std::error_code ec;
    fs::path temporary = to;
    temporary += ".tmp" + std::to_string(::getpid());
    fs::copy_file(from, temporary, fs::copy_options::overwrite_existing, ec);
    if (!ec)
        fs::rename(temporary, to, ec);
    if (ec) {
        fs::remove(temporary);
        return from.string() + " をコピーできません: " + ec.message();
    }
    return {};
}

// True when the working copy is missing or differs in time or size from
// the installed file.
bool Stale(const fs::path& installed, const fs::path& copy)
{
    std::error_code ec;
    if (!fs::exists(copy, ec))
        return true;
    return fs::file_size(installed, ec) != fs::file_size(copy, ec) ||
           fs::last_write_time(installed, ec) > fs::last_write_time(copy, ec);
}

} // namespace

HelpCollection::HelpCollection() = default;
HelpCollection::~HelpCollection() = default;

std::string HelpCollection::WorkingFolder()
{
    const char* cache = std::getenv("XDG_CACHE_HOME");
    if (cache && *cache == '/')
        return std::string(cache) + "/kestrix/help";
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : "/tmp") + "/.cache/kestrix/help";
}

std::string HelpCollection::Open(const std::string& collectionPath)
{
    engine_.reset();
    path_ = collectionPath;
    const fs::path collection(collectionPath);
    std::error_code ec;
    if (!fs::is_regular_file(collection, ec))
        return "ヘルプファイル " + collectionPath + " が見つかりません。";

    // The documentation files the collection names sit beside it under the
    // same base name.
    fs::path documentation = collection;
    documentation.replace_extension(".qch");
    if (!fs::is_regular_file(documentation, ec))
        return "ヘルプの文書 " + documentation.string() + " が見つかりません。";

    const fs::path folder = WorkingFolder();
    fs::create_directories(folder, ec);
    if (ec)
        return "ヘルプの作業フォルダ " + folder.string() + " を作れません: " + ec.message();
    const fs::path copy = folder / collection.filename();
    const fs::path copyDocumentation = folder / documentation.filename();
    for (const auto& [from, to] :
         {std::pair{collection, copy}, std::pair{documentation, copyDocumentation}}) {
        if (Stale(from, to)) {
            if (std::string error = CopyInto(from, to); !error.empty())
                return error;
        }
    }

    auto engine = std::make_unique<QHelpEngine>(QString::fromStdString(copy.string()));
    engine->setUsesFilterEngine(true);
    if (!engine->setupData())
        return "ヘルプファイル " + collectionPath + " を読めません: " + engine->error().toStdString();
    if (engine->registeredDocumentations().isEmpty())
        return "ヘルプファイル " + collectionPath +
               " を読めません: ヘルプの文書が登録されていないか、ヘルプファイルではありません。";
    engine_ = std::move(engine);
    return {};
}

std::vector<QUrl> HelpCollection::Lookup(const QString& keyword) const
{
    std::vector<QUrl> pages;
    if (!engine_ || keyword.isEmpty())
        return pages;
    for (const QHelpLink& link : engine_->documentsForKeyword(keyword))
        pages.push_back(link.url);
    return pages;
}

QUrl HelpCollection::FirstPage() const
{
    if (!engine_)
        return {};
    return QUrl(QStringLiteral("qthelp://org.kestrix.help/doc/manual/index.html"));
}

QByteArray HelpCollection::FileData(const QUrl& url) const
{
    return engine_ ? engine_->fileData(url) : QByteArray();
}
