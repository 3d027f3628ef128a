#include "app/settings/CSettingPage.h"

#include "app/builders/CDialogBuilder.h"
#include "app/builders/DialogUnits.h"
#include "platform/text/Sjis.h"
#include "platform/ui/UiService.h"

#include <QLineEdit>
#include <QPushButton>

namespace {

// A path from a file dialog is a local path; shown in an edit it is Unicode.
QString FromLocalPath(const std::string& path)
{
    return QString::fromLocal8Bit(path.data(), qsizetype(path.size()));
}

} // namespace

CSettingPage::CSettingPage(QWidget* parent) : QWidget(parent)
{
    setFixedSize(DialogUnits().Size(kWidth, kHeight));
}

CSettingPage::CSettingPage(UINT dialogId, const std::vector<Field>& fields, Loader load, Saver save,
                           QWidget* parent)
    : QWidget(parent), fields_(fields), load_(std::move(load)), save_(std::move(save))
{
    CDialogBuilder(dialogId).Build(this);
    for (const Field& field : fields) {
        QLineEdit* edit = CDialogBuilder::Find<QLineEdit>(this, field.edit);
        edits_.push_back(edit);
        if (!field.browse)
            continue;
        connect(CDialogBuilder::Find<QPushButton>(this, field.browse), &QPushButton::clicked, this,
                [this, edit, title = field.programTitle] {
                    if (title)
                        BrowseForProgram(edit, title);
                    else
                        BrowseForFolder(edit);
                });
    }
}

void CSettingPage::Load()
{
    if (!load_)
        return;
    const Texts texts = load_();
    for (std::size_t i = 0; i < edits_.size() && i < texts.size(); ++i)
        edits_[i]->setText(sjis::ToUnicode(texts[i]));
}

bool CSettingPage::Validate()
{
    for (std::size_t i = 0; i < edits_.size() && i < fields_.size(); ++i) {
        const Field& field = fields_[i];
        if (!field.numberName)
            continue;
        const QString text = edits_[i]->text().trimmed();
        bool number = !text.isEmpty();
        for (QChar c : text)
            number = number && c >= QChar('0') && c <= QChar('9');
        const qlonglong value = number ? text.toLongLong(&number) : 0;
        if (number && value >= field.minimum && value <= field.maximum)
            continue;
        MessageBox(this,
                   sjis::FromUtf8("「") + sjis::FromUtf8(field.numberName) + sjis::FromUtf8("」には ") +
                       std::to_string(field.minimum) + sjis::FromUtf8(" から ") +
                       std::to_string(field.maximum) + sjis::FromUtf8(" までの整数を入力してください。"),
                   sjis::FromUtf8("通知"), MB_OK | MB_ICONEXCLAMATION);
        edits_[i]->setFocus();
        edits_[i]->selectAll();
        return false;
    }
    return true;
}

DWORD CSettingPage::Write()
{
    Texts texts;
    for (const QLineEdit* edit : edits_)
        texts.push_back(sjis::FromUnicode(edit->text()));
    return save_ ? save_(texts) : 0;
}

bool CSettingPage::Save()
{
    const DWORD code = Write();
    if (code == 0)
        return true;
    MessageBox(this, SystemErrorText(code), "Error", MB_OK);
    return false;
}

void CSettingPage::BrowseForProgram(QLineEdit* edit, const char* titleUtf8)
{
    FileDialogRequest request;
    request.kind = FileDialogKind::Open;
    request.owner = this;
    request.title = sjis::FromUtf8(titleUtf8);
    request.filter = sjis::FromUtf8("EXE (*.exe)|*.exe|すべてのファイル|*||");
    request.initialName = sjis::FromUnicode(edit->text());
    request.flags = OFN_HIDEREADONLY;
    if (std::optional<std::string> path = UiService::Current().FileDialog(request))
        edit->setText(FromLocalPath(*path));
}

void CSettingPage::BrowseForFolder(QLineEdit* edit)
{
    if (std::optional<std::string> path = UiService::Current().BrowseForFolder(this, std::string()))
        edit->setText(FromLocalPath(*path));
}
