// A page of the settings dialog's tab control: a fixed-size panel that
// loads its group of settings when the dialog opens and writes it on OK.
#pragma once

#include "platform/WinTypes.h"

#include <QWidget>
#include <string>

class QLineEdit;

class CSettingPage : public QWidget {
    Q_OBJECT
public:
    // An empty page of the settings pages' size, 275 x 53 dialog units.
    static constexpr int kWidth = 275;
    static constexpr int kHeight = 53;
    explicit CSettingPage(QWidget* parent = nullptr);
    // A page laid out from its dialog template; the template's caption is
    // the page's title, which its tab shows.
    explicit CSettingPage(UINT dialogId, QWidget* parent = nullptr);

    // Shows the stored values.
    virtual void Load() = 0;
    // Writes the shown values. A failure is told to the user here, with the
    // system's text for it, and gives false.
    bool Save();

protected:
    // Writes the values; 0 or the error code.
    virtual DWORD Write() = 0;

    // A file chosen in an open dialog goes into the edit; a cancelled dialog
    // leaves it as it was. Programs are looked for as "*.exe" first, but any
    // file may be chosen: on this system programs have no extension.
    void BrowseForProgram(QLineEdit* edit, const char* titleUtf8);
    // The same for a folder.
    void BrowseForFolder(QLineEdit* edit);

    // Edit texts as the settings hold them (code page 932), and back.
    static std::string Text(const QLineEdit* edit);
    static void SetText(QLineEdit* edit, const std::string& cp932);
};
