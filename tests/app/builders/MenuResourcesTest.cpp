// The menus, keys, toolbar and strings the program takes from its resource
// script: the keys agree with what the menus say, and the texts come in
// the code page the program works in.
#include "app/builders/CAcceleratorTable.h"
#include "app/builders/CIconPainter.h"
#include "app/builders/CMenuResources.h"
#include "platform/resources/ProgramResources.h"
#include "platform/text/Sjis.h"

#include <QKeySequence>
#include <gtest/gtest.h>

namespace {

// Each command item that shows a key after its tab, with the key text.
void CollectShownKeys(const std::vector<MenuItemResource>& items,
                      std::vector<std::pair<UINT, std::string>>& shown)
{
    for (const MenuItemResource& item : items) {
        if (item.IsPopup()) {
            CollectShownKeys(item.items, shown);
        } else if (const auto tab = item.caption.find('\t');
                   !item.IsSeparator() && tab != std::string::npos) {
            shown.push_back({item.id, item.caption.substr(tab + 1)});
        }
    }
}

TEST(MenuResources, EveryKeyAMenuShowsSendsThatItemsCommand)
{
    const CAcceleratorTable keys(CMenuResources::Accelerators());
    std::vector<std::pair<UINT, std::string>> shown;
    for (UINT menu : {128u, 129u, 135u})
        CollectShownKeys(ProgramResources::Menu(menu).items, shown);
    ASSERT_GE(shown.size(), 12u);
    for (const auto& [id, text] : shown) {
        const QKeySequence sequence =
            QKeySequence::fromString(QString::fromStdString(text), QKeySequence::PortableText);
        ASSERT_EQ(sequence.count(), 1) << text;
        EXPECT_EQ(keys.Find(sequence[0]), std::optional<UINT>(id)) << text;
    }
}

TEST(MenuResources, AcceleratorsBecomeTheQtKeysTheyStandFor)
{
    const auto virtualKey = [](UINT key, bool control, bool shift, bool alt) {
        return AcceleratorResource{key, true, control, shift, alt, 1};
    };
    const auto character = [](UINT key) { return AcceleratorResource{key, false, false, false, false, 1}; };
    const struct {
        const char* name;
        AcceleratorResource accelerator;
        std::vector<QKeyCombination> keys;
    } cases[] = {
        {"letter", virtualKey('N', true, false, false), {Qt::CTRL | Qt::Key_N}},
        {"digit", virtualKey('7', false, true, false), {Qt::SHIFT | Qt::Key_7}},
        {"function key", virtualKey(0x72, false, false, false), {QKeyCombination(Qt::Key_F3)}},
        {"last function key", virtualKey(0x87, false, false, false), {QKeyCombination(Qt::Key_F24)}},
        {"all modifiers",
         virtualKey(0x2E, true, true, true),
         {Qt::CTRL | Qt::SHIFT | Qt::ALT | Qt::Key_Delete}},
        {"return is both enters",
         virtualKey(0x0D, false, false, true),
         {Qt::ALT | Qt::Key_Return, Qt::ALT | Qt::Key_Enter}},
        {"backspace", virtualKey(0x08, false, false, true), {Qt::ALT | Qt::Key_Backspace}},
        {"escape", virtualKey(0x1B, false, false, false), {QKeyCombination(Qt::Key_Escape)}},
        {"keypad digit", virtualKey(0x61, false, false, false), {QKeyCombination(Qt::Key_1)}},
        {"unknown code", virtualKey(0xFF, true, false, false), {}},
        {"control character", character(3), {Qt::CTRL | Qt::Key_C}},
        {"capital letter", character('A'), {Qt::SHIFT | Qt::Key_A}},
        {"small letter", character('a'), {QKeyCombination(Qt::Key_A)}},
        {"sign", character('+'), {QKeyCombination(Qt::Key_Plus)}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CAcceleratorTable::KeysOf(c.accelerator), c.keys) << c.name;
}

TEST(MenuResources, StringsAndTooltipsComeInCodePage932)
{
    EXPECT_EQ(CMenuResources::String(57600), sjis::FromUtf8("新しいﾌｧｲﾙを作ります\n新規作成"));
    EXPECT_EQ(CMenuResources::ToolTip(57600), sjis::FromUtf8("新規作成"));
    EXPECT_EQ(CMenuResources::ToolTip(57664), sjis::FromUtf8("ﾊﾞｰｼﾞｮﾝ情報"));
    EXPECT_TRUE(sjis::IsValid(CMenuResources::DocumentString()));
    EXPECT_EQ(CMenuResources::DocumentString().substr(0, 7), "\nKESTRI");
    EXPECT_EQ(CMenuResources::String(1), "") << "an id the table lacks";
    EXPECT_EQ(CMenuResources::ToolTip(1), "");
}

TEST(MenuResources, ToolBarPicturesAreTheSizeTheToolBarResourceSays)
{
    EXPECT_EQ(CMenuResources::ToolBarButtonSize(),
              QSize(CIconPainter::kButtonWidth, CIconPainter::kButtonHeight));
    for (UINT id : CMenuResources::ToolBarButtons()) {
        if (id != 0) {
            EXPECT_EQ(CIconPainter::ToolBarButton(id).size(), CMenuResources::ToolBarButtonSize()) << id;
        }
    }
}

} // namespace
