// The resource script reader: small scripts that it must read, and what it
// says about faulty ones; then the program's own script, which must hold
// every resource the program asks for, consistently.
#include "platform/resources/CResourceScript.h"
#include "platform/resources/ProgramResources.h"

#include "NamedCase.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>

namespace {

using Kind = DialogControlResource::Kind;

// ---- scripts that are read ----

struct ValidCase {
    const char* name;
    std::string script;
    std::function<void(const CResourceScript&)> check;
};

class ValidScript : public ::testing::TestWithParam<ValidCase> {};

TEST_P(ValidScript, IsReadAsWritten)
{
    const CResourceScript script = CResourceScript::Parse(GetParam().script, "test.rc");
    GetParam().check(script);
}

const ValidCase kValidCases[] = {
    {"StringsWithEscapesCommasAndBraces",
     "STRINGTABLE DISCARDABLE\n"
     "{\n"
     "    1 \"a\\nb\\tc\"\n"
     "    2, \"say \"\"hi\"\" \\\\ \\\"x\\\"\"\n"
     "    0x10 \"日本語 ｶﾅ\" // a comment\n"
     "    /* a comment over\n two lines */ 3 \"\"\n"
     "}\n",
     [](const CResourceScript& s) {
         EXPECT_EQ(s.String(1), "a\nb\tc");
         EXPECT_EQ(s.String(2), "say \"hi\" \\ \"x\"");
         EXPECT_EQ(s.String(16), "日本語 ｶﾅ");
         EXPECT_TRUE(s.HasString(3));
         EXPECT_EQ(s.String(3), "");
         EXPECT_FALSE(s.HasString(4));
         EXPECT_EQ(s.Strings().size(), 4u);
     }},
    {"ByteOrderMarkAndCrLfLines", "\xEF\xBB\xBFSTRINGTABLE\r\nBEGIN\r\n 7 \"seven\"\r\nEND\r\n",
     [](const CResourceScript& s) { EXPECT_EQ(s.String(7), "seven"); }},
    {"TwoStringTablesAddUp", "STRINGTABLE BEGIN 1 \"a\" END\nSTRINGTABLE BEGIN 2 \"b\" END",
     [](const CResourceScript& s) { EXPECT_EQ(s.Strings().size(), 2u); }},
    {"MenuWithNestedPopupsSeparatorsAndOptions",
     "5 MENU\n"
     "BEGIN\n"
     "    POPUP \"&File\"\n"
     "    BEGIN\n"
     "        MENUITEM \"&New\\tCtrl+N\", 100\n"
     "        MENUITEM SEPARATOR\n"
     "        POPUP \"More\"\n"
     "        BEGIN\n"
     "            MENUITEM \"Gray\", 101, GRAYED\n"
     "            MENUITEM \"Both\", 102, CHECKED, INACTIVE\n"
     "            MENUITEM \"Spaced\", 103 CHECKED MENUBREAK\n"
     "        END\n"
     "    END\n"
     "    MENUITEM \"Top\", 104\n"
     "END\n",
     [](const CResourceScript& s) {
         const MenuResource* menu = s.Menu(5);
         ASSERT_NE(menu, nullptr);
         EXPECT_EQ(menu->id, 5u);
         ASSERT_EQ(menu->items.size(), 2u);
         const MenuItemResource& file = menu->items[0];
         EXPECT_TRUE(file.IsPopup());
         EXPECT_EQ(file.caption, "&File");
         ASSERT_EQ(file.items.size(), 3u);
         EXPECT_EQ(file.items[0].caption, "&New\tCtrl+N");
         EXPECT_EQ(file.items[0].id, 100u);
         EXPECT_TRUE(file.items[1].IsSeparator());
         const MenuItemResource& more = file.items[2];
         ASSERT_EQ(more.items.size(), 3u);
         EXPECT_TRUE(more.items[0].grayed);
         EXPECT_FALSE(more.items[0].checked);
         EXPECT_TRUE(more.items[1].grayed);
         EXPECT_TRUE(more.items[1].checked);
         EXPECT_TRUE(more.items[2].checked);
         EXPECT_EQ(more.items[2].id, 103u);
         EXPECT_FALSE(menu->items[1].IsPopup());
         EXPECT_EQ(menu->items[1].id, 104u);
         EXPECT_EQ(s.Menu(6), nullptr);
     }},
    {"AcceleratorsOfEveryForm",
     "9 ACCELERATORS\n"
     "BEGIN\n"
     "    \"N\", 1, VIRTKEY, CONTROL, NOINVERT\n"
     "    VK_F3, 2, VIRTKEY\n"
     "    VK_RETURN, 3, VIRTKEY, ALT, SHIFT\n"
     "    0x72, 4, VIRTKEY, SHIFT\n"
     "    \"^C\", 5, ASCII\n"
     "    \"a\", 6\n"
     "    \"7\", 7, VIRTKEY\n"
     "END\n",
     [](const CResourceScript& s) {
         const auto* table = s.Accelerators(9);
         ASSERT_NE(table, nullptr);
         ASSERT_EQ(table->size(), 7u);
         const auto& t = *table;
         EXPECT_EQ(t[0].key, UINT('N'));
         EXPECT_TRUE(t[0].virtKey && t[0].control && !t[0].shift && !t[0].alt);
         EXPECT_EQ(t[1].key, 0x72u);
         EXPECT_TRUE(t[1].virtKey && !t[1].control);
         EXPECT_EQ(t[2].key, 0x0Du);
         EXPECT_TRUE(t[2].alt && t[2].shift && !t[2].control);
         EXPECT_EQ(t[3].key, 0x72u);
         EXPECT_TRUE(t[3].shift);
         EXPECT_EQ(t[4].key, 3u) << "^C is the control character";
         EXPECT_FALSE(t[4].virtKey);
         EXPECT_EQ(t[5].key, UINT('a'));
         EXPECT_FALSE(t[5].virtKey);
         EXPECT_EQ(t[6].key, UINT('7'));
         for (UINT i = 0; i < 7; ++i)
             EXPECT_EQ(t[i].id, i + 1);
     }},
    {"ToolBarWithSeparators", "3 TOOLBAR 16, 15\nBEGIN\n BUTTON 10\n SEPARATOR\n BUTTON 11\nEND\n",
     [](const CResourceScript& s) {
         const ToolBarResource* bar = s.ToolBar(3);
         ASSERT_NE(bar, nullptr);
         EXPECT_EQ(bar->buttonWidth, 16);
         EXPECT_EQ(bar->buttonHeight, 15);
         EXPECT_EQ(bar->buttons, (std::vector<UINT>{10, 0, 11}));
     }},
    {"DialogWithEveryControlStatement",
     "20 DIALOG DISCARDABLE 1, 2, 200, 100\n"
     "STYLE DS_MODALFRAME | WS_POPUP | NOT WS_VISIBLE\n"
     "EXSTYLE WS_EX_TOOLWINDOW\n"
     "CAPTION \"設定\"\n"
     "FONT 9, \"ＭＳ Ｐゴシック\", 400, 0, 0x80\n"
     "BEGIN\n"
     "    LTEXT \"left\", -1, 1, 2, 3, 4\n"
     "    RTEXT \"right\", 10, 1, 2, 3, 4, SS_NOTIFY, WS_EX_STATICEDGE\n"
     "    CTEXT \"centre\", 11, 1, 2, 3, 4\n"
     "    GROUPBOX \"group\", -1, 0, 0, 50, 50\n"
     "    PUSHBUTTON \"push\", 12, 5, 6, 7, 8, WS_DISABLED\n"
     "    DEFPUSHBUTTON \"OK\", 1, 5, 6, 7, 8\n"
     "    CHECKBOX \"check\", 13, 5, 6, 7, 8\n"
     "    AUTOCHECKBOX \"auto\", 14, 5, 6, 7, 8\n"
     "    RADIOBUTTON \"radio\", 15, 5, 6, 7, 8\n"
     "    AUTORADIOBUTTON \"autoradio\", 16, 5, 6, 7, 8\n"
     "    EDITTEXT 17, 9, 10, 11, 12, ES_PASSWORD | ES_AUTOHSCROLL\n"
     "    COMBOBOX 18, 9, 10, 11, 78, CBS_DROPDOWNLIST\n"
     "    LISTBOX 19, 9, 10, 11, 12\n"
     "    ICON \"\", -1, 5, 7, 20, 20\n"
     "    ICON 128, 20, 5, 7\n"
     "    CONTROL \"tick\", 21, \"Button\", BS_AUTOCHECKBOX | WS_TABSTOP, 1, 2, 3, 4\n"
     "    CONTROL \"\", 22, \"Static\", SS_BITMAP, 1, 2, 3, 4, WS_EX_CLIENTEDGE\n"
     "    CONTROL \"\", 23, \"SysTabControl32\", 0x0, 2, 99, 288, 81\n"
     "    CONTROL \"frame\", 24, \"button\", BS_GROUPBOX, 1, 2, 3, 4\n"
     "    CONTROL \"go\", 25, \"Button\", BS_DEFPUSHBUTTON, 1, 2, 3, 4\n"
     "END\n",
     [](const CResourceScript& s) {
         const DialogResource* d = s.Dialog(20);
         ASSERT_NE(d, nullptr);
         EXPECT_EQ(std::vector<int>({d->x, d->y, d->cx, d->cy}), std::vector<int>({1, 2, 200, 100}));
         EXPECT_EQ(d->style, (std::vector<std::string>{"DS_MODALFRAME", "WS_POPUP", "NOT WS_VISIBLE"}));
         EXPECT_EQ(d->caption, "設定");
         EXPECT_EQ(d->fontSize, 9);
         EXPECT_EQ(d->fontFace, "ＭＳ Ｐゴシック");
         const std::vector<std::pair<int, Kind>> expected = {
             {-1, Kind::Label},       {10, Kind::Label},         {11, Kind::Label},
             {-1, Kind::GroupBox},    {12, Kind::PushButton},    {1, Kind::DefPushButton},
             {13, Kind::CheckBox},    {14, Kind::CheckBox},      {15, Kind::RadioButton},
             {16, Kind::RadioButton}, {17, Kind::Edit},          {18, Kind::ComboBox},
             {19, Kind::ListBox},     {-1, Kind::Icon},          {20, Kind::Icon},
             {21, Kind::CheckBox},    {22, Kind::Icon},          {23, Kind::Custom},
             {24, Kind::GroupBox},    {25, Kind::DefPushButton},
         };
         ASSERT_EQ(d->controls.size(), expected.size());
         for (std::size_t i = 0; i < expected.size(); ++i) {
             EXPECT_EQ(d->controls[i].id, expected[i].first) << i;
             EXPECT_EQ(d->controls[i].kind, expected[i].second) << i;
         }
         const DialogControlResource* right = d->Control(10);
         ASSERT_NE(right, nullptr);
         EXPECT_EQ(right->keyword, "RTEXT");
         EXPECT_EQ(right->text, "right");
         EXPECT_EQ(right->className, "Static");
         EXPECT_EQ(right->style, std::vector<std::string>{"SS_NOTIFY"})
             << "the extended style is not the style";
         EXPECT_EQ(std::vector<int>({right->x, right->y, right->cx, right->cy}),
                   std::vector<int>({1, 2, 3, 4}));
         EXPECT_TRUE(d->Control(12)->HasStyle("WS_DISABLED"));
         EXPECT_TRUE(d->Control(17)->HasStyle("ES_PASSWORD"));
         EXPECT_FALSE(d->Control(17)->HasStyle("ES_READONLY"));
         EXPECT_EQ(d->Control(18)->cy, 78);
         EXPECT_EQ(d->Control(20)->text, "128");
         EXPECT_EQ(d->Control(20)->cx, 0) << "an icon without a size";
         EXPECT_EQ(d->Control(23)->className, "SysTabControl32");
         EXPECT_EQ(d->Control(99), nullptr);
     }},
    {"EveryKindOfResourceTogether",
     "STRINGTABLE BEGIN 1 \"s\" END\n1 MENU BEGIN END\n1 ACCELERATORS BEGIN END\n"
     "1 TOOLBAR 16, 16 BEGIN END\n1 DIALOG 0, 0, 10, 10 BEGIN END\n",
     [](const CResourceScript& s) {
         EXPECT_NE(s.Menu(1), nullptr);
         EXPECT_NE(s.Accelerators(1), nullptr);
         EXPECT_NE(s.ToolBar(1), nullptr);
         ASSERT_NE(s.Dialog(1), nullptr);
         EXPECT_EQ(s.Dialog(1)->fontSize, 0);
     }},
};

INSTANTIATE_TEST_SUITE_P(Scripts, ValidScript, ::testing::ValuesIn(kValidCases), CaseName);

// ---- scripts that are refused ----

struct MalformedCase {
    const char* name;
    std::string script;
    int line;
    const char* message; // a part of the message after "test.rc:line: "
};

class MalformedScript : public ::testing::TestWithParam<MalformedCase> {};

TEST_P(MalformedScript, NamesTheLineAndWhatWasExpected)
{
    const MalformedCase& c = GetParam();
    try {
        CResourceScript::Parse(c.script, "test.rc");
        FAIL() << "the script was read";
    } catch (const CResourceScript::Error& error) {
        EXPECT_EQ(error.Line(), c.line) << error.what();
        const std::string what = error.what();
        const std::string prefix = "test.rc:" + std::to_string(c.line) + ": ";
        EXPECT_EQ(what.substr(0, prefix.size()), prefix) << what;
        EXPECT_NE(what.find(c.message), std::string::npos) << what;
    }
}

const MalformedCase kMalformedCases[] = {
    {"UnknownResourceType", "\n128 BITMAP \"a.bmp\"\n", 2,
     "expected MENU, ACCELERATORS, TOOLBAR or DIALOG after 128, found BITMAP"},
    {"TextWhereAnIdBelongs", "MENU BEGIN END", 1, "expected a resource id or STRINGTABLE, found MENU"},
    {"IdOutOfRange", "70000 MENU BEGIN END", 1, "expected a resource id (1 to 65535), found 70000"},
    {"ZeroResourceId", "0 MENU BEGIN END", 1, "expected a resource id (1 to 65535), found 0"},
    {"MenuWithoutEnd", "128 MENU\nBEGIN\n  POPUP \"a\"\n  BEGIN\n    MENUITEM \"x\", 1\n  END\n", 6,
     "expected MENUITEM, POPUP or END, found the end of the script"},
    {"MenuItemWithoutComma", "1 MENU\nBEGIN\n POPUP \"a\"\n BEGIN\n  MENUITEM \"x\" 5\n END\nEND", 5,
     "expected ',' before the command id, found 5"},
    {"MenuItemWithoutId", "1 MENU BEGIN POPUP \"a\" BEGIN\nMENUITEM \"x\",\nEND END", 3,
     "expected the command id of \"x\""},
    {"UnknownMenuOption", "1 MENU BEGIN POPUP \"a\" BEGIN\nMENUITEM \"x\", 1, BOLD\nEND END", 2,
     "expected GRAYED, INACTIVE, CHECKED, MENUBARBREAK, MENUBREAK or HELP after ',', found BOLD"},
    {"PopupWithoutBegin", "1 MENU\nBEGIN\n POPUP \"a\"\n MENUITEM \"x\", 1\nEND", 4,
     "expected BEGIN after POPUP \"a\", found MENUITEM"},
    {"MenuDefinedTwice", "1 MENU BEGIN END\n\n1 MENU BEGIN END", 3, "menu 1 is defined twice"},
    {"StringDefinedTwice", "STRINGTABLE\nBEGIN\n 5 \"a\"\n 5 \"b\"\nEND", 4, "string 5 is defined twice"},
    {"StringTableWithoutBegin", "STRINGTABLE\n 5 \"a\"\nEND", 2, "expected BEGIN after STRINGTABLE, found 5"},
    {"StringWithoutText", "STRINGTABLE BEGIN\n 5 6\nEND", 2, "expected the string of 5, found 6"},
    {"UnterminatedString", "STRINGTABLE BEGIN\n 5 \"abc\nEND", 2, "expected '\"' to end the string"},
    {"UnknownEscape", "STRINGTABLE BEGIN\n\n 5 \"a\\qb\"\nEND", 3, "found \\q"},
    {"InvalidUtf8InString", "STRINGTABLE BEGIN\n 5 \"\x82\xa0\"\nEND", 2, "expected UTF-8 text"},
    {"OverlongUtf8", "STRINGTABLE BEGIN\n 5 \"\xC0\xAF\"\nEND", 2, "expected UTF-8 text"},
    {"UnterminatedComment", "STRINGTABLE BEGIN\n/* open\n\n", 2, "expected \"*/\" to end the comment"},
    {"StrayCharacter", "STRINGTABLE BEGIN\n 5 = \"a\"\nEND", 2, "unexpected character '='"},
    {"NumberRunningIntoLetters", "STRINGTABLE BEGIN\n 12ab \"a\"\nEND", 2, "expected a number, found 12ab"},
    {"UnknownVirtualKey", "1 ACCELERATORS\nBEGIN\n VK_FOO, 1, VIRTKEY\nEND", 3,
     "VK_FOO, which is no virtual-key name"},
    {"VirtualKeyNameWithoutVirtkey", "1 ACCELERATORS\nBEGIN\n VK_F3, 1\nEND", 3,
     "expected VIRTKEY for the key VK_F3"},
    {"SmallLetterAsVirtualKey", "1 ACCELERATORS\nBEGIN\n \"n\", 1, VIRTKEY, CONTROL\nEND", 3,
     "expected a capital letter or a digit as the virtual key, found \"n\""},
    {"ModifierOnACharacter", "1 ACCELERATORS\nBEGIN\n \"a\", 1, ASCII, ALT\nEND", 3,
     "ALT, SHIFT and CONTROL go with virtual keys only"},
    {"VirtkeyAndAscii", "1 ACCELERATORS\nBEGIN\n \"A\", 1, VIRTKEY, ASCII\nEND", 3, "found both"},
    {"LongKeyString", "1 ACCELERATORS\nBEGIN\n \"AB\", 1, VIRTKEY\nEND", 3, "expected one character"},
    {"UnknownAcceleratorOption", "1 ACCELERATORS\nBEGIN\n \"A\", 1, VIRTKEY, CTRL\nEND", 3,
     "expected VIRTKEY, ASCII, NOINVERT, ALT, SHIFT or CONTROL after ',', found CTRL"},
    {"ToolBarWithoutHeight", "1 TOOLBAR 16\nBEGIN\nEND", 2,
     "expected ',' before the button height, found BEGIN"},
    {"ToolBarWithUnknownEntry", "1 TOOLBAR 16, 15\nBEGIN\n BUTTON 5\n SPACE\nEND", 4,
     "expected BUTTON, SEPARATOR or END, found SPACE"},
    {"DialogRectTooShort", "136 DIALOG 0, 0, 297\nCAPTION \"x\"\nBEGIN\nEND", 2,
     "expected ',' before the height of 136 DIALOG, found CAPTION"},
    {"UnknownDialogOption", "1 DIALOG 0, 0, 10, 10\nTITLE \"x\"\nBEGIN\nEND", 2,
     "expected STYLE, EXSTYLE, CAPTION, FONT or BEGIN in 1 DIALOG, found TITLE"},
    {"FontWithoutFace", "1 DIALOG 0, 0, 10, 10\nFONT 9\nBEGIN\nEND", 3,
     "expected ',' before the font's face, found BEGIN"},
    {"UnknownControl", "1 DIALOG 0, 0, 10, 10\nBEGIN\n SLIDER 5, 1, 2, 3, 4\nEND", 3,
     "expected a control (LTEXT, EDITTEXT, PUSHBUTTON, CONTROL ...) or END in 1 DIALOG, found SLIDER"},
    {"ControlWithoutItsText", "1 DIALOG 0, 0, 10, 10\nBEGIN\n LTEXT 5, 1, 2, 3, 4\nEND", 3,
     "expected the text of LTEXT in 1 DIALOG, found 5"},
    {"ControlMissingACoordinate", "1 DIALOG 0, 0, 10, 10\nBEGIN\n EDITTEXT 5, 1, 2, 3\nEND", 4,
     "expected ',' before the height of EDITTEXT in 1 DIALOG, found END"},
    {"ControlWithoutClass", "1 DIALOG 0, 0, 10, 10\nBEGIN\n CONTROL \"\", 5, 0, 1, 2, 3, 4\nEND", 3,
     "expected the window class of CONTROL in 1 DIALOG, found 0"},
    {"StyleWithDanglingBar", "1 DIALOG 0, 0, 10, 10\nSTYLE WS_POPUP |\nBEGIN\nEND", 3,
     "expected a style after STYLE, found BEGIN"},
    {"NegativeControlSize", "1 DIALOG 0, 0, 10, 10\nBEGIN\n LTEXT \"a\", -1, 1, 2, -3, 4\nEND", 3,
     "expected a size of at least 0"},
    {"ControlIdBelowMinusOne", "1 DIALOG 0, 0, 10, 10\nBEGIN\n LTEXT \"a\", -2, 1, 2, 3, 4\nEND", 3,
     "expected the id of LTEXT in 1 DIALOG (-1 to 65535), found -2"},
    {"DialogWithoutEnd", "1 DIALOG 0, 0, 10, 10\nBEGIN\n LTEXT \"a\", -1, 1, 2, 3, 4\n", 3,
     "or END in 1 DIALOG, found the end of the script"},
};

INSTANTIATE_TEST_SUITE_P(Scripts, MalformedScript, ::testing::ValuesIn(kMalformedCases), CaseName);

// Found by fuzzing: pop-ups nested tens of thousands deep ran the reader's
// recursion out of stack. 32 levels read; one more is refused.
TEST(MalformedScriptNesting, PopupsNestDeepOnlyToABound)
{
    auto nested = [](int depth) {
        std::string script = "1 MENU BEGIN ";
        for (int i = 0; i < depth; ++i)
            script += "POPUP \"a\" BEGIN ";
        for (int i = 0; i <= depth; ++i)
            script += "END ";
        return script;
    };
    const CResourceScript script = CResourceScript::Parse(nested(32), "test.rc");
    ASSERT_NE(script.Menu(1), nullptr);
    const MenuItemResource* item = &script.Menu(1)->items.at(0);
    for (int depth = 1; depth < 32; ++depth)
        item = &item->items.at(0);
    EXPECT_TRUE(item->IsPopup() && item->items.empty());
    try {
        CResourceScript::Parse(nested(100000), "test.rc");
        FAIL() << "the script was read";
    } catch (const CResourceScript::Error& error) {
        EXPECT_NE(std::string(error.what()).find("pop-up menus nest at most 32 deep"), std::string::npos)
            << error.what();
    }
}

// ---- the program's own script ----

// Every command id of a menu's items, pop-ups included.
void CollectCommands(const std::vector<MenuItemResource>& items, std::multiset<UINT>& ids)
{
    for (const MenuItemResource& item : items) {
        if (item.IsPopup())
            CollectCommands(item.items, ids);
        else if (!item.IsSeparator())
            ids.insert(item.id);
    }
}

TEST(ProgramResources, TheShippedScriptHoldsEveryResourceTheProgramUses)
{
    const CResourceScript& script = ProgramResources::Script();
    for (UINT id : {128u, 129u, 135u})
        EXPECT_NE(script.Menu(id), nullptr) << "menu " << id;
    EXPECT_NE(script.Accelerators(128), nullptr);
    EXPECT_NE(script.ToolBar(128), nullptr);
    for (UINT id : {100u, 134u, 136u, 137u, 140u})
        EXPECT_NE(script.Dialog(id), nullptr) << "dialog " << id;
    EXPECT_EQ(ProgramResources::String(128), "KESTRIX ver2.0");
    EXPECT_EQ(ProgramResources::String(129),
              "\nKESTRI\nKESTRI\nKESTRI ﾌｧｲﾙ (*.cgi)\n.cgi\nKESTRIX2.Document\nKESTRI Document");
    EXPECT_EQ(ProgramResources::String(57344), "KESTRIX_2");

    // Menu 135 is a pop-up menu: one pop-up, whose items are the menu.
    ASSERT_EQ(ProgramResources::Menu(135).items.size(), 1u);
    EXPECT_TRUE(ProgramResources::Menu(135).items[0].IsPopup());
    // A menu bar holds pop-ups only, and no command twice.
    for (UINT id : {128u, 129u}) {
        std::multiset<UINT> commands;
        for (const MenuItemResource& popup : ProgramResources::Menu(id).items) {
            EXPECT_TRUE(popup.IsPopup()) << popup.caption;
            CollectCommands(popup.items, commands);
        }
        for (UINT command : commands)
            EXPECT_EQ(commands.count(command), 1u) << "menu " << id << " command " << command;
    }
}

TEST(ProgramResources, EveryToolBarButtonHasATooltip)
{
    const ToolBarResource& toolBar = ProgramResources::ToolBar(128);
    ASSERT_FALSE(toolBar.buttons.empty());
    for (UINT id : toolBar.buttons) {
        if (id == 0)
            continue;
        const std::string text = ProgramResources::String(id);
        const auto newline = text.find('\n');
        ASSERT_NE(newline, std::string::npos) << "button " << id << " has no prompt and tooltip";
        EXPECT_GT(text.size(), newline + 1) << "button " << id << " has an empty tooltip";
    }
}

TEST(ProgramResources, DialogControlsLieInTheirDialogWithIdsOfTheirOwn)
{
    for (const auto& [id, dialog] : ProgramResources::Script().Dialogs()) {
        EXPECT_FALSE(dialog.caption.empty()) << "dialog " << id;
        EXPECT_EQ(dialog.fontSize, 9) << "dialog " << id;
        EXPECT_EQ(dialog.fontFace, "ＭＳ Ｐゴシック") << "dialog " << id;
        std::set<int> ids;
        for (const DialogControlResource& control : dialog.controls) {
            const std::string name = "dialog " + std::to_string(id) + " " + control.keyword + " " +
                                     std::to_string(control.id) + " \"" + control.text + "\"";
            if (control.id != -1) {
                EXPECT_TRUE(ids.insert(control.id).second) << name << ": the id is taken";
            }
            // A combo box's drop-down list may reach past the dialog; the box
            // itself may not.
            const int height = control.kind == Kind::ComboBox ? std::min(control.cy, 12) : control.cy;
            EXPECT_GE(control.x, 0) << name;
            EXPECT_GE(control.y, 0) << name;
            EXPECT_LE(control.x + control.cx, dialog.cx) << name;
            EXPECT_LE(control.y + height, dialog.cy) << name;
        }
    }
}

} // namespace
