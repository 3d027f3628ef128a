// The version dialog (dialog 100): the program's picture and an OK button.
#pragma once

#include "platform/base/WinTypes.h"

#include <QDialog>

class QLabel;

class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    // The dialog's template in the resource script.
    static constexpr UINT kDialogId = 100;

    explicit CAboutDlg(QWidget* parent = nullptr);

    // Runs the dialog; IDOK once it is closed with OK, else IDCANCEL.
    int DoModal();

    QLabel* Picture() const { return picture_; }

private:
    QLabel* picture_ = nullptr;
};
