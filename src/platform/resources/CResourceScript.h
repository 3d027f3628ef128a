// A resource script: the program's menus, accelerator tables, toolbars,
// string table and dialog templates written as text (UTF-8) in the usual
// resource-script statements, and read here into plain data.
//
//   STRINGTABLE BEGIN id "text" ... END
//   id MENU BEGIN POPUP "text" BEGIN MENUITEM "text", id [, GRAYED|CHECKED|...]
//                                    MENUITEM SEPARATOR ... END ... END
//   id ACCELERATORS BEGIN "N", id, VIRTKEY, CONTROL | VK_F3, id, VIRTKEY ... END
//   id TOOLBAR cx, cy BEGIN BUTTON id | SEPARATOR ... END
//   id DIALOG x, y, cx, cy  [STYLE ...] [EXSTYLE ...] [CAPTION "text"]
//                           [FONT size, "face"]  BEGIN controls END
//
// Controls: LTEXT RTEXT CTEXT PUSHBUTTON DEFPUSHBUTTON GROUPBOX CHECKBOX
// AUTOCHECKBOX RADIOBUTTON AUTORADIOBUTTON ("text", id, x, y, cx, cy),
// EDITTEXT COMBOBOX LISTBOX (id, x, y, cx, cy), ICON ("text", id, x, y
// [, cx, cy]), each with an optional style and extended style, and CONTROL
// ("text", id, "class", style, x, y, cx, cy [, exstyle]). "{" and "}" stand
// for BEGIN and END; "//" and "/* */" are comments; ids are numbers. Strings
// take "\n", "\t", "\\", "\"" and a doubled quote.
#pragma once

#include "platform/base/WinTypes.h"

#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// One item of a menu: a command, a separator or a pop-up with items.
struct MenuItemResource {
    UINT id = 0;
    std::string caption; // UTF-8, "&" before a mnemonic, "\t" before the key text
    bool separator = false;
    bool popup = false;
    bool grayed = false;
    bool checked = false;
    std::vector<MenuItemResource> items;
    bool IsSeparator() const { return separator; }
    bool IsPopup() const { return popup; }
};

struct MenuResource {
    UINT id = 0;
    std::vector<MenuItemResource> items; // a menu bar's pop-ups, a pop-up menu's one pop-up
};

// One key of an accelerator table. A virtual key is a key code (VK_F3 is
// 0x72, "N" is 0x4E); otherwise the key is the character typed.
struct AcceleratorResource {
    UINT key = 0;
    bool virtKey = false;
    bool control = false;
    bool shift = false;
    bool alt = false;
    UINT id = 0;
};

struct ToolBarResource {
    UINT id = 0;
    int buttonWidth = 0;
    int buttonHeight = 0;
    std::vector<UINT> buttons; // 0 is a separator
};

// One control of a dialog template, in dialog units.
struct DialogControlResource {
    // What the control is, whichever statement declared it.
    enum class Kind {
        Label,
        Icon,
        GroupBox,
        PushButton,
        DefPushButton,
        CheckBox,
        RadioButton,
        Edit,
        ComboBox,
        ListBox,
        Custom, // a CONTROL of a class the kinds above do not cover
    };

    std::string keyword; // the statement: "LTEXT", "EDITTEXT", "CONTROL" ...
    Kind kind = Kind::Custom;
    std::string text;               // UTF-8
    int id = -1;                    // -1 for a control the program never addresses
    std::string className;          // "Static", "Button", "Edit", "ComboBox", "ListBox" or CONTROL's own
    std::vector<std::string> style; // the words of the style, "NOT WS_TABSTOP" for a negated one
    int x = 0;
    int y = 0;
    int cx = 0;
    int cy = 0;

    bool HasStyle(std::string_view word) const;
};

struct DialogResource {
    UINT id = 0;
    int x = 0;
    int y = 0;
    int cx = 0;
    int cy = 0;
    std::vector<std::string> style;
    std::string caption; // UTF-8
    int fontSize = 0;    // 0 when the template names no font
    std::string fontFace;
    std::vector<DialogControlResource> controls;

    // The first control with the id, nullptr without one.
    const DialogControlResource* Control(int id) const;
};

class CResourceScript {
public:
    // A fault of the script: "name:line: what was expected, what was found".
    class Error : public std::runtime_error {
    public:
        Error(std::string name, int line, const std::string& message);
        int Line() const { return line_; }

    private:
        int line_;
    };

    // Reads a whole script; throws Error at its first fault. The name is
    // the one the messages give the script.
    static CResourceScript Parse(std::string_view utf8, std::string_view name = "script");

    // A resource of the id, nullptr (or an empty string) without one.
    const MenuResource* Menu(UINT id) const;
    const std::vector<AcceleratorResource>* Accelerators(UINT id) const;
    const ToolBarResource* ToolBar(UINT id) const;
    const DialogResource* Dialog(UINT id) const;
    // UTF-8.
    std::string String(UINT id) const;
    bool HasString(UINT id) const { return strings_.contains(id); }

    const std::map<UINT, MenuResource>& Menus() const { return menus_; }
    const std::map<UINT, std::vector<AcceleratorResource>>& AcceleratorTables() const
    {
        return accelerators_;
    }
    const std::map<UINT, ToolBarResource>& ToolBars() const { return toolBars_; }
    const std::map<UINT, DialogResource>& Dialogs() const { return dialogs_; }
    const std::map<UINT, std::string>& Strings() const { return strings_; }

private:
    friend class CResourceScriptReader;

    std::map<UINT, MenuResource> menus_;
    std::map<UINT, std::vector<AcceleratorResource>> accelerators_;
    std::map<UINT, ToolBarResource> toolBars_;
    std::map<UINT, DialogResource> dialogs_;
    std::map<UINT, std::string> strings_;
};
