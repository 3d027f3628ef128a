// A page of the settings dialog's tab control: a fixed-size panel that
// loads its group of settings when the dialog opens and writes it on OK.
#pragma once

#include "platform/base/WinTypes.h"

#include <QWidget>
#include <functional>
#include <string>
#include <vector>

class QLineEdit;

class CSettingPage : public QWidget {
    Q_OBJECT
public:
    // One text field of a page: its edit and, where it has one, the button
    // that browses for a program (the open dialog taking the title, UTF-8)
    // or, without a title, for a folder. A field with a number name takes a
    // whole number from minimum to maximum; the name (UTF-8) is what the
    // user is told to correct.
    struct Field {
        int edit;
        int browse = 0;
        const char* programTitle = nullptr;
        const char* numberName = nullptr;
        long minimum = 0;
        long maximum = 0;
    };
    // The fields' texts in the fields' order, code page 932.
    using Texts = std::vector<std::string>;
    using Loader = std::function<Texts()>;
    // Writes the texts; 0 or the error code.
    using Saver = std::function<DWORD(const Texts&)>;

    // An empty page of the settings pages' size, 275 x 53 dialog units.
    static constexpr int kWidth = 275;
    static constexpr int kHeight = 53;
    explicit CSettingPage(QWidget* parent = nullptr);
    // A page of text fields laid out from its dialog template; the
    // template's caption is the page's title, which its tab shows.
    CSettingPage(UINT dialogId, const std::vector<Field>& fields, Loader load, Saver save,
                 QWidget* parent = nullptr);

    // Shows the stored values.
    virtual void Load();
    // Whether every field holds what it takes. The first that does not is
    // told to the user and gets the focus, its text as typed, and the page
    // gives false.
    virtual bool Validate();
    // Writes the shown values. A failure is told to the user here, with the
    // system's text for it, and gives false.
    bool Save();

protected:
    // Writes the values; 0 or the error code.
    virtual DWORD Write();

private:
    // A file chosen in an open dialog goes into the edit; a cancelled dialog
    // leaves it as it was. Programs are looked for as "*.exe" first, but any
    // file may be chosen: on this system programs have no extension.
    void BrowseForProgram(QLineEdit* edit, const char* titleUtf8);
    // The same for a folder.
    void BrowseForFolder(QLineEdit* edit);

    std::vector<QLineEdit*> edits_;
    std::vector<Field> fields_;
    Loader load_;
    Saver save_;
};
