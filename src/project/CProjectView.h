// The project tree in the workspace bar's "ProjectView" tab. It is at the
// same time the open project (it derives from CProjectData): the project's
// name, the group "Source Files" with the scripts and, under each script,
// the subs declared in it, and the group "Html Files" with the HTML pages.
// It carries the project commands, opens files on double-click, and keeps
// each script's subs current: scans on worker threads list them when a
// project opens, and the editor reports every edit.
//
// Every item's image is its type, and every command decides by it. A file
// item holds a pointer to its entry (used on this thread only) and an id;
// the id, never the item, is what a scan carries to its worker and back.
#pragma once

#include "platform/base/WinTypes.h"
#include "project/CProjectData.h"
#include "project/CSubScanWorkers.h"

#include <QTreeWidget>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

class CRichEditCtrl;
class ProjectTreeHost;

class CProjectView : public QTreeWidget, public CProjectData {
    Q_OBJECT
public:
    enum Image { kProjectImage = 0, kGroupImage = 1, kScriptImage = 2, kHtmlImage = 3, kSubImage = 4 };

    static constexpr UINT kWindowId = 108;
    static constexpr UINT kContextMenu = 134;
    static constexpr UINT kAddFileCommand = 32775;
    static constexpr UINT kRemoveFileCommand = 32776;
    static constexpr UINT kCloseCommand = 32779;
    static constexpr UINT kDebugCommand = 32790;
    static constexpr UINT kRunCommand = 32794;

    explicit CProjectView(QWidget* parent = nullptr);
    ~CProjectView() override;

    // The parts above the tree; nullptr goes back to one that does nothing.
    // Not owned.
    void SetHost(ProjectTreeHost* host);
    ProjectTreeHost& Host() const { return *host_; }

    // Reads the HTML editor's path, when the tree's window is created and
    // again after the settings dialog; false (the path empty) when the
    // application settings are missing.
    bool LoadAppSettings();
    const std::string& HtmlEditorPath() const { return htmlEditor_; }

    // ---- the project commands ----
    void OpenProject();
    bool NewProject();
    void CloseProject();
    // Copies a file (a local path) into the project folder and registers it.
    bool AddFile(const std::string& localPath);
    void RemoveSelectedFile();
    void RebuildTree();
    // The commands of the pop-up menu.
    bool OnCommand(UINT id);
    // The pop-up menu's commands for an item of the image, in menu order
    // (0 a separator); empty where no menu appears.
    static std::vector<UINT> ContextCommands(int image);
    // What a double-click on the item does.
    void OnDoubleClick(QTreeWidgetItem* item);

    // ---- the items ----
    // The first child of parent whose text equals the text (code page 932)
    // exactly; a missing parent means "Source Files".
    QTreeWidgetItem* FindChildItem(QTreeWidgetItem* parent, const std::string& cp932Text) const;
    QTreeWidgetItem* SourceFilesItem() const { return sourceFiles_; }
    QTreeWidgetItem* HtmlFilesItem() const { return htmlFiles_; }
    static int ImageOf(const QTreeWidgetItem* item);
    static PROJECT_ENTRY* EntryOf(const QTreeWidgetItem* item);
    // The names of a script item's subs, in tree order.
    static std::vector<std::string> SubNames(const QTreeWidgetItem* script);

    // ---- the subs ----
    // One file scan per script of the tree.
    void StartSubScans();
    // The editor's reports, by its frame title: the subs declared in a text
    // just inserted are added, those in a text just deleted removed, and a
    // rescan makes the script's subs follow the editor's whole text.
    void AddSubsFromText(const std::string& fileName, const std::string& text);
    void RemoveSubsInText(const std::string& fileName, const std::string& text);
    void RescanSubs(const std::string& fileName, const std::string& cp932Text);
    // The same for a text as the editor control holds it, which reaches the
    // worker without a conversion on this thread.
    void RescanText(const std::string& fileName, QString text);
    CSubScanWorkers& Scans() { return scans_; }

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    QTreeWidgetItem* AddFileItem(PROJECT_ENTRY* entry);
    QTreeWidgetItem* ScriptById(std::uint64_t id) const;
    void StartFileScan(QTreeWidgetItem* script);
    void OnScanResult(const ScanResult& result);
    void ForgetScans();
    void OpenScript(const PROJECT_ENTRY& entry);
    void OpenSub(QTreeWidgetItem* sub);
    void OpenHtmlPage(const PROJECT_ENTRY& entry);
    bool FileIsThere(const PROJECT_ENTRY& entry);
    void RunSelected(UINT id);

    ProjectTreeHost* host_;
    std::string htmlEditor_;
    QTreeWidgetItem* sourceFiles_ = nullptr;
    QTreeWidgetItem* htmlFiles_ = nullptr;
    std::uint64_t nextItemId_ = 1;
    // The script items by their ids; only this thread reads it.
    std::unordered_map<std::uint64_t, QTreeWidgetItem*> scripts_;
    // One rescan per script at a time: a text that comes while one runs
    // waits, and only the newest waiting text is scanned after it.
    struct Rescan {
        bool running = false;
        std::optional<QString> waiting;
    };
    std::map<std::uint64_t, Rescan> rescans_;
    CSubScanWorkers scans_;
};
