#include "app/CNameInputDlg.h"

#include "app/DialogUnits.h"
#include "platform/Sjis.h"
#include "platform/UiService.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>

CNameInputDlg::CNameInputDlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QString::fromUtf8("ディレクトリ名の入力"));
    setModal(true);
    setFont(DialogUnits::DialogFont());
    const DialogUnits du(font());
    setFixedSize(du.Size(175, 67));

    edit_ = new QLineEdit(this);
    edit_->setObjectName(QStringLiteral("1000"));
    du.Place(edit_, 22, 30, 133, 14);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QString::number(IDOK));
    du.Place(ok, 111, 50, 27, 14);
    ok->setDefault(true);
    auto* cancel = new QPushButton(QString::fromUtf8("ｷｬﾝｾﾙ"), this);
    cancel->setObjectName(QString::number(IDCANCEL));
    du.Place(cancel, 141, 50, 27, 14);
    prompt_ = new QLabel(QString::fromUtf8("ディレクトリ名を入力してください"), this);
    prompt_->setObjectName(QStringLiteral("1001"));
    // The prompt runs to the right margin: the folder prompt is wider than
    // the 104 units the layout first gave it and would be cut off.
    du.Place(prompt_, 25, 13, 145, 8);
    icon_ = new QLabel(this);
    du.Place(icon_, 5, 7, 20, 20);
    icon_->setAlignment(Qt::AlignCenter);
    icon_->setPixmap(style()->standardIcon(QStyle::SP_DirIcon).pixmap(32));

    connect(ok, &QPushButton::clicked, this, &CNameInputDlg::OnOK);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
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
    const std::string refusal = CNameInputDlgRules::Refusal(name_, mode_);
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
