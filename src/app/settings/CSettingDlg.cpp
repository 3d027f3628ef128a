#include "app/settings/CSettingDlg.h"

#include "app/builders/CDialogBuilder.h"
#include "app/settings/CColorSwatch.h"
#include "app/settings/CFaceComboBox.h"
#include "app/settings/CPointSizeComboBox.h"
#include "app/settings/CSettingPage.h"
#include "app/settings/CTabPageCtrl.h"
#include "platform/text/Sjis.h"
#include "platform/ui/UiService.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>

namespace {

// The face box takes at most a face name's worth of characters.
constexpr int kFaceLimit = 32;
// The most previous versions a script keeps, and megabytes the store takes.
constexpr long kMaxVersions = 1000;
constexpr long kMaxMegabytes = 100000;

using Texts = CSettingPage::Texts;

// The first page: the paths of the HTML editor and of the Perl interpreter.
CSettingPage* AppPathPage()
{
    return new CSettingPage(
        137,
        {{1020, 1022, "HTML編集アプリケーションの選択"}, {1021, 1023, "ActivePerl（Perl.exe）パスの選択"}},
        [] {
            const settings::AppPaths paths = settings::LoadAppPaths();
            return Texts{paths.htmlApp, paths.perlApp};
        },
        [](const Texts& texts) {
            return settings::SaveAppPaths({texts[0], texts[1]});
        });
}

// The second page: the local web server the preview runs scripts through,
// its document root and the address it answers on.
CSettingPage* WebServerPage()
{
    return new CSettingPage(
        134, {{1015, 1018, "Webサーバーアプリケーションの選択"}, {1016, 1019}, {1017}},
        [] {
            const settings::WebServerSettings web = settings::LoadWebServerSettings();
            return Texts{web.webApp, web.rootDir, web.localhostIp};
        },
        [](const Texts& texts) {
            return settings::SaveWebServerSettings({texts[0], texts[1], texts[2]});
        });
}

// The third page: how many previous versions of each script the saves keep
// and how many megabytes they may take in all.
CSettingPage* VersionsPage()
{
    return new CSettingPage(
        138,
        {{1040, 0, nullptr, "ファイルごとに残す以前の版の数", 0, kMaxVersions},
         {1041, 0, nullptr, "以前の版に使うディスク容量の上限（MB）", 0, kMaxMegabytes}},
        [] {
            const settings::VersionSettings versions = settings::LoadVersionSettings();
            return Texts{std::to_string(versions.count), std::to_string(versions.megabytes)};
        },
        [](const Texts& texts) {
            // The page has checked both are whole numbers in range.
            return settings::SaveVersionSettings({LONG(std::stol(texts[0])), LONG(std::stol(texts[1]))});
        });
}

} // namespace

CSettingDlg::CSettingDlg(QWidget* parent) : QDialog(parent)
{
    setModal(true);
    CreateControls();
    LoadSettings();
}

void CSettingDlg::CreateControls()
{
    CDialogBuilder dialog(kDialogId);
    dialog.Use<CFaceComboBox>(1024);
    dialog.Use<CPointSizeComboBox>(1025);
    dialog.Use<CColorSwatch>(1033);
    dialog.Use<CColorSwatch>(1034);
    dialog.Use<CTabPageCtrl>(1032);
    dialog.Build(this);

    face_ = CDialogBuilder::Find<CFaceComboBox>(this, 1024);
    size_ = CDialogBuilder::Find<CPointSizeComboBox>(this, 1025);
    size_->SetFaceBox(face_);
    commentColor_ = CDialogBuilder::Find<CColorSwatch>(this, 1033);
    commandColor_ = CDialogBuilder::Find<CColorSwatch>(this, 1034);
    tips_ = CDialogBuilder::Find<QCheckBox>(this, 1028);
    ftpUrl_ = CDialogBuilder::Find<QLineEdit>(this, 1029);
    userId_ = CDialogBuilder::Find<QLineEdit>(this, 1030);
    password_ = CDialogBuilder::Find<QLineEdit>(this, 1031);

    tabs_ = CDialogBuilder::Find<CTabPageCtrl>(this, 1032);
    for (CSettingPage* page : {AppPathPage(), WebServerPage(), VersionsPage()})
        tabs_->AddPage(page, page->windowTitle());

    connect(CDialogBuilder::Find<QPushButton>(this, IDOK), &QPushButton::clicked, this, &CSettingDlg::OnOK);
    connect(CDialogBuilder::Find<QPushButton>(this, IDCANCEL), &QPushButton::clicked, this, &QDialog::reject);
}

void CSettingDlg::LoadSettings()
{
    loaded_ = settings::LoadFontSettings();
    // The remembered face goes in as the text while the list is still
    // empty, cut to what the box takes; the entry it names is chosen once
    // the list is filled.
    face_->setEditText(sjis::ToUnicode(loaded_.face));
    face_->lineEdit()->setMaxLength(kFaceLimit);
    const QString remembered = face_->currentText();
    face_->Fill(CFaceComboBoxFaces::Installed());
    face_->SelectFace(remembered);
    size_->ShowSizeTwips(loaded_.heightTwips);
    commentColor_->SetColor(loaded_.commentColor);
    commandColor_->SetColor(loaded_.commandColor);
    tipsChecked_ = loaded_.tipFlag == 1;
    tips_->setChecked(tipsChecked_);

    const settings::FtpAccount ftp = settings::LoadFtpAccountForDialog();
    ftpUrl_->setText(sjis::ToUnicode(ftp.url));
    userId_->setText(sjis::ToUnicode(ftp.user));
    password_->setText(sjis::ToUnicode(ftp.password));

    for (CSettingPage* page : tabs_->Pages())
        page->Load();
}

settings::FontSettings CSettingDlg::FontToSave() const
{
    settings::FontSettings font;
    const int entry = face_->SelectedEntry();
    if (entry < 0) {
        font.face = std::string(settings::kDefaultFace);
        font.charSet = settings::kDefaultCharSet;
    } else if (const CFaceComboBox::CFontItem* item = face_->ItemAt(entry)) {
        font.face = item->face;
        font.charSet = item->charSet;
    } else {
        // The remembered face, which is not installed: kept as it was.
        font.face = loaded_.face;
        font.charSet = loaded_.charSet;
    }
    font.heightTwips = settings::HeightToStore(size_->ReadSizeTwips(), loaded_.heightTwips);
    font.tipFlag = tips_->isChecked() ? 1 : 0;
    font.commandColor = commandColor_->Color();
    font.commentColor = commentColor_->Color();
    return font;
}

void CSettingDlg::OnOK()
{
    // A field holding what it cannot take is told first and nothing is
    // written: the dialog stays open on it, everything as typed.
    // (The page is brought up first, so that the field can take the focus.)
    const std::vector<CSettingPage*>& pages = tabs_->Pages();
    const int shown = tabs_->TabBar()->currentIndex();
    for (std::size_t i = 0; i < pages.size(); ++i) {
        tabs_->SetCurrentIndex(int(i));
        if (!pages[i]->Validate())
            return;
    }
    tabs_->SetCurrentIndex(shown);
    DWORD code = settings::SaveFontSettings(FontToSave());
    if (code == 0)
        code =
            settings::SaveFtpAccount({sjis::FromUnicode(ftpUrl_->text()), sjis::FromUnicode(userId_->text()),
                                      sjis::FromUnicode(password_->text())});
    // The pages in tab order; a page that fails has told the user already,
    // and the pages after it are not written.
    bool pagesSaved = code == 0;
    for (std::size_t i = 0; pagesSaved && i < pages.size(); ++i)
        pagesSaved = pages[i]->Save();
    if (code != 0)
        MessageBox(this, SystemErrorText(code), "Error", MB_OK);
    else if (pagesSaved)
        MessageBox(this, sjis::FromUtf8("設定を保存しました"), sjis::FromUtf8("通知"), MB_OK);
    tipsChecked_ = tips_->isChecked();
    done(QDialog::Accepted);
}

int CSettingDlg::DoModal()
{
    return exec() == QDialog::Accepted ? IDOK : IDCANCEL;
}
