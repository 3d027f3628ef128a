// Wires the project tree into the application: the application's project
// commands, their states and the project folder reach the tree through
// ProjectHost; the tree reaches the editor windows, the document template,
// the dialog layouts and the runs through ProjectTreeHost.
#pragma once

#include "app/ProjectHost.h"
#include "project/ProjectTreeHost.h"

class CKESTRIX_2App;
class CProjectView;

class CProjectBridge : public ProjectHost, public ProjectTreeHost {
public:
    CProjectBridge(CKESTRIX_2App& app, CProjectView& tree);

    // ---- ProjectHost ----
    std::string GetProjectFolder() const override;
    std::vector<std::string> GetProjectFiles() const override;
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
    void RunOnWebServer(const std::string& folder, const std::string& file) override;
    void BuildDialog(QWidget* dialog, UINT id, const std::map<int, ControlMaker>& makers) override;

private:
    CKESTRIX_2App& app_;
    CProjectView& tree_;
};
