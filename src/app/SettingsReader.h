// A part that keeps settings of its own (the FTP browser's account, the
// Perl path of the debug console and of the syntax check) and reads them
// again when the settings dialog is closed with OK. Those parts arrive with
// their own work; until then the application calls this one, which does
// nothing.
#pragma once

class SettingsReader {
public:
    virtual ~SettingsReader() = default;
    virtual void ReloadSettings() {}
};
