#include "platform/resources/CResourceScriptReader.h"

#include <algorithm>
#include <optional>

namespace {

// The virtual-key names an accelerator table may use.
struct VirtualKey {
    const char* name;
    UINT code;
};
constexpr VirtualKey kVirtualKeys[] = {
    {"VK_BACK", 0x08},     {"VK_TAB", 0x09},     {"VK_CLEAR", 0x0C},    {"VK_RETURN", 0x0D},
    {"VK_PAUSE", 0x13},    {"VK_ESCAPE", 0x1B},  {"VK_SPACE", 0x20},    {"VK_PRIOR", 0x21},
    {"VK_NEXT", 0x22},     {"VK_END", 0x23},     {"VK_HOME", 0x24},     {"VK_LEFT", 0x25},
    {"VK_UP", 0x26},       {"VK_RIGHT", 0x27},   {"VK_DOWN", 0x28},     {"VK_INSERT", 0x2D},
    {"VK_DELETE", 0x2E},   {"VK_HELP", 0x2F},    {"VK_NUMPAD0", 0x60},  {"VK_NUMPAD1", 0x61},
    {"VK_NUMPAD2", 0x62},  {"VK_NUMPAD3", 0x63}, {"VK_NUMPAD4", 0x64},  {"VK_NUMPAD5", 0x65},
    {"VK_NUMPAD6", 0x66},  {"VK_NUMPAD7", 0x67}, {"VK_NUMPAD8", 0x68},  {"VK_NUMPAD9", 0x69},
    {"VK_MULTIPLY", 0x6A}, {"VK_ADD", 0x6B},     {"VK_SUBTRACT", 0x6D}, {"VK_DECIMAL", 0x6E},
    {"VK_DIVIDE", 0x6F},   {"VK_F1", 0x70},      {"VK_F2", 0x71},       {"VK_F3", 0x72},
    {"VK_F4", 0x73},       {"VK_F5", 0x74},      {"VK_F6", 0x75},       {"VK_F7", 0x76},
    {"VK_F8", 0x77},       {"VK_F9", 0x78},      {"VK_F10", 0x79},      {"VK_F11", 0x7A},
    {"VK_F12", 0x7B},      {"VK_F13", 0x7C},     {"VK_F14", 0x7D},      {"VK_F15", 0x7E},
    {"VK_F16", 0x7F},      {"VK_F17", 0x80},     {"VK_F18", 0x81},      {"VK_F19", 0x82},
    {"VK_F20", 0x83},      {"VK_F21", 0x84},     {"VK_F22", 0x85},      {"VK_F23", 0x86},
    {"VK_F24", 0x87},
};

// Flags of old scripts that say how a resource was kept in memory; they
// mean nothing here.
constexpr std::string_view kMemoryFlags[] = {"DISCARDABLE", "PRELOAD", "LOADONCALL", "MOVEABLE",
                                             "FIXED",       "PURE",    "IMPURE"};
constexpr std::string_view kMenuOptions[] = {"GRAYED",       "INACTIVE",  "CHECKED",
                                             "MENUBARBREAK", "MENUBREAK", "HELP"};

using Kind = DialogControlResource::Kind;

// How each control statement is written and what it declares.
struct ControlStatement {
    enum class Form {
        TextIdRect, // "text", id, x, y, cx, cy [, style [, exstyle]]
        IdRect,     // id, x, y, cx, cy [, style [, exstyle]]
        Icon,       // text, id, x, y [, cx, cy [, style [, exstyle]]]
        Control,    // "text", id, class, style, x, y, cx, cy [, exstyle]
    };
    std::string_view keyword;
    Form form;
    Kind kind;
    std::string_view className;
};
constexpr ControlStatement kControlStatements[] = {
    {"LTEXT", ControlStatement::Form::TextIdRect, Kind::Label, "Static"},
    {"RTEXT", ControlStatement::Form::TextIdRect, Kind::Label, "Static"},
    {"CTEXT", ControlStatement::Form::TextIdRect, Kind::Label, "Static"},
    {"PUSHBUTTON", ControlStatement::Form::TextIdRect, Kind::PushButton, "Button"},
    {"DEFPUSHBUTTON", ControlStatement::Form::TextIdRect, Kind::DefPushButton, "Button"},
    {"GROUPBOX", ControlStatement::Form::TextIdRect, Kind::GroupBox, "Button"},
    {"CHECKBOX", ControlStatement::Form::TextIdRect, Kind::CheckBox, "Button"},
    {"AUTOCHECKBOX", ControlStatement::Form::TextIdRect, Kind::CheckBox, "Button"},
    {"RADIOBUTTON", ControlStatement::Form::TextIdRect, Kind::RadioButton, "Button"},
    {"AUTORADIOBUTTON", ControlStatement::Form::TextIdRect, Kind::RadioButton, "Button"},
    {"EDITTEXT", ControlStatement::Form::IdRect, Kind::Edit, "Edit"},
    {"COMBOBOX", ControlStatement::Form::IdRect, Kind::ComboBox, "ComboBox"},
    {"LISTBOX", ControlStatement::Form::IdRect, Kind::ListBox, "ListBox"},
    {"ICON", ControlStatement::Form::Icon, Kind::Icon, "Static"},
    {"CONTROL", ControlStatement::Form::Control, Kind::Custom, ""},
};

bool Contains(const std::vector<std::string>& words, std::string_view word)
{
    return std::find(words.begin(), words.end(), word) != words.end();
}

bool EqualsNoCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

// What a CONTROL statement declares, from its window class and style.
Kind KindOfControl(std::string_view className, const std::vector<std::string>& style)
{
    if (EqualsNoCase(className, "Static"))
        return Contains(style, "SS_ICON") || Contains(style, "SS_BITMAP") ? Kind::Icon : Kind::Label;
    if (EqualsNoCase(className, "Button")) {
        if (Contains(style, "BS_GROUPBOX"))
            return Kind::GroupBox;
        for (std::string_view check : {"BS_CHECKBOX", "BS_AUTOCHECKBOX", "BS_3STATE", "BS_AUTO3STATE"})
            if (Contains(style, check))
                return Kind::CheckBox;
        if (Contains(style, "BS_RADIOBUTTON") || Contains(style, "BS_AUTORADIOBUTTON"))
            return Kind::RadioButton;
        return Contains(style, "BS_DEFPUSHBUTTON") ? Kind::DefPushButton : Kind::PushButton;
    }
    if (EqualsNoCase(className, "Edit"))
        return Kind::Edit;
    if (EqualsNoCase(className, "ComboBox"))
        return Kind::ComboBox;
    if (EqualsNoCase(className, "ListBox"))
        return Kind::ListBox;
    return Kind::Custom;
}

} // namespace

CResourceScript CResourceScriptReader::Read(std::string_view text, std::string_view name)
{
    CResourceScriptReader reader(CResourceTokenizer::Tokenize(text, name), name);
    return reader.Run();
}

void CResourceScriptReader::FailAt(int line, const std::string& message) const
{
    throw CResourceScript::Error(name_, line, message);
}

CResourceScript CResourceScriptReader::Run()
{
    CResourceScript script;
    while (Peek().type != Token::Type::End) {
        if (IsWord("STRINGTABLE")) {
            Next();
            ReadStringTable(script);
            continue;
        }
        const Token idToken = Peek();
        if (idToken.type != Token::Type::Number)
            Fail(idToken, "a resource id or STRINGTABLE");
        const UINT id = ExpectResourceId("a resource id");
        const Token type = Peek();
        if (IsWord("MENU")) {
            Next();
            Store(script.menus_, id, ReadMenu(id), "menu", idToken);
        } else if (IsWord("ACCELERATORS")) {
            Next();
            Store(script.accelerators_, id, ReadAccelerators(), "accelerator table", idToken);
        } else if (IsWord("TOOLBAR")) {
            Next();
            Store(script.toolBars_, id, ReadToolBar(id), "toolbar", idToken);
        } else if (IsWord("DIALOG")) {
            Next();
            Store(script.dialogs_, id, ReadDialog(id), "dialog", idToken);
        } else {
            Fail(type, "MENU, ACCELERATORS, TOOLBAR or DIALOG after " + idToken.text);
        }
    }
    return script;
}

const CResourceScriptReader::Token& CResourceScriptReader::Peek(std::size_t ahead) const
{
    return tokens_[std::min(next_ + ahead, tokens_.size() - 1)];
}

CResourceScriptReader::Token CResourceScriptReader::Next()
{
    const Token token = Peek();
    if (next_ < tokens_.size() - 1)
        ++next_;
    return token;
}

bool CResourceScriptReader::IsWord(std::string_view word, std::size_t ahead) const
{
    return Peek(ahead).type == Token::Type::Word && Peek(ahead).text == word;
}

std::string CResourceScriptReader::Describe(const Token& token)
{
    switch (token.type) {
    case Token::Type::End: return "the end of the script";
    case Token::Type::String: return "\"" + token.text + "\"";
    default: return token.text;
    }
}

void CResourceScriptReader::Fail(const Token& found, const std::string& expected) const
{
    FailAt(found.line, "expected " + expected + ", found " + Describe(found));
}

void CResourceScriptReader::Expect(Token::Type type, const std::string& what)
{
    if (Peek().type != type)
        Fail(Peek(), what);
    Next();
}

void CResourceScriptReader::ExpectWord(std::string_view word, const std::string& where)
{
    if (!IsWord(word))
        Fail(Peek(), std::string(word) + " " + where);
    Next();
}

void CResourceScriptReader::ExpectComma(const std::string& before)
{
    Expect(Token::Type::Comma, "',' before " + before);
}

std::string CResourceScriptReader::ExpectString(const std::string& what)
{
    if (Peek().type != Token::Type::String)
        Fail(Peek(), what);
    return Next().text;
}

long long CResourceScriptReader::ExpectNumber(const std::string& what, long long low, long long high)
{
    const Token token = Peek();
    if (token.type != Token::Type::Number)
        Fail(token, what);
    if (token.number < low || token.number > high)
        FailAt(token.line, "expected " + what + " (" + std::to_string(low) + " to " + std::to_string(high) +
                               "), found " + token.text);
    Next();
    return token.number;
}

UINT CResourceScriptReader::ExpectResourceId(const std::string& what)
{
    return UINT(ExpectNumber(what, 1, 0xFFFF));
}

UINT CResourceScriptReader::ExpectCommandId(const std::string& what)
{
    return UINT(ExpectNumber(what, 0, 0xFFFF));
}

int CResourceScriptReader::ExpectCoordinate(const std::string& what)
{
    return int(ExpectNumber(what, -32768, 32767));
}

void CResourceScriptReader::SkipMemoryFlags()
{
    while (Peek().type == Token::Type::Word &&
           std::find(std::begin(kMemoryFlags), std::end(kMemoryFlags), Peek().text) != std::end(kMemoryFlags))
        Next();
}

template <typename Map, typename Value>
void CResourceScriptReader::Store(Map& map, UINT id, Value value, const char* what, const Token& idToken)
{
    if (!map.emplace(id, std::move(value)).second)
        FailAt(idToken.line, std::string(what) + " " + std::to_string(id) + " is defined twice");
}

void CResourceScriptReader::ReadStringTable(CResourceScript& script)
{
    SkipMemoryFlags();
    ExpectWord("BEGIN", "after STRINGTABLE");
    while (!IsWord("END")) {
        const Token idToken = Peek();
        if (idToken.type != Token::Type::Number)
            Fail(idToken, "a string id or END");
        const UINT id = ExpectCommandId("a string id");
        if (Peek().type == Token::Type::Comma)
            Next();
        std::string text = ExpectString("the string of " + idToken.text);
        Store(script.strings_, id, std::move(text), "string", idToken);
    }
    Next();
}

MenuResource CResourceScriptReader::ReadMenu(UINT id)
{
    SkipMemoryFlags();
    MenuResource menu;
    menu.id = id;
    ExpectWord("BEGIN", "after " + std::to_string(id) + " MENU");
    menu.items = ReadMenuItems();
    return menu;
}

std::vector<MenuItemResource> CResourceScriptReader::ReadMenuItems()
{
    std::vector<MenuItemResource> items;
    while (!IsWord("END")) {
        MenuItemResource item;
        if (IsWord("MENUITEM")) {
            Next();
            if (IsWord("SEPARATOR")) {
                Next();
                item.separator = true;
            } else {
                item.caption = ExpectString("a caption or SEPARATOR after MENUITEM");
                ExpectComma("the command id");
                item.id = ExpectCommandId("the command id of \"" + item.caption + "\"");
                ReadMenuOptions(item);
            }
        } else if (IsWord("POPUP")) {
            Next();
            item.popup = true;
            item.caption = ExpectString("a caption after POPUP");
            ReadMenuOptions(item);
            ExpectWord("BEGIN", "after POPUP \"" + item.caption + "\"");
            // Pop-ups are read by recursion; a bound keeps a script of
            // endless nesting from running the stack out.
            if (++popupDepth_ > kMaxPopupDepth)
                Fail(Peek(), "END (pop-up menus nest at most " + std::to_string(kMaxPopupDepth) + " deep)");
            item.items = ReadMenuItems();
            --popupDepth_;
        } else {
            Fail(Peek(), "MENUITEM, POPUP or END");
        }
        items.push_back(std::move(item));
    }
    Next();
    return items;
}

bool CResourceScriptReader::IsMenuOption(std::size_t ahead) const
{
    return Peek(ahead).type == Token::Type::Word &&
           std::find(std::begin(kMenuOptions), std::end(kMenuOptions), Peek(ahead).text) !=
               std::end(kMenuOptions);
}

void CResourceScriptReader::ReadMenuOptions(MenuItemResource& item)
{
    while (true) {
        if (Peek().type == Token::Type::Comma) {
            if (!IsMenuOption(1))
                Fail(Peek(1), "GRAYED, INACTIVE, CHECKED, MENUBARBREAK, MENUBREAK or HELP after ','");
            Next();
        } else if (!IsMenuOption(0)) {
            return;
        }
        const std::string option = Next().text;
        if (option == "GRAYED" || option == "INACTIVE")
            item.grayed = true;
        else if (option == "CHECKED")
            item.checked = true;
    }
}

std::vector<AcceleratorResource> CResourceScriptReader::ReadAccelerators()
{
    SkipMemoryFlags();
    ExpectWord("BEGIN", "after ACCELERATORS");
    std::vector<AcceleratorResource> table;
    while (!IsWord("END"))
        table.push_back(ReadAccelerator());
    Next();
    return table;
}

AcceleratorResource CResourceScriptReader::ReadAccelerator()
{
    AcceleratorResource accelerator;
    const Token key = Next();
    std::optional<UINT> virtualKey; // a key named VK_..., which only a virtual key can be
    switch (key.type) {
    case Token::Type::String:
        if (key.text.size() == 2 && key.text[0] == '^' &&
            std::isalpha(static_cast<unsigned char>(key.text[1]))) {
            accelerator.key = UINT(std::toupper(static_cast<unsigned char>(key.text[1])) - '@');
        } else if (key.text.size() == 1 && static_cast<unsigned char>(key.text[0]) >= 0x20 &&
                   static_cast<unsigned char>(key.text[0]) < 0x7F) {
            accelerator.key = static_cast<unsigned char>(key.text[0]);
        } else {
            FailAt(key.line,
                   "expected one character or \"^\" and a letter as the key, found " + Describe(key));
        }
        break;
    case Token::Type::Number:
        if (key.number < 1 || key.number > 0xFF)
            FailAt(key.line, "expected a key code from 1 to 255, found " + key.text);
        accelerator.key = UINT(key.number);
        break;
    case Token::Type::Word: {
        const auto known = std::find_if(std::begin(kVirtualKeys), std::end(kVirtualKeys),
                                        [&](const VirtualKey& vk) { return key.text == vk.name; });
        if (known == std::end(kVirtualKeys))
            FailAt(key.line, "expected a key, found " + key.text + ", which is no virtual-key name");
        virtualKey = known->code;
        accelerator.key = known->code;
        break;
    }
    default: Fail(key, "a key (\"N\", VK_... or a key code) or END");
    }
    ExpectComma("the command id");
    accelerator.id = ExpectCommandId("the command id of the key " + Describe(key));

    bool ascii = false;
    while (Peek().type == Token::Type::Comma) {
        Next();
        const Token option = Next();
        if (option.type != Token::Type::Word)
            Fail(option, "VIRTKEY, ASCII, NOINVERT, ALT, SHIFT or CONTROL after ','");
        if (option.text == "VIRTKEY")
            accelerator.virtKey = true;
        else if (option.text == "ASCII")
            ascii = true;
        else if (option.text == "ALT")
            accelerator.alt = true;
        else if (option.text == "SHIFT")
            accelerator.shift = true;
        else if (option.text == "CONTROL")
            accelerator.control = true;
        else if (option.text != "NOINVERT")
            Fail(option, "VIRTKEY, ASCII, NOINVERT, ALT, SHIFT or CONTROL after ','");
    }
    if (ascii && accelerator.virtKey)
        FailAt(key.line, "expected VIRTKEY or ASCII for the key " + Describe(key) + ", found both");
    if (virtualKey && !accelerator.virtKey)
        FailAt(key.line, "expected VIRTKEY for the key " + key.text + ", which is a virtual-key name");
    if (!accelerator.virtKey && (accelerator.alt || accelerator.shift || accelerator.control))
        FailAt(key.line, "expected VIRTKEY for the key " + Describe(key) +
                             ": ALT, SHIFT and CONTROL go with virtual keys only");
    if (accelerator.virtKey && key.type == Token::Type::String && !std::isupper(int(accelerator.key)) &&
        !std::isdigit(int(accelerator.key)))
        FailAt(key.line, "expected a capital letter or a digit as the virtual key, found " + Describe(key));
    return accelerator;
}

ToolBarResource CResourceScriptReader::ReadToolBar(UINT id)
{
    SkipMemoryFlags();
    ToolBarResource toolBar;
    toolBar.id = id;
    toolBar.buttonWidth = int(ExpectNumber("the button width after TOOLBAR", 1, 256));
    ExpectComma("the button height");
    toolBar.buttonHeight = int(ExpectNumber("the button height", 1, 256));
    ExpectWord("BEGIN", "after the toolbar's button size");
    while (!IsWord("END")) {
        if (IsWord("SEPARATOR")) {
            Next();
            toolBar.buttons.push_back(0);
        } else if (IsWord("BUTTON")) {
            Next();
            toolBar.buttons.push_back(ExpectResourceId("the command id after BUTTON"));
        } else {
            Fail(Peek(), "BUTTON, SEPARATOR or END");
        }
    }
    Next();
    return toolBar;
}

std::vector<std::string> CResourceScriptReader::ReadStyle(const std::string& what)
{
    std::vector<std::string> words;
    do {
        std::string prefix;
        if (IsWord("NOT")) {
            Next();
            prefix = "NOT ";
        }
        const Token term = Peek();
        if ((term.type != Token::Type::Word && term.type != Token::Type::Number) || IsWord("BEGIN") ||
            IsWord("END"))
            Fail(term, what);
        words.push_back(prefix + Next().text);
    } while (Peek().type == Token::Type::Bar && (Next(), true));
    return words;
}

DialogResource CResourceScriptReader::ReadDialog(UINT id)
{
    SkipMemoryFlags();
    DialogResource dialog;
    dialog.id = id;
    const std::string header = std::to_string(id) + " DIALOG";
    ReadRect(dialog.x, dialog.y, dialog.cx, dialog.cy, header);
    while (!IsWord("BEGIN")) {
        const Token option = Peek();
        if (IsWord("STYLE")) {
            Next();
            dialog.style = ReadStyle("a style after STYLE");
        } else if (IsWord("EXSTYLE")) {
            Next();
            ReadStyle("an extended style after EXSTYLE");
        } else if (IsWord("CAPTION")) {
            Next();
            dialog.caption = ExpectString("the caption after CAPTION");
        } else if (IsWord("FONT")) {
            Next();
            dialog.fontSize = int(ExpectNumber("the point size after FONT", 1, 72));
            ExpectComma("the font's face");
            dialog.fontFace = ExpectString("the font's face after its size");
            // Weight, italic and character set may follow.
            for (int i = 0; i < 3 && Peek().type == Token::Type::Comma; ++i) {
                Next();
                ExpectNumber("the font's weight, italic flag or character set", 0, 1000);
            }
        } else {
            Fail(option, "STYLE, EXSTYLE, CAPTION, FONT or BEGIN in " + header);
        }
    }
    Next();
    while (!IsWord("END"))
        dialog.controls.push_back(ReadControl(header));
    Next();
    return dialog;
}

void CResourceScriptReader::ReadRect(int& x, int& y, int& cx, int& cy, const std::string& owner)
{
    x = ExpectCoordinate("x of " + owner);
    ExpectComma("y of " + owner);
    y = ExpectCoordinate("y of " + owner);
    ExpectComma("the width of " + owner);
    cx = ExpectCoordinate("the width of " + owner);
    ExpectComma("the height of " + owner);
    cy = ExpectCoordinate("the height of " + owner);
}

int CResourceScriptReader::ExpectControlId(const std::string& owner)
{
    return int(ExpectNumber("the id of " + owner, -1, 0xFFFF));
}

void CResourceScriptReader::ReadOptionalStyles(DialogControlResource& control, const std::string& owner,
                                               bool style)
{
    if (style && Peek().type == Token::Type::Comma) {
        Next();
        control.style = ReadStyle("a style for " + owner);
    }
    if (Peek().type == Token::Type::Comma) {
        Next();
        ReadStyle("an extended style for " + owner);
    }
}

DialogControlResource CResourceScriptReader::ReadControl(const std::string& dialog)
{
    const Token keyword = Peek();
    const auto statement = std::find_if(
        std::begin(kControlStatements), std::end(kControlStatements), [&](const ControlStatement& s) {
            return keyword.type == Token::Type::Word && s.keyword == keyword.text;
        });
    if (statement == std::end(kControlStatements))
        Fail(keyword, "a control (LTEXT, EDITTEXT, PUSHBUTTON, CONTROL ...) or END in " + dialog);
    Next();
    DialogControlResource control;
    control.keyword = keyword.text;
    control.kind = statement->kind;
    control.className = std::string(statement->className);
    const std::string owner = keyword.text + " in " + dialog;
    using Form = ControlStatement::Form;
    switch (statement->form) {
    case Form::TextIdRect:
        control.text = ExpectString("the text of " + owner);
        ExpectComma("the id of " + owner);
        [[fallthrough]];
    case Form::IdRect:
        control.id = ExpectControlId(owner);
        ExpectComma("x of " + owner);
        ReadRect(control.x, control.y, control.cx, control.cy, owner);
        ReadOptionalStyles(control, owner, true);
        break;
    case Form::Icon: {
        const Token icon = Next();
        if (icon.type != Token::Type::String && icon.type != Token::Type::Number &&
            icon.type != Token::Type::Word)
            Fail(icon, "the icon of " + owner);
        control.text = icon.text;
        ExpectComma("the id of " + owner);
        control.id = ExpectControlId(owner);
        ExpectComma("x of " + owner);
        control.x = ExpectCoordinate("x of " + owner);
        ExpectComma("y of " + owner);
        control.y = ExpectCoordinate("y of " + owner);
        if (Peek().type == Token::Type::Comma && Peek(1).type == Token::Type::Number) {
            Next();
            control.cx = ExpectCoordinate("the width of " + owner);
            ExpectComma("the height of " + owner);
            control.cy = ExpectCoordinate("the height of " + owner);
            ReadOptionalStyles(control, owner, true);
        }
        break;
    }
    case Form::Control:
        control.text = ExpectString("the text of " + owner);
        ExpectComma("the id of " + owner);
        control.id = ExpectControlId(owner);
        ExpectComma("the class of " + owner);
        control.className = ExpectString("the window class of " + owner);
        ExpectComma("the style of " + owner);
        control.style = ReadStyle("the style of " + owner);
        ExpectComma("x of " + owner);
        ReadRect(control.x, control.y, control.cx, control.cy, owner);
        control.kind = KindOfControl(control.className, control.style);
        ReadOptionalStyles(control, owner, false);
        break;
    }
    if (control.cx < 0 || control.cy < 0)
        FailAt(keyword.line, "expected a size of at least 0 for " + owner);
    return control;
}
