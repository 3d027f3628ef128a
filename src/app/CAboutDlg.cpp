#include "app/CAboutDlg.h"

#include "app/CIconPainter.h"
#include "app/CMenuResources.h"
#include "app/DialogUnits.h"
#include "platform/UiService.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName(QString::number(CMenuResources::kAboutDialog));
    setWindowTitle(QString::fromUtf8("KESTRIX_2のﾊﾞｰｼﾞｮﾝ情報"));
    setModal(true);
    setFont(DialogUnits::DialogFont());

    picture_ = new QLabel(this);
    picture_->setObjectName(QStringLiteral("picture"));
    picture_->setPixmap(CIconPainter::AboutBitmap());
    picture_->setFixedSize(CIconPainter::kAboutWidth, CIconPainter::kAboutHeight);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QString::number(IDOK));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(picture_);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

int CAboutDlg::DoModal()
{
    return exec() == QDialog::Accepted ? IDOK : IDCANCEL;
}
