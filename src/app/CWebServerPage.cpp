#include "app/CWebServerPage.h"

#include "app/CDialogBuilder.h"
#include "platform/SettingsStore.h"

#include <QLineEdit>
#include <QPushButton>

CWebServerPage::CWebServerPage(QWidget* parent) : CSettingPage(kDialogId, parent)
{
    webApp_ = CDialogBuilder::Find<QLineEdit>(this, 1015);
    rootDir_ = CDialogBuilder::Find<QLineEdit>(this, 1016);
    localhostIp_ = CDialogBuilder::Find<QLineEdit>(this, 1017);
    connect(CDialogBuilder::Find<QPushButton>(this, 1018), &QPushButton::clicked, this,
            [this] { BrowseForProgram(webApp_, "Webサーバーアプリケーションの選択"); });
    connect(CDialogBuilder::Find<QPushButton>(this, 1019), &QPushButton::clicked, this,
            [this] { BrowseForFolder(rootDir_); });
}

void CWebServerPage::Load()
{
    const settings::WebServerSettings web = settings::LoadWebServerSettings();
    SetText(webApp_, web.webApp);
    SetText(rootDir_, web.rootDir);
    SetText(localhostIp_, web.localhostIp);
}

DWORD CWebServerPage::Write()
{
    return settings::SaveWebServerSettings({Text(webApp_), Text(rootDir_), Text(localhostIp_)});
}
