#include "project/CNewProjectDlg.h"

#include "platform/text/Sjis.h"
#include "platform/ui/UiService.h"
#include "project/CProjectIcons.h"
#include "project/ProjectTreeHost.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <filesystem>

namespace {

std::string J(const char* utf8)
{
    return sjis::FromUtf8(utf8);
}

// The list's two small pictures: 0 a script, 1 an HTML page.
QIcon ListIcon(int kind)
{
    const QPixmap picture = CProjectIcons::Icon(kind == PROJECT_ENTRY::kHtml ? 3 : 2);
    return QIcon(picture.scaled(16, 16, Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

} // namespace

CNewProjectDlg::CNewProjectDlg(ProjectTreeHost& host, QWidget* parent) : QDialog(parent)
{
    setModal(true);
    std::map<int, ProjectTreeHost::ControlMaker> makers;
    makers[kFileList] = [](QWidget* parent) -> QWidget* { return new QTreeWidget(parent); };
    host.BuildDialog(this, kDialogId, makers);

    nameEdit_ = findChild<QLineEdit*>(QString::number(kNameEdit));
    locationEdit_ = findChild<QLineEdit*>(QString::number(kLocationEdit));
    fileList_ = findChild<QTreeWidget*>(QString::number(kFileList));
    // Without a layout from the resource script (a host that builds no
    // dialogs) the controls are still there to work with.
    if (!nameEdit_)
        nameEdit_ = new QLineEdit(this);
    if (!locationEdit_)
        locationEdit_ = new QLineEdit(this);
    if (!fileList_)
        fileList_ = new QTreeWidget(this);

    fileList_->setRootIsDecorated(false);
    fileList_->setColumnCount(1);
    fileList_->setHeaderLabels({QString::fromUtf8("登録済みファイル")});
    fileList_->header()->setStretchLastSection(false);
    fileList_->setColumnWidth(0, kInitialColumnWidth);
    fileList_->setIconSize(QSize(16, 16));

    auto connectButton = [this](int id, void (CNewProjectDlg::*action)()) {
        if (auto* button = findChild<QPushButton*>(QString::number(id)))
            connect(button, &QPushButton::clicked, this, action);
    };
    connectButton(kBrowseButton, &CNewProjectDlg::OnBrowse);
    connectButton(kAddButton, &CNewProjectDlg::OnAdd);
    connectButton(kRemoveButton, &CNewProjectDlg::OnRemove);
    connectButton(IDOK, &CNewProjectDlg::OnOK);
    connectButton(IDCANCEL, &CNewProjectDlg::reject);
}

int CNewProjectDlg::DoModal()
{
    return exec() == QDialog::Accepted ? IDOK : IDCANCEL;
}

void CNewProjectDlg::OnBrowse()
{
    // A cancelled browse empties the location.
    const auto folder = UiService::Current().BrowseForFolder(nullptr, {});
    locationEdit_->setText(folder ? QString::fromStdString(*folder) : QString());
}

void CNewProjectDlg::OnAdd()
{
    FileDialogRequest request;
    request.owner = this;
    request.filter = "HTML Files (*.html;*htm)|*.html;*.htm|CGI Files (*.pl;*.cgi)|*.pl;*.cgi||";
    request.flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_NOCHANGEDIR;
    const auto path = UiService::Current().FileDialog(request);
    if (!path)
        return;
    const QString text = QString::fromStdString(*path);
    for (int i = 0; i < fileList_->topLevelItemCount(); ++i)
        if (fileList_->topLevelItem(i)->text(0).compare(text, Qt::CaseInsensitive) == 0) {
            MessageBox(this, J("指定のファイルは既に登録されています"), J("通知"), MB_OK);
            return;
        }
    // A path that an entry could not hold is refused now, not cut later.
    if (!FitsProjectEntry(sjis::FromUtf8(*path))) {
        MessageBox(this, J("パスが長すぎるため、プロジェクトに登録できません。\n") + sjis::FromUtf8(*path),
                   "Error", MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    const int kind = IsHtmlFileName(FileNameOfPath(*path)) ? PROJECT_ENTRY::kHtml : PROJECT_ENTRY::kScript;
    auto* item = new QTreeWidgetItem(QStringList{text});
    item->setIcon(0, ListIcon(kind));
    item->setData(0, Qt::UserRole, kind);
    fileList_->insertTopLevelItem(0, item);
    const int width = QFontMetrics(font()).horizontalAdvance(text);
    if (width > widestText_) {
        widestText_ = width;
        fileList_->setColumnWidth(0, width);
    }
}

void CNewProjectDlg::OnRemove()
{
    const QList<QTreeWidgetItem*> selected = fileList_->selectedItems();
    if (!selected.isEmpty())
        delete selected.front();
}

void CNewProjectDlg::OnOK()
{
    const std::string name = nameEdit_->text().toStdString();
    if (name.empty()) {
        MessageBox(this, J("プロジェクト名が入力されていません。"), J("通知"), MB_OK);
        return;
    }
    const std::string location = locationEdit_->text().toStdString();
    if (location.empty()) {
        MessageBox(this, J("プロジェクトフォルダの位置が設定されていません"), J("通知"), MB_OK);
        return;
    }
    const std::string folder = location + "/" + name;
    std::error_code ec;
    if (std::filesystem::symlink_status(folder, ec).type() != std::filesystem::file_type::not_found &&
        MessageBox(this, J("既に同名のプロジェクトがあります。上書きしますか?"), J("通知"),
                   MB_YESNO | MB_ICONQUESTION) != IDYES) {
        nameEdit_->clear();
        return;
    }
    entries_.clear();
    for (int i = 0; i < fileList_->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = fileList_->topLevelItem(i);
        auto entry = std::make_unique<PROJECT_ENTRY>();
        entry->SetPath(sjis::FromUnicode(item->text(0)));
        entry->kind = item->data(0, Qt::UserRole).toInt();
        entries_.push_back(std::move(entry));
    }
    folder_ = folder;
    projectName_ = name;
    accept();
}
