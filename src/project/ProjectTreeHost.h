// What the project tree asks of the parts above it: opening a script in an
// editor, the main frame's editor windows, the debug and web-server runs of
// a file, laying out a dialog from the resource script and starting other
// programs. The application wires the real parts in; this one opens
// nothing, runs nothing and leaves a dialog as it is.
#pragma once

#include "platform/base/WinTypes.h"

#include <QWidget>
#include <functional>
#include <map>
#include <string>
#include <vector>

class CRichEditCtrl;

class ProjectTreeHost {
public:
    using ControlMaker = std::function<QWidget*(QWidget* parent)>;

    virtual ~ProjectTreeHost() = default;

    // Opens a script (a local path) in an editor, or brings its window to the
    // front; the editor's control, nullptr when it was not opened.
    virtual CRichEditCtrl* OpenDocumentFile(const std::string& /*localPath*/) { return nullptr; }

    // Whether the tree stands docked in the main frame and the frame has an
    // active editor window: only then does closing the project offer to
    // close the editor windows.
    virtual bool HasEditorWindowsToClose() const { return false; }
    // Closes every editor window, each asking about its own changes.
    virtual void CloseEditorWindows() {}

    // The debug run and the web-server run of a file in the project folder.
    virtual void ExecuteFile(const std::string& /*folder*/, const std::string& /*file*/) {}
    virtual void RunOnWebServer(const std::string& /*folder*/, const std::string& /*file*/) {}
    // The web-server run reads its settings again.
    virtual void ReloadWebServerSettings() {}

    // Lays the dialog of the resource script out on the widget, making the
    // controls with the given ids by their makers.
    virtual void BuildDialog(QWidget* /*dialog*/, UINT /*id*/, const std::map<int, ControlMaker>& /*makers*/)
    {
    }

    // Starts a program with arguments in a working folder (all local paths).
    virtual bool StartProgram(const std::string& program, const std::vector<std::string>& arguments,
                              const std::string& folder);
    // Opens a file in the application the desktop associates with it.
    virtual bool OpenWithDesktop(const std::string& localPath);
};
