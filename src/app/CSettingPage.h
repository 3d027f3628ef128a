// A page of the settings dialog's tab control: a fixed-size panel that
// loads its group of settings when the dialog opens and writes it on OK.
#pragma once

#include "app/DialogUnits.h"
#include "platform/WinTypes.h"

#include <QWidget>
#include <string>

class QLabel;
class QLineEdit;
class QPushButton;

class CSettingPage : public QWidget {
    Q_OBJECT
public:
    // Pages are 275 x 53 dialog units.
    static constexpr int kWidth = 275;
    static constexpr int kHeight = 53;

    explicit CSettingPage(QWidget* parent = nullptr);

    // Shows the stored values.
    virtual void Load() = 0;
    // Writes the shown values. A failure is told to the user here, with the
    // system's text for it, and gives false.
    bool Save();

protected:
    // Writes the values; 0 or the error code.
    virtual DWORD Write() = 0;

    const DialogUnits& Units() const { return units_; }
    QLabel* AddLabel(const char* utf8, int x, int y, int cx, int cy);
    QLineEdit* AddEdit(int id, int x, int y, int cx, int cy);
    QPushButton* AddButton(int id, const char* utf8, int x, int y, int cx, int cy);

    // A file chosen in an open dialog goes into the edit; a cancelled dialog
    // leaves it as it was. Programs are looked for as "*.exe" first, but any
    // file may be chosen: on this system programs have no extension.
    void BrowseForProgram(QLineEdit* edit, const char* titleUtf8);
    // The same for a folder.
    void BrowseForFolder(QLineEdit* edit);

    // Edit texts as the settings hold them (code page 932), and back.
    static std::string Text(const QLineEdit* edit);
    static void SetText(QLineEdit* edit, const std::string& cp932);

private:
    DialogUnits units_;
};
