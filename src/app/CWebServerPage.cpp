#include "app/CWebServerPage.h"

#include "platform/SettingsStore.h"

#include <QLineEdit>
#include <QPushButton>

CWebServerPage::CWebServerPage(QWidget* parent) : CSettingPage(parent)
{
    AddLabel("Webサーバアプリケーションパスの設定", 6, 3, 200, 8);
    webApp_ = AddEdit(1015, 6, 12, 226, 12);
    QPushButton* browseWeb = AddButton(1018, "参照", 236, 11, 33, 14);
    // The root folder and the address share the second row.
    AddLabel("ルートディレクトリの設定", 6, 28, 110, 8);
    rootDir_ = AddEdit(1016, 6, 37, 110, 12);
    QPushButton* browseRoot = AddButton(1019, "参照", 119, 36, 33, 14);
    AddLabel("IPアドレス（ホスト名）の設定", 158, 28, 111, 8);
    localhostIp_ = AddEdit(1017, 158, 37, 111, 12);

    connect(browseWeb, &QPushButton::clicked, this,
            [this] { BrowseForProgram(webApp_, "Webサーバーアプリケーションの選択"); });
    connect(browseRoot, &QPushButton::clicked, this, [this] { BrowseForFolder(rootDir_); });
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
