#include "app/CHtmlHelpSession.h"

#include "platform/help/CHelpWindow.h"
#include "platform/help/HelpCollection.h"
#include "platform/shell/Shell.h"
#include "platform/text/Sjis.h"
#include "platform/ui/UiService.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <vector>

CHtmlHelpSession::CHtmlHelpSession() = default;

CHtmlHelpSession::~CHtmlHelpSession()
{
    // The window shows the engine's widgets: it goes first.
    window_.reset();
    collection_.reset();
    if (translator_)
        QCoreApplication::removeTranslator(translator_.get());
}

void CHtmlHelpSession::SetHelpFile(const std::string& file)
{
    if (file.empty() || file == helpFile_)
        return;
    helpFile_ = file;
    window_.reset();
    collection_.reset();
}

bool CHtmlHelpSession::Ready()
{
    if (window_)
        return true;
    std::string path = helpFile_;
    if (path.find('/') == std::string::npos) {
        std::vector<char> found(4096);
        if (SearchPathA(nullptr, helpFile_.c_str(), nullptr, DWORD(found.size()), found.data(), nullptr))
            path = found.data();
    }
    // The search and index widgets speak Japanese with Qt Help's own
    // translation.
    if (!translator_) {
        translator_ = std::make_unique<QTranslator>();
        if (translator_->load(QStringLiteral("qt_help_ja"),
                              QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
            QCoreApplication::installTranslator(translator_.get());
    }
    auto collection = std::make_unique<HelpCollection>();
    if (const std::string error = collection->Open(path); !error.empty()) {
        MessageBox(owner_, sjis::FromUtf8(error), "Error", MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    collection_ = std::move(collection);
    window_ = std::make_unique<CHelpWindow>(*collection_);
    return true;
}

void CHtmlHelpSession::DisplayToc()
{
    if (Ready())
        window_->ShowPage(collection_->FirstPage());
}

QWidget* CHtmlHelpSession::KeywordLookup(const std::string& keyword)
{
    if (!Ready())
        return nullptr;
    const QString word = QString::fromStdString(sjis::ToUtf8(keyword)).trimmed();
    const std::vector<QUrl> pages = collection_->Lookup(word);
    if (pages.empty()) {
        // The notice first, then the index with the keyword typed in, so the
        // user can pick a nearby entry.
        if (!word.isEmpty())
            MessageBox(owner_, sjis::FromUtf8("指定されたキーワードが見つかりません。"),
                       sjis::FromUtf8("通知"), MB_OK | MB_ICONINFORMATION);
        window_->ShowIndex(word);
        return nullptr;
    }
    window_->ShowPage(pages.front());
    return window_.get();
}
