// Wires the project tree into the application: the application's project
// commands, their states and the project folder reach the tree through
// ProjectHost; the tree reaches the editor windows, the document template,
// the dialog layouts and the runs through ProjectTreeHost; the editor's
// reports of edited subs reach the tree through EditorHooks.
#pragma once

#include "app/ProjectHost.h"
#include "editor/EditorHooks.h"
#include "project/ProjectTreeHost.h"

class CKESTRIX_2App;
class CProjectView;

class CProjectBridge : public ProjectHost, public ProjectTreeHost {
public:
    CProjectBridge(CKESTRIX_2App& app, CProjectView& tree);

    // ---- ProjectHost ----
    std::string GetProjectFolder() const override;
    void AddFile(const std::string& path) override;
    void OpenProject() override;
    void NewProject() override;
    void SaveProject() override;
    void CloseProject() override;
    bool IsProjectModified() const override;
    bool HasProjectName() const override;
    void ReloadAppSettings() override;
    bool SaveModifiedOnExit() override;

    // ---- ProjectTreeHost ----
    CRichEditCtrl* OpenDocumentFile(const std::string& localPath) override;
    bool HasEditorWindowsToClose() const override;
    void CloseEditorWindows() override;
    void ExecuteFile(const std::string& folder, const std::string& file) override;
    void BuildDialog(QWidget* dialog, UINT id, const std::map<int, ControlMaker>& makers) override;

private:
    CKESTRIX_2App& app_;
    CProjectView& tree_;
};

// The editor's reports of edited subs, handed to the project tree. The
// other hooks keep doing nothing here until their parts are wired.
class CProjectEditorHooks : public EditorHooks {
public:
    explicit CProjectEditorHooks(CProjectView& tree) : tree_(tree) {}
    void RemoveSubs(const std::string& frameTitle, const std::string& text) override;
    void AddSubs(const std::string& frameTitle, const std::string& text) override;
    void RescanSubs(CKESTRIX_2View* view, const std::string& frameTitle) override;

private:
    CProjectView& tree_;
};
