#include "app/CSettingPage.h"

#include "app/CDialogBuilder.h"
#include "app/DialogUnits.h"
#include "platform/Sjis.h"
#include "platform/UiService.h"

#include <QLineEdit>

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

CSettingPage::CSettingPage(UINT dialogId, QWidget* parent) : QWidget(parent)
{
    CDialogBuilder(dialogId).Build(this);
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
    request.initialName = Text(edit);
    request.flags = OFN_HIDEREADONLY;
    if (std::optional<std::string> path = UiService::Current().FileDialog(request))
        edit->setText(FromLocalPath(*path));
}

void CSettingPage::BrowseForFolder(QLineEdit* edit)
{
    if (std::optional<std::string> path = UiService::Current().BrowseForFolder(this, std::string()))
        edit->setText(FromLocalPath(*path));
}

std::string CSettingPage::Text(const QLineEdit* edit)
{
    return sjis::FromUnicode(edit->text());
}

void CSettingPage::SetText(QLineEdit* edit, const std::string& cp932)
{
    edit->setText(sjis::ToUnicode(cp932));
}
