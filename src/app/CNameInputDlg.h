// Asks for the name of a new file or folder. OK refuses an empty name and
// one with double-byte characters, telling the user why, and stays open.
#pragma once

#include "platform/base/WinTypes.h"

#include <QDialog>
#include <string>

class QLabel;
class QLineEdit;

class CNameInputDlg : public QDialog {
    Q_OBJECT
public:
    // The dialog's template in the resource script.
    static constexpr UINT kDialogId = 140;
    static constexpr int kFileMode = 0;
    static constexpr int kDirectoryMode = 1;

    explicit CNameInputDlg(QWidget* parent = nullptr);

    // 0 asks for a file name, 1 for a folder name; the caption and the
    // prompt follow.
    void SetMode(int mode);
    int Mode() const { return mode_; }

    // The name as OK took it, code page 932.
    const std::string& GetName() const { return name_; }

    // Runs the dialog: IDOK once a name was accepted, IDCANCEL otherwise.
    int DoModal();

private:
    void OnOK();
    // Keeps the edit to what code page 932 holds: a character it cannot
    // hold shows as "?" at once, as it will be taken.
    void KeepCodePage932();

    int mode_ = -1;
    std::string name_;
    QLabel* icon_ = nullptr;
    QLabel* prompt_ = nullptr;
    QLineEdit* edit_ = nullptr;
};
