// The settings dialog's first page: the paths of the HTML editor and of the
// Perl interpreter.
#pragma once

#include "app/CSettingPage.h"

class QLineEdit;

class CAppPathPage : public CSettingPage {
    Q_OBJECT
public:
    // The page's template in the resource script.
    static constexpr UINT kDialogId = 137;

    explicit CAppPathPage(QWidget* parent = nullptr);

    void Load() override;

protected:
    DWORD Write() override;

private:
    QLineEdit* htmlApp_;
    QLineEdit* perlApp_;
};
