#include "app/FtpBrowserWiring.h"

#include "app/CKESTRIX_2App.h"
#include "app/CNameInputDlg.h"
#include "app/builders/CDialogBuilder.h"
#include "ftp/CFtpView.h"
#include "platform/ui/UiService.h"

FtpBrowserWiring::FtpBrowserWiring(CKESTRIX_2App& app, CFtpView& view) : app_(app), view_(view) {}

std::string FtpBrowserWiring::GetProjectFolder() const
{
    return app_.GetProjectFolder();
}

std::optional<std::string> FtpBrowserWiring::AskName(QWidget* owner, int mode)
{
    CNameInputDlg dialog(owner);
    dialog.SetMode(mode);
    if (dialog.DoModal() != IDOK)
        return std::nullopt;
    return dialog.GetName();
}

void FtpBrowserWiring::BuildDialog(QWidget* dialog, UINT templateId, const std::map<int, Maker>& makers)
{
    CDialogBuilder builder(templateId);
    for (const auto& [id, maker] : makers)
        builder.Use(id, maker);
    builder.Build(dialog);
}

bool FtpBrowserWiring::CanPublish() const
{
    return !app_.GetProjectFolder().empty();
}

void FtpBrowserWiring::PublishProject()
{
    app_.OnPublish();
}

void FtpBrowserWiring::ReloadSettings()
{
    view_.ReadFtpSettings();
}
