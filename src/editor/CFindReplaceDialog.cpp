#include "editor/CFindReplaceDialog.h"

#include "platform/text/Sjis.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QString U(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

} // namespace

CFindReplaceDialog::CFindReplaceDialog(bool replace, QWidget* parent) : QDialog(parent), replace_(replace)
{
    setObjectName(replace ? "replaceDialog" : "findDialog");
    setWindowTitle(replace ? U("置換") : U("検索"));
    setModal(false);

    auto* fields = new QGridLayout;
    auto* findLabel = new QLabel(U("検索する文字列(&N):"));
    findEdit_ = new QLineEdit;
    findEdit_->setObjectName("findWhat");
    findLabel->setBuddy(findEdit_);
    fields->addWidget(findLabel, 0, 0);
    fields->addWidget(findEdit_, 0, 1);
    if (replace) {
        auto* replaceLabel = new QLabel(U("置換後の文字列(&P):"));
        replaceEdit_ = new QLineEdit;
        replaceEdit_->setObjectName("replaceWith");
        replaceLabel->setBuddy(replaceEdit_);
        fields->addWidget(replaceLabel, 1, 0);
        fields->addWidget(replaceEdit_, 1, 1);
    }
    matchCase_ = new QCheckBox(U("大文字と小文字を区別する(&C)"));
    matchCase_->setObjectName("matchCase");
    fields->addWidget(matchCase_, replace ? 2 : 1, 0, 1, 2);

    auto* buttons = new QVBoxLayout;
    findNext_ = new QPushButton(U("次を検索(&F)"));
    findNext_->setObjectName("findNext");
    findNext_->setDefault(true);
    buttons->addWidget(findNext_);
    connect(findNext_, &QPushButton::clicked, this, &CFindReplaceDialog::findNextRequested);
    if (replace) {
        replaceButton_ = new QPushButton(U("置換して次に(&R)"));
        replaceButton_->setObjectName("replace");
        replaceAll_ = new QPushButton(U("すべて置換(&A)"));
        replaceAll_->setObjectName("replaceAll");
        buttons->addWidget(replaceButton_);
        buttons->addWidget(replaceAll_);
        connect(replaceButton_, &QPushButton::clicked, this, &CFindReplaceDialog::replaceRequested);
        connect(replaceAll_, &QPushButton::clicked, this, &CFindReplaceDialog::replaceAllRequested);
    }
    auto* cancel = new QPushButton(U("キャンセル"));
    cancel->setObjectName("cancel");
    buttons->addWidget(cancel);
    buttons->addStretch();
    connect(cancel, &QPushButton::clicked, this, &QDialog::close);

    auto* layout = new QGridLayout(this);
    layout->addLayout(fields, 0, 0);
    layout->addLayout(buttons, 0, 1);

    connect(findEdit_, &QLineEdit::textChanged, this, [this] { UpdateButtons(); });
    UpdateButtons();
}

std::string CFindReplaceDialog::FindWhat() const
{
    return sjis::FromUnicode(findEdit_->text());
}

std::string CFindReplaceDialog::ReplaceWith() const
{
    return replaceEdit_ ? sjis::FromUnicode(replaceEdit_->text()) : std::string();
}

bool CFindReplaceDialog::MatchCase() const
{
    return matchCase_->isChecked();
}

void CFindReplaceDialog::SetFindWhat(const std::string& cp932)
{
    findEdit_->setText(sjis::ToUnicode(cp932));
    findEdit_->selectAll();
}

void CFindReplaceDialog::UpdateButtons()
{
    const bool any = !findEdit_->text().isEmpty();
    findNext_->setEnabled(any);
    if (replaceButton_)
        replaceButton_->setEnabled(any);
    if (replaceAll_)
        replaceAll_->setEnabled(any);
}
