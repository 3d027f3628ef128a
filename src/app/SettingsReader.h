// A part that keeps settings of its own (the FTP browser's account, the
// Perl path of the debug console and of the syntax check) and reads them
// again when the settings dialog is closed with OK. Those parts arrive with
// their own work; until then the application calls this one, which does
// nothing.
#pragma once

#include <functional>

class SettingsReader {
public:
    virtual ~SettingsReader() = default;
    virtual void ReloadSettings() {}
};

// A reader that calls a function of the part it stands for.
class CallSettingsReader : public SettingsReader {
public:
    explicit CallSettingsReader(std::function<void()> reload) : reload_(std::move(reload)) {}
    void ReloadSettings() override { reload_(); }

private:
    std::function<void()> reload_;
};
