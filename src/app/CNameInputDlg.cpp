#include "app/CNameInputDlg.h"

#include "app/builders/CDialogBuilder.h"
#include "platform/text/Sjis.h"
#include "platform/ui/UiService.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <algorithm>

namespace {

// Why a name (code page 932) is refused, as the user is told (code page
// 932); empty when it is accepted. A name must not be empty and must be
// single-byte characters only (half-width katakana are single bytes). It
// names something inside the project's folder: no "/" and no leading "..".
std::string Refusal(const std::string& name, int mode)
{
    if (name.empty() || name.find('/') != std::string::npos || name.starts_with("..") || name == ".")
        return sjis::FromUtf8(mode == CNameInputDlg::kFileMode ? "ファイル名が無効です"
                                                               : "ディレクトリ名が無効です");
    if (std::any_of(name.begin(), name.end(),
                    [](char c) { return sjis::IsLeadByte(static_cast<unsigned char>(c)); }))
        return sjis::FromUtf8("入力名に2バイト文字列が使われています。");
    return {};
}

} // namespace

CNameInputDlg::CNameInputDlg(QWidget* parent) : QDialog(parent)
{
    setModal(true);
    CDialogBuilder dialog(kDialogId);
    dialog.Build(this);
    edit_ = CDialogBuilder::Find<QLineEdit>(this, 1000);
    prompt_ = CDialogBuilder::Find<QLabel>(this, 1001);
    icon_ = dialog.Icon(this);
    icon_->setAlignment(Qt::AlignCenter);
    icon_->setPixmap(style()->standardIcon(QStyle::SP_DirIcon).pixmap(32));

    connect(CDialogBuilder::Find<QPushButton>(this, IDOK), &QPushButton::clicked, this, &CNameInputDlg::OnOK);
    connect(CDialogBuilder::Find<QPushButton>(this, IDCANCEL), &QPushButton::clicked, this, &QDialog::reject);
    connect(edit_, &QLineEdit::textEdited, this, &CNameInputDlg::KeepCodePage932);
    edit_->setFocus();
}

void CNameInputDlg::SetMode(int mode)
{
    mode_ = mode;
    if (mode == kFileMode) {
        setWindowTitle(QString::fromUtf8("新しいファイル名の入力"));
        prompt_->setText(QString::fromUtf8("新しいファイル名を入力してください"));
        icon_->setPixmap(style()->standardIcon(QStyle::SP_FileIcon).pixmap(32));
    } else if (mode == kDirectoryMode) {
        setWindowTitle(QString::fromUtf8("新しいディレクトリ名の入力"));
        prompt_->setText(QString::fromUtf8("新しいディレクトリ名を入力してください"));
        icon_->setPixmap(style()->standardIcon(QStyle::SP_DirIcon).pixmap(32));
    }
}

void CNameInputDlg::KeepCodePage932()
{
    const QString text = edit_->text();
    const QString held = sjis::ToUnicode(sjis::FromUnicode(text));
    if (held == text)
        return;
    const int cursor = int(sjis::ToUnicode(sjis::FromUnicode(text.left(edit_->cursorPosition()))).size());
    edit_->setText(held);
    edit_->setCursorPosition(cursor);
}

void CNameInputDlg::OnOK()
{
    name_ = sjis::FromUnicode(edit_->text());
    const std::string refusal = Refusal(name_, mode_);
    if (!refusal.empty()) {
        MessageBox(this, refusal, sjis::FromUtf8("通知"), MB_OK);
        edit_->setFocus();
        return;
    }
    accept();
}

int CNameInputDlg::DoModal()
{
    return exec() == QDialog::Accepted ? IDOK : IDCANCEL;
}
