// What the application asks of the project tree: the project's folder, new
// files joining the project, the project commands of the file menu and their
// states. The project work supplies the real one; until then the
// application uses this one, which has no project and does nothing.
#pragma once

#include <string>

class ProjectHost {
public:
    virtual ~ProjectHost() = default;

    // The folder of the open project, a local path; empty without a project.
    virtual std::string GetProjectFolder() const { return {}; }
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

    // The settings dialog was closed with OK: read the application paths
    // (the HTML editor) again.
    virtual void ReloadAppSettings() {}
};
