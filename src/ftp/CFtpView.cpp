#include "ftp/CFtpView.h"

#include "ftp/CFtpTransferDLG.h"
#include "ftp/FtpFileKind.h"
#include "ftp/FtpHooks.h"
#include "ftp/FtpIcons.h"
#include "ftp/FtpTexts.h"
#include "platform/registry/SettingsStore.h"
#include "platform/resources/ProgramResources.h"
#include "platform/text/Sjis.h"
#include "platform/ui/UiService.h"
#include "platform/wininet/CFtpConnection.h"
#include "platform/wininet/CFtpFileFind.h"
#include "platform/wininet/InternetState.h"

#include <QApplication>
#include <QMenu>
#include <algorithm>
#include <filesystem>

using ftptexts::Text;

namespace {

constexpr int kKindRole = Qt::UserRole;
constexpr int kNameRole = Qt::UserRole + 1;
const char* const kAppTitle = "KESTRIX_2";

// The wait cursor for the length of a blocking call.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
};

} // namespace

CFtpView::CFtpView(QWidget* parent)
    : QTreeWidget(parent), defaultHooks_(std::make_unique<FtpHooks>()), hooks_(defaultHooks_.get())
{
    setHeaderHidden(true);
    setColumnCount(1);
    setIconSize(QSize(ftpicons::kSize, ftpicons::kSize));
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this, &CFtpView::ShowContextMenu);
    connect(this, &QTreeWidget::itemExpanded, this, &CFtpView::OnItemExpanded);
    ShowOfflineTree();
}

CFtpView::~CFtpView() = default;

void CFtpView::SetHooks(FtpHooks* hooks)
{
    hooks_ = hooks ? hooks : defaultHooks_.get();
}

bool CFtpView::ReadFtpSettings()
{
    settings::FtpAccount account;
    bool read = settings::LoadFtpAccount(account);
    server_ = account.url;
    user_ = account.user;
    password_ = account.password;
    return read;
}

std::string CFtpView::ItemName(const QTreeWidgetItem* item)
{
    return item->data(0, kNameRole).toByteArray().toStdString();
}

int CFtpView::ItemKind(const QTreeWidgetItem* item)
{
    return item->data(0, kKindRole).toInt();
}

std::string CFtpView::GetItemPath(const QTreeWidgetItem* item) const
{
    std::string path;
    for (; item && item->parent(); item = item->parent())
        path = "/" + ItemName(item) + path;
    return path.empty() ? "/" : path;
}

void CFtpView::SetLinesAtRoot(bool on)
{
    setRootIsDecorated(on);
}

QTreeWidgetItem* CFtpView::AddItem(QTreeWidgetItem* parent, const std::string& name, int kind)
{
    auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(this);
    item->setText(0, sjis::ToUnicode(name));
    item->setData(0, kNameRole, QByteArray::fromStdString(name));
    item->setData(0, kKindRole, kind);
    item->setIcon(0, ftpicons::Icon(kind));
    return item;
}

void CFtpView::AddPlaceholder(QTreeWidgetItem* item)
{
    auto* placeholder = new QTreeWidgetItem(item);
    placeholder->setText(0, QStringLiteral("1"));
    placeholder->setData(0, kKindRole, ftpkind::kPlaceholder);
    placeholder->setIcon(0, ftpicons::Icon(ftpkind::kDirectory));
}

void CFtpView::SortChildren(QTreeWidgetItem* item)
{
    QList<QTreeWidgetItem*> children = item->takeChildren();
    std::stable_sort(children.begin(), children.end(), [](auto* a, auto* b) {
        if (ItemKind(a) != ItemKind(b))
            return ItemKind(a) < ItemKind(b);
        return ItemName(a) < ItemName(b);
    });
    item->addChildren(children);
}

void CFtpView::ShowOfflineTree()
{
    clear();
    SetLinesAtRoot(false);
    auto* root = new QTreeWidgetItem(this);
    root->setText(0, QStringLiteral("現在、FTPには接続されていません"));
    root->setIcon(0, ftpicons::Icon(ftpkind::kOffline));
}

void CFtpView::Connect()
{
    connection_.reset();
    connected_ = false;
    if (server_.empty()) {
        MessageBox(this, Text("FTPサーバーのアドレスが無効です"), kAppTitle, MB_OK);
        BuildConnectedTree();
        return;
    }
    std::unique_ptr<CFtpConnection> connection;
    {
        WaitCursor wait;
        auto connected = CFtpConnection::Connect(server_, user_, password_);
        if (!connected) {
            std::string text = ftptexts::ErrorText(connected.error());
            if (!text.empty())
                MessageBox(this, text, kAppTitle, MB_OK);
            else
                MessageBox(this, Text("FTPのセッションに失敗しました"), Text("通知"), MB_OK);
            Disconnect();
            return;
        }
        connection = std::move(*connected);
    }
    connection_ = std::move(connection);
    connected_ = true;
    BuildConnectedTree();
}

void CFtpView::Disconnect()
{
    connection_.reset();
    connected_ = false;
    ShowOfflineTree();
}

void CFtpView::BuildConnectedTree()
{
    WaitCursor wait;
    clear();
    if (!connection_) {
        SetLinesAtRoot(false);
        auto* root = new QTreeWidgetItem(this);
        root->setText(0, QStringLiteral("FTPセッションが確立していません"));
        root->setIcon(0, ftpicons::Icon(ftpkind::kOffline));
        return;
    }
    std::string url = connection_->GetCurrentDirectoryAsURL();
    url.pop_back();
    auto* root = AddItem(nullptr, url, ftpkind::kDirectory);
    root->setIcon(0, ftpicons::Icon(ftpkind::kServer));
    AddPlaceholder(root);
    root->setExpanded(true);
    SetLinesAtRoot(root->childCount() > 0);
}

void CFtpView::OnItemExpanded(QTreeWidgetItem* item)
{
    if (item->childCount() > 0 && connected_)
        ListDirectory(GetItemPath(item), item);
}

void CFtpView::ListDirectory(const std::string& path, QTreeWidgetItem* item)
{
    WaitCursor wait;
    if (!InternetGetConnectedState()) {
        Disconnect();
        return;
    }
    qDeleteAll(item->takeChildren());
    CFtpFileFind finder(*connection_);
    if (!finder.FindFile(path == "/" ? "/*" : path + "/*")) {
        finder.Close();
        return;
    }
    bool more = true;
    while (more) {
        more = finder.FindNextFile();
        // "." and "..", and names that cannot stand as one path component,
        // are not shown: nothing could be done with them safely.
        if (!ftplisting::IsSafeEntryName(finder.GetFileName()))
            continue;
        if (finder.IsDirectory())
            AddPlaceholder(AddItem(item, finder.GetFileName(), ftpkind::kDirectory));
        else
            AddItem(item, finder.GetFileName(), ftpkind::GetFileKind(finder.GetFileName()));
    }
    finder.Close();
    SortChildren(item);
}

std::unique_ptr<QMenu> CFtpView::CreateContextMenu()
{
    if (connected_ && !InternetGetConnectedState())
        Disconnect();
    const MenuResource& resource = ProgramResources::Menu(kMenuId);
    auto menu = std::make_unique<QMenu>(this);
    const bool selected = currentItem() != nullptr;
    std::function<void(QMenu*, const std::vector<MenuItemResource>&)> fill =
        [&](QMenu* into, const std::vector<MenuItemResource>& items) {
            for (const auto& entry : items) {
                if (entry.IsSeparator()) {
                    into->addSeparator();
                } else if (entry.IsPopup()) {
                    fill(into->addMenu(QString::fromStdString(entry.caption)), entry.items);
                } else {
                    QAction* action = into->addAction(QString::fromStdString(entry.caption));
                    const UINT id = entry.id;
                    action->setData(id);
                    if (id == kPublish)
                        action->setEnabled(hooks_->CanPublish());
                    else if (!connected_)
                        action->setEnabled(id == kConnect);
                    else
                        action->setEnabled(id == kConnect ? false : id == kDisconnect ? true : selected);
                    connect(action, &QAction::triggered, this, [this, id] { OnCommand(id); });
                }
            }
        };
    fill(menu.get(), resource.items.front().items);
    return menu;
}

void CFtpView::ShowContextMenu(const QPoint& pos)
{
    auto menu = CreateContextMenu();
    menu->exec(viewport()->mapToGlobal(pos));
}

void CFtpView::OnCommand(UINT id)
{
    switch (id) {
    case kConnect: Connect(); break;
    case kDisconnect: Disconnect(); break;
    case kDownload: Download(); break;
    case kUploadFile: UploadFile(); break;
    case kUploadDirectory: UploadDirectory(); break;
    case kUploadProject: UploadProjectFolder(); break;
    case kDelete: Delete(); break;
    case kCreateDirectory: CreateDirectory(); break;
    case kRename: Rename(); break;
    case kPublish: hooks_->PublishProject(); break;
    default: break;
    }
}

void CFtpView::ReportRefusal()
{
    MessageBox(this, ftptexts::ErrorText(connection_->LastError()), "Error", MB_OK | MB_ICONERROR);
}

void CFtpView::Download()
{
    QTreeWidgetItem* item = currentItem();
    if (!item || !connected_)
        return;
    FileDialogRequest ask;
    ask.kind = FileDialogKind::Save;
    ask.owner = window();
    ask.title = Text("ダウンロード先の指定");
    ask.initialName = item->parent() ? ItemName(item) : std::string();
    ask.flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_NOCHANGEDIR;
    ask.filter = "ALL File *|*||";
    auto path = UiService::Current().FileDialog(ask);
    if (!path)
        return;
    CFtpTransferDLG dialog(*hooks_, window());
    dialog.request.remotePath = GetItemPath(item);
    dialog.request.localPath = *path;
    dialog.request.server = server_;
    dialog.request.user = user_;
    dialog.request.password = password_;
    dialog.request.download = true;
    dialog.request.binary = true;
    // A folder is a folder also when its listing came back empty.
    dialog.request.directory = ItemKind(item) == ftpkind::kDirectory || item->childCount() > 0;
    if (dialog.DoModal() == CFtpTransferDLG::kCompleted)
        MessageBox(this, Text("ダウンロード処理の完了"), kAppTitle, MB_OK);
}

void CFtpView::UploadFile()
{
    FileDialogRequest ask;
    ask.kind = FileDialogKind::Open;
    ask.owner = window();
    ask.title = Text("アップロードファイルの選択");
    ask.flags = OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    ask.filter = "All File *.*|*||";
    if (auto path = UiService::Current().FileDialog(ask))
        UploadLocal(*path, false);
}

void CFtpView::UploadDirectory()
{
    if (auto path = UiService::Current().BrowseForFolder(window(), {}))
        UploadLocal(*path, true);
}

void CFtpView::UploadProjectFolder()
{
    std::string folder = hooks_->GetProjectFolder();
    if (!folder.empty())
        UploadLocal(folder, true);
}

bool CFtpView::UploadLocal(const std::string& localPath, bool isDirectory)
{
    QTreeWidgetItem* selected = currentItem();
    if (localPath.empty() || !selected || !connected_)
        return false;
    std::string name = ftptexts::LocalName(localPath);
    QTreeWidgetItem* target = ItemKind(selected) == ftpkind::kDirectory ? selected : selected->parent();
    if (!target)
        return false;
    const bool insert = target != selected || target->isExpanded() || target->childCount() == 0;
    std::error_code error;
    if (!std::filesystem::exists(localPath, error)) {
        MessageBox(this, Text("ファイル情報の取得に失敗しました"), "Error", MB_OK);
        return false;
    }
    CFtpTransferDLG dialog(*hooks_, window());
    dialog.request.remotePath = GetItemPath(target);
    dialog.request.localPath = localPath;
    dialog.request.server = server_;
    dialog.request.user = user_;
    dialog.request.password = password_;
    dialog.request.download = false;
    dialog.request.binary = true;
    dialog.request.directory = isDirectory;
    if (dialog.DoModal() != CFtpTransferDLG::kCompleted)
        return false;
    if (insert) {
        bool present = false;
        for (int i = 0; i < target->childCount(); ++i)
            present = present || ItemName(target->child(i)) == name;
        if (!present) {
            int kind = isDirectory ? ftpkind::kDirectory : ftpkind::GetFileKind(name);
            QTreeWidgetItem* item = AddItem(target, name, kind);
            if (isDirectory)
                AddPlaceholder(item);
        }
    }
    MessageBox(this, Text("ファイルのアップロード処理の完了"), kAppTitle, MB_OK);
    return true;
}

void CFtpView::Delete()
{
    QTreeWidgetItem* item = currentItem();
    if (!item || !connected_ || !item->parent())
        return;
    std::string path = GetItemPath(item);
    if (ItemKind(item) != ftpkind::kDirectory) {
        if (!connection_->Remove(path)) {
            ReportRefusal();
            return;
        }
        delete item;
        return;
    }
    if (MessageBox(this, Text("ディレクトリを削除しようとしています。\nこのまま内部ファイル毎削除しますか?"),
                   Text("通知"), MB_OKCANCEL) != IDOK)
        return;
    CFtpFileFind finder(*connection_);
    WaitCursor wait;
    if (DeleteRemoteTree(finder, path + "/*") && connection_->RemoveDirectory(path)) {
        MessageBox(this, Text("ディレクトリを削除しました。"), Text("通知"), MB_OK);
        delete item;
    } else {
        MessageBox(this, Text("ディレクトリの削除に失敗しました"), "Error", MB_OK);
        // What was removed before the failure is gone: list the folder again.
        if (item->isExpanded())
            ListDirectory(path, item);
    }
    finder.Close();
}

bool CFtpView::DeleteRemoteTree(CFtpFileFind& finder, const std::string& pattern)
{
    if (!finder.FindFile(pattern))
        return true;
    bool more = true;
    while (more) {
        more = finder.FindNextFile();
        if (finder.IsDots())
            continue;
        const std::string name = finder.GetFileName();
        const std::string path = finder.GetFilePath();
        if (!ftplisting::IsSafeEntryName(name)) {
            finder.Close();
            return false;
        }
        if (!finder.IsDirectory()) {
            if (!connection_->Remove(path)) {
                finder.Close();
                return false;
            }
            continue;
        }
        if (!DeleteRemoteTree(finder, path + "/*"))
            return false;
        // The sub-folder's walk replaced this listing: open it again and
        // go on after the sub-folder's entry (the files removed before it
        // are no longer listed).
        more = finder.FindFile(pattern);
        while (more) {
            more = finder.FindNextFile();
            if (finder.GetFileName() == name)
                break;
        }
        if (!connection_->RemoveDirectory(path)) {
            finder.Close();
            return false;
        }
    }
    finder.Close();
    return true;
}

void CFtpView::CreateDirectory()
{
    QTreeWidgetItem* selected = currentItem();
    if (!selected || !connected_)
        return;
    auto name = hooks_->AskName(window(), 1);
    if (!name)
        return;
    if (!ftplisting::IsSafeEntryName(*name)) {
        MessageBox(this, ftptexts::Format(107, {*name}), "Error", MB_OK);
        return;
    }
    QTreeWidgetItem* target = ItemKind(selected) == ftpkind::kDirectory ? selected : selected->parent();
    if (!target)
        return;
    if (!connection_->CreateDirectory(ftptexts::JoinRemote(GetItemPath(target), *name))) {
        ReportRefusal();
        return;
    }
    if (target != selected || target->isExpanded()) {
        QTreeWidgetItem* item = AddItem(target, *name, ftpkind::kDirectory);
        AddPlaceholder(item);
        SortChildren(target);
    }
}

void CFtpView::Rename()
{
    auto name = hooks_->AskName(window(), 0);
    if (!name)
        return;
    QTreeWidgetItem* item = currentItem();
    if (!item || !item->parent() || !connected_)
        return;
    if (!ftplisting::IsSafeEntryName(*name)) {
        MessageBox(this, ftptexts::Format(107, {*name}), "Error", MB_OK);
        return;
    }
    std::string from = GetItemPath(item);
    std::string to = ftptexts::JoinRemote(GetItemPath(item->parent()), *name);
    if (RemoteExists(to)) {
        MessageBox(this, Text("既に同名のファイルが存在します。"), Text("通知"), MB_OK);
        return;
    }
    if (!connection_->Rename(from, to)) {
        ReportRefusal();
        return;
    }
    item->setText(0, sjis::ToUnicode(*name));
    item->setData(0, kNameRole, QByteArray::fromStdString(*name));
}

bool CFtpView::RemoteExists(const std::string& path)
{
    CFtpFileFind finder(*connection_);
    bool found = finder.FindFile(path);
    finder.Close();
    return found;
}
