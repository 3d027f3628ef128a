#include "app/CAppPathPage.h"

#include "platform/SettingsStore.h"

#include <QLineEdit>
#include <QPushButton>

CAppPathPage::CAppPathPage(QWidget* parent) : CSettingPage(parent)
{
    AddLabel("HTML編集アプリケーションパスの設定", 6, 3, 200, 8);
    htmlApp_ = AddEdit(1020, 6, 12, 226, 12);
    QPushButton* browseHtml = AddButton(1022, "参照", 236, 11, 33, 14);
    AddLabel("ActivePerl(Perl.exe）のパス設定", 6, 28, 200, 8);
    perlApp_ = AddEdit(1021, 6, 37, 226, 12);
    QPushButton* browsePerl = AddButton(1023, "参照", 236, 36, 33, 14);

    connect(browseHtml, &QPushButton::clicked, this,
            [this] { BrowseForProgram(htmlApp_, "HTML編集アプリケーションの選択"); });
    connect(browsePerl, &QPushButton::clicked, this,
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
