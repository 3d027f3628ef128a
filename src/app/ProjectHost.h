// What the application asks of the project tree: the project's folder, new
// files joining the project, the project commands of the file menu and their
// states. The project tree answers through CProjectBridge; this one, which
// has no project and does nothing, stands in for it in tests.
#pragma once

#include <string>
#include <vector>

class ProjectHost {
public:
    virtual ~ProjectHost() = default;

    // The folder of the open project, a local path; empty without a project.
    virtual std::string GetProjectFolder() const { return {}; }
    // The files of the open project, local paths, in the project's order.
    virtual std::vector<std::string> GetProjectFiles() const { return {}; }
    // A file just created in the project's folder joins the project.
    virtual void AddFile(const std::string& path) { (void)path; }

    virtual void OpenProject() {}
    virtual void NewProject() {}
    virtual void SaveProject() {}
    virtual void CloseProject() {}
    // Whether the project has changes to save (the save command's state).
    virtual bool IsProjectModified() const { return false; }
    // Whether a project is named (the close command's state).
    virtual bool HasProjectName() const { return false; }

    // The program is about to close: a modified project is offered for
    // saving while the main window is still shown. False keeps the
    // program open (the save failed).
    virtual bool SaveModifiedOnExit() { return true; }

    // The settings dialog was closed with OK: read the application paths
    // (the HTML editor) again.
    virtual void ReloadAppSettings() {}
};
