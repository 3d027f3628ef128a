// The settings dialog: the editor's font, size and colours, the command
// tips, the FTP account, on two tab pages the paths of the helper programs
// and the local web server, and on a third how many previous versions the
// saves keep. Opening it shows the stored settings; OK checks the fields
// that take numbers (a wrong one is told and nothing is written), then
// writes them all and says how that went; Cancel writes nothing.
#pragma once

#include "platform/registry/SettingsStore.h"

#include <QDialog>

class CColorSwatch;
class CFaceComboBox;
class CPointSizeComboBox;
class CTabPageCtrl;
class QCheckBox;
class QLineEdit;

class CSettingDlg : public QDialog {
    Q_OBJECT
public:
    // The dialog's template in the resource script.
    static constexpr UINT kDialogId = 136;

    explicit CSettingDlg(QWidget* parent = nullptr);

    // Runs the dialog: IDOK after OK, IDCANCEL otherwise.
    int DoModal();

    // Whether command tips were switched on: the check box as OK left it,
    // until then as the settings had it.
    bool TipsChecked() const { return tipsChecked_; }

private:
    void CreateControls();
    void LoadSettings();
    void FillFaceBox();
    void OnOK();
    settings::FontSettings FontToSave() const;

    settings::FontSettings loaded_;
    bool tipsChecked_ = false;

    CFaceComboBox* face_ = nullptr;
    CPointSizeComboBox* size_ = nullptr;
    CColorSwatch* commentColor_ = nullptr;
    CColorSwatch* commandColor_ = nullptr;
    QCheckBox* tips_ = nullptr;
    QLineEdit* ftpUrl_ = nullptr;
    QLineEdit* userId_ = nullptr;
    QLineEdit* password_ = nullptr;
    CTabPageCtrl* tabs_ = nullptr;
};
