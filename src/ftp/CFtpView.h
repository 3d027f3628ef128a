// The FTP browser in the workspace bar's "FTPView" tab: one server's folder
// tree, listed a folder at a time as the user opens it, with a context menu
// to connect, disconnect, download, upload a file, a folder or the project
// folder, delete, create a folder and rename. Browsing and the small remote
// commands run here on the view's own connection; uploads and downloads run
// in a transfer dialog with a connection of its own.
#pragma once

#include "platform/base/WinTypes.h"

#include <QTreeWidget>
#include <memory>
#include <string>

class CFtpConnection;
class CFtpFileFind;
class FtpHooks;
class QMenu;

class CFtpView : public QTreeWidget {
    Q_OBJECT
public:
    // The context menu's commands.
    static constexpr UINT kConnect = 32771;
    static constexpr UINT kDisconnect = 32772;
    static constexpr UINT kUploadFile = 32773;
    static constexpr UINT kDelete = 32774;
    static constexpr UINT kCreateDirectory = 32775;
    static constexpr UINT kRename = 32776;
    static constexpr UINT kDownload = 32777;
    static constexpr UINT kUploadDirectory = 32781;
    static constexpr UINT kUploadProject = 32785;
    static constexpr UINT kPublish = 32820;
    static constexpr UINT kMenuId = 141;

    explicit CFtpView(QWidget* parent = nullptr);
    ~CFtpView() override;

    // The application's services; a default one (no project) until set.
    void SetHooks(FtpHooks* hooks);

    // Reads the account from the settings; false (all empty) without them.
    // The owner calls it once the view stands in its bar, and again when
    // the settings change.
    bool ReadFtpSettings();

    // Runs a context-menu command as the menu would.
    void OnCommand(UINT id);
    // The context menu for the current state and selection (the caller
    // owns it); right click shows it at the cursor.
    std::unique_ptr<QMenu> CreateContextMenu();

    bool IsConnected() const { return connected_; }
    // The remote path an item stands for: "/" for the root.
    std::string GetItemPath(const QTreeWidgetItem* item) const;
    // The item's name as the server spells it (code page 932 bytes).
    static std::string ItemName(const QTreeWidgetItem* item);
    static int ItemKind(const QTreeWidgetItem* item);

private:
    void ShowOfflineTree();
    void Connect();
    void Disconnect();
    void BuildConnectedTree();
    void ListDirectory(const std::string& path, QTreeWidgetItem* item);
    void OnItemExpanded(QTreeWidgetItem* item);
    void ShowContextMenu(const QPoint& pos);
    void Download();
    void UploadFile();
    void UploadDirectory();
    void UploadProjectFolder();
    bool UploadLocal(const std::string& localPath, bool isDirectory);
    void Delete();
    bool DeleteRemoteTree(CFtpFileFind& finder, const std::string& pattern);
    void CreateDirectory();
    void Rename();
    bool RemoteExists(const std::string& path);
    // Shows the server's reply to a refused command.
    void ReportRefusal();

    QTreeWidgetItem* AddItem(QTreeWidgetItem* parent, const std::string& name, int kind);
    static void AddPlaceholder(QTreeWidgetItem* item);
    static void SortChildren(QTreeWidgetItem* item);
    void SetLinesAtRoot(bool on);

    std::unique_ptr<FtpHooks> defaultHooks_;
    FtpHooks* hooks_;
    bool connected_ = false;
    std::string server_;
    std::string user_;
    std::string password_;
    std::unique_ptr<CFtpConnection> connection_;
};
