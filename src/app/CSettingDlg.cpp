#include "app/CSettingDlg.h"

#include "app/CAppPathPage.h"
#include "app/CColorSwatch.h"
#include "app/CFaceComboBox.h"
#include "app/CPointSizeComboBox.h"
#include "app/CTabPageCtrl.h"
#include "app/CWebServerPage.h"
#include "app/DialogUnits.h"
#include "platform/Sjis.h"
#include "platform/UiService.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

// The face box takes at most a face name's worth of characters.
constexpr int kFaceLimit = 32;

QString U(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

template <typename W> W* Add(QWidget* parent, const DialogUnits& du, int id, int x, int y, int cx, int cy)
{
    auto* widget = new W(parent);
    if (id)
        widget->setObjectName(QString::number(id));
    du.Place(widget, x, y, cx, cy);
    return widget;
}

void AddLabel(QWidget* parent, const DialogUnits& du, const char* utf8, int x, int y, int cx, int cy)
{
    auto* label = new QLabel(U(utf8), parent);
    du.Place(label, x, y, cx, cy);
}

} // namespace

CSettingDlg::CSettingDlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(U("設定"));
    setModal(true);
    setFont(DialogUnits::DialogFont());
    CreateControls();
    LoadSettings();
}

void CSettingDlg::CreateControls()
{
    const DialogUnits du(font());
    setFixedSize(du.Size(297, 201));

    // Group boxes first, so the controls drawn inside them lie on top.
    auto* fontGroup = new QGroupBox(U("フォント設定"), this);
    du.Place(fontGroup, 2, 3, 142, 93);
    AddLabel(this, du, "入力フォントの設定：", 9, 17, 60, 8);
    // The combo boxes' heights are their edit fields'; the lists drop down
    // below them.
    face_ = Add<CFaceComboBox>(this, du, 1024, 71, 14, 71, 12);
    AddLabel(this, du, "フォントサイズ設定：", 9, 33, 59, 8);
    size_ = Add<CPointSizeComboBox>(this, du, 1025, 71, 30, 71, 12);
    size_->SetFaceBox(face_);
    AddLabel(this, du, "コメントカラーの設定：", 9, 49, 64, 8);
    commentColor_ = Add<CColorSwatch>(this, du, 1033, 77, 47, 21, 12);
    AddLabel(this, du, "コマンドカラーの設定：", 9, 66, 66, 8);
    commandColor_ = Add<CColorSwatch>(this, du, 1034, 77, 64, 21, 12);
    tips_ = Add<QCheckBox>(this, du, 1028, 8, 81, 75, 10);
    tips_->setText(U("ToolTip表示/非表示"));

    auto* ftpGroup = new QGroupBox(U("FTP設定"), this);
    du.Place(ftpGroup, 147, 3, 143, 93);
    AddLabel(this, du, "FTPサーバアドレスの設定", 154, 16, 77, 8);
    ftpUrl_ = Add<QLineEdit>(this, du, 1029, 154, 27, 128, 12);
    AddLabel(this, du, "ユーザIDの設定", 154, 41, 48, 8);
    userId_ = Add<QLineEdit>(this, du, 1030, 154, 51, 128, 12);
    AddLabel(this, du, "パスワードの設定", 154, 66, 52, 8);
    password_ = Add<QLineEdit>(this, du, 1031, 154, 77, 128, 12);
    password_->setEchoMode(QLineEdit::Password);

    tabs_ = Add<CTabPageCtrl>(this, du, 1032, 2, 99, 288, 81);
    tabs_->AddPage(new CAppPathPage, U("その他の設定1"));
    tabs_->AddPage(new CWebServerPage, U("その他の設定2"));

    auto* ok = Add<QPushButton>(this, du, IDOK, 96, 183, 50, 14);
    ok->setText(QStringLiteral("OK"));
    ok->setDefault(true);
    auto* cancel = Add<QPushButton>(this, du, IDCANCEL, 151, 183, 50, 14);
    cancel->setText(U("ｷｬﾝｾﾙ"));
    connect(ok, &QPushButton::clicked, this, &CSettingDlg::OnOK);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
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
    DWORD code = settings::SaveFontSettings(FontToSave());
    if (code == 0)
        code =
            settings::SaveFtpAccount({sjis::FromUnicode(ftpUrl_->text()), sjis::FromUnicode(userId_->text()),
                                      sjis::FromUnicode(password_->text())});
    // The pages in tab order; a page that fails has told the user already,
    // and the pages after it are not written.
    bool pagesSaved = true;
    if (code == 0) {
        for (CSettingPage* page : tabs_->Pages()) {
            if (!page->Save()) {
                pagesSaved = false;
                break;
            }
        }
    }
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
