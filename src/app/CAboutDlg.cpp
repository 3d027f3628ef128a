#include "app/CAboutDlg.h"

#include "app/builders/CDialogBuilder.h"
#include "app/builders/CIconPainter.h"
#include "platform/ui/UiService.h"

#include <QLabel>
#include <QPushButton>

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName(QString::number(kDialogId));
    setModal(true);
    CDialogBuilder dialog(kDialogId);
    dialog.Build(this);

    // The picture fills its box, which at the dialog font's units is the
    // bitmap's own size.
    picture_ = dialog.Icon(this);
    picture_->setObjectName(QStringLiteral("picture"));
    picture_->setScaledContents(true);
    picture_->setPixmap(CIconPainter::AboutBitmap());

    connect(CDialogBuilder::Find<QPushButton>(this, IDOK), &QPushButton::clicked, this, &QDialog::accept);
}

int CAboutDlg::DoModal()
{
    return exec() == QDialog::Accepted ? IDOK : IDCANCEL;
}
