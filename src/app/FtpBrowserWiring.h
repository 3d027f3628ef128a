// What the application gives the FTP browser: the open project's folder,
// the name dialog, the dialog layouts of the resource script, and the
// re-reading of the FTP account when the settings dialog closes with OK.
#pragma once

#include "app/SettingsReader.h"
#include "ftp/FtpHooks.h"

class CKESTRIX_2App;
class CFtpView;

class FtpBrowserWiring : public FtpHooks, public SettingsReader {
public:
    FtpBrowserWiring(CKESTRIX_2App& app, CFtpView& view);

    std::string GetProjectFolder() const override;
    std::optional<std::string> AskName(QWidget* owner, int mode) override;
    void BuildDialog(QWidget* dialog, UINT templateId, const std::map<int, Maker>& makers) override;
    void ReloadSettings() override;
    bool CanPublish() const override;
    void PublishProject() override;

private:
    CKESTRIX_2App& app_;
    CFtpView& view_;
};
