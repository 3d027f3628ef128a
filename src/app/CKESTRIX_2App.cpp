#include "app/CKESTRIX_2App.h"

#include "app/CMainFrame.h"
#include "platform/Registry.h"
#include "platform/Sjis.h"
#include "platform/UiService.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

CKESTRIX_2App::CKESTRIX_2App() = default;

CKESTRIX_2App::~CKESTRIX_2App()
{
    if (translator_)
        QCoreApplication::removeTranslator(translator_.get());
}

bool CKESTRIX_2App::InitInstance()
{
    // The standard buttons (はい, いいえ, キャンセル) come from Qt's own
    // Japanese translation.
    translator_ = std::make_unique<QTranslator>();
    if (translator_->load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator_.get());

    // A settings file that cannot be read is set aside; the user hears of it
    // once, in a box, and the program goes on with empty settings.
    SetHiveProblemHandler(
        [](const std::string& message) { MessageBox(nullptr, sjis::FromUtf8(message), "Error", MB_OK | MB_ICONEXCLAMATION); });

    mainFrame_ = std::make_unique<CMainFrame>(colorizer_);
    if (!mainFrame_->Create()) {
        mainFrame_.reset();
        return false;
    }
    mainFrame_->show();
    return true;
}
