// What the FTP browser and its transfer dialog need from the application
// above them: the open project's folder, the name dialog, and the layout of
// a dialog template. The application wires the real ones; this base serves
// where none is wired (no project, no name, the controls in a plain column).
#pragma once

#include "platform/base/WinTypes.h"

#include <QWidget>
#include <functional>
#include <map>
#include <optional>
#include <string>

class FtpHooks {
public:
    using Maker = std::function<QWidget*(QWidget* parent)>;

    virtual ~FtpHooks() = default;

    // The folder of the open project, a local path; empty without one.
    virtual std::string GetProjectFolder() const { return {}; }
    // The name dialog: mode 0 asks for a file name, 1 for a folder name.
    // The name (code page 932), or nothing when the user cancelled.
    virtual std::optional<std::string> AskName(QWidget* owner, int mode)
    {
        (void)owner;
        (void)mode;
        return std::nullopt;
    }
    // Whether a project is open to publish, and its publish (the
    // application's command, on its own connection).
    virtual bool CanPublish() const { return false; }
    virtual void PublishProject() {}
    // Lays the dialog template out on the widget: one child per control,
    // named after its id; the controls with makers are made by them.
    virtual void BuildDialog(QWidget* dialog, UINT templateId, const std::map<int, Maker>& makers);
};
