#include "app/CAppPathPage.h"

#include "app/CDialogBuilder.h"
#include "platform/SettingsStore.h"

#include <QLineEdit>
#include <QPushButton>

CAppPathPage::CAppPathPage(QWidget* parent) : CSettingPage(kDialogId, parent)
{
    htmlApp_ = CDialogBuilder::Find<QLineEdit>(this, 1020);
    perlApp_ = CDialogBuilder::Find<QLineEdit>(this, 1021);
    connect(CDialogBuilder::Find<QPushButton>(this, 1022), &QPushButton::clicked, this,
            [this] { BrowseForProgram(htmlApp_, "HTML編集アプリケーションの選択"); });
    connect(CDialogBuilder::Find<QPushButton>(this, 1023), &QPushButton::clicked, this,
            [this] { BrowseForProgram(perlApp_, "ActivePerl（Perl.exe）パスの選択"); });
}

void CAppPathPage::Load()
{
    const settings::AppPaths paths = settings::LoadAppPaths();
    SetText(htmlApp_, paths.htmlApp);
    SetText(perlApp_, paths.perlApp);
}

DWORD CAppPathPage::Write()
{
    return settings::SaveAppPaths({Text(htmlApp_), Text(perlApp_)});
}
