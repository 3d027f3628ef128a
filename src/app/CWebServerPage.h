// The settings dialog's second page: the local web server the preview runs
// scripts through, its document root and the address it answers on.
#pragma once

#include "app/CSettingPage.h"

class QLineEdit;

class CWebServerPage : public CSettingPage {
    Q_OBJECT
public:
    // The page's template in the resource script.
    static constexpr UINT kDialogId = 134;

    explicit CWebServerPage(QWidget* parent = nullptr);

    void Load() override;

protected:
    DWORD Write() override;

private:
    QLineEdit* webApp_;
    QLineEdit* rootDir_;
    QLineEdit* localhostIp_;
};
