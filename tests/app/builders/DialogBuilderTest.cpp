// Dialogs laid out from templates: which widget each control statement
// makes, where it goes, and the dialog's own classes for chosen ids.
#include "app/settings/CColorSwatch.h"
#include "app/builders/CDialogBuilder.h"
#include "app/builders/DialogUnits.h"
#include "platform/ui/CFaceSubstitution.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <gtest/gtest.h>

namespace {

const char* const kTemplate = R"(
7 DIALOG 0, 0, 200, 120
CAPTION "見本"
FONT 9, "ＭＳ Ｐゴシック"
BEGIN
    GROUPBOX "枠", -1, 2, 3, 120, 60
    LTEXT "ラベル：", -1, 9, 17, 60, 8
    RTEXT "右", 10, 9, 27, 60, 8
    COMBOBOX 11, 71, 14, 71, 78, CBS_DROPDOWN
    COMBOBOX 12, 71, 30, 71, 78, CBS_DROPDOWNLIST
    EDITTEXT 13, 9, 40, 50, 12, ES_PASSWORD | ES_AUTOHSCROLL
    EDITTEXT 14, 9, 55, 50, 12, ES_READONLY | WS_DISABLED
    CONTROL "入切", 15, "Button", BS_AUTOCHECKBOX | WS_TABSTOP, 8, 70, 75, 10
    AUTORADIOBUTTON "選択", 16, 8, 82, 75, 10
    LISTBOX 17, 130, 3, 60, 40
    LTEXT "", 18, 130, 50, 21, 12, SS_NOTIFY | WS_BORDER
    ICON "", -1, 160, 50, 20, 20
    CONTROL "", 19, "SysTabControl32", 0x0, 130, 75, 60, 20
    DEFPUSHBUTTON "OK", 1, 96, 102, 50, 14
    PUSHBUTTON "ｷｬﾝｾﾙ", 2, 146, 102, 50, 14
END
)";

class DialogBuilderTest : public ::testing::Test {
protected:
    const CResourceScript script_ = CResourceScript::Parse(kTemplate, "test.rc");
    const DialogResource& resource_ = *script_.Dialog(7);
    QDialog dialog_;
};

TEST_F(DialogBuilderTest, MakesEachControlOfItsKindInTheTemplatesOrder)
{
    CDialogBuilder builder(resource_);
    builder.Build(&dialog_);

    EXPECT_EQ(dialog_.windowTitle(), QString::fromUtf8("見本"));
    const std::vector<QWidget*>& widgets = builder.Widgets();
    ASSERT_EQ(widgets.size(), resource_.controls.size());
    // The children in creation order are the template's order: the tab and
    // stacking order.
    QList<QWidget*> children;
    for (QObject* child : dialog_.children())
        if (auto* widget = qobject_cast<QWidget*>(child))
            children << widget;
    EXPECT_EQ(children, QList<QWidget*>(widgets.begin(), widgets.end()));

    const std::vector<std::pair<const char*, QString>> expected = {
        {"QGroupBox", QString()}, {"QLabel", QString()}, {"QLabel", "10"},     {"QComboBox", "11"},
        {"QComboBox", "12"},      {"QLineEdit", "13"},   {"QLineEdit", "14"},  {"QCheckBox", "15"},
        {"QRadioButton", "16"},   {"QListWidget", "17"}, {"QLabel", "18"},     {"QLabel", QString()},
        {"QWidget", "19"},        {"QPushButton", "1"},  {"QPushButton", "2"},
    };
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_STREQ(widgets[i]->metaObject()->className(), expected[i].first) << i;
        EXPECT_EQ(widgets[i]->objectName(), expected[i].second) << i;
    }

    EXPECT_EQ(qobject_cast<QGroupBox*>(widgets[0])->title(), QString::fromUtf8("枠"));
    EXPECT_EQ(qobject_cast<QLabel*>(widgets[1])->text(), QString::fromUtf8("ラベル："));
    EXPECT_TRUE(qobject_cast<QLabel*>(widgets[2])->alignment() & Qt::AlignRight);
    EXPECT_TRUE(CDialogBuilder::Find<QComboBox>(&dialog_, 11)->isEditable());
    EXPECT_FALSE(CDialogBuilder::Find<QComboBox>(&dialog_, 12)->isEditable());
    EXPECT_EQ(CDialogBuilder::Find<QLineEdit>(&dialog_, 13)->echoMode(), QLineEdit::Password);
    EXPECT_FALSE(CDialogBuilder::Find<QLineEdit>(&dialog_, 13)->isReadOnly());
    EXPECT_TRUE(CDialogBuilder::Find<QLineEdit>(&dialog_, 14)->isReadOnly());
    EXPECT_FALSE(CDialogBuilder::Find<QLineEdit>(&dialog_, 14)->isEnabled());
    EXPECT_EQ(CDialogBuilder::Find<QCheckBox>(&dialog_, 15)->text(), QString::fromUtf8("入切"));
    EXPECT_EQ(CDialogBuilder::Find<QRadioButton>(&dialog_, 16)->text(), QString::fromUtf8("選択"));
    EXPECT_TRUE(qobject_cast<QLabel*>(widgets[11])->text().isEmpty()) << "an icon shows no text";
    EXPECT_EQ(builder.First(DialogControlResource::Kind::Icon), widgets[11]);
    EXPECT_EQ(builder.First(DialogControlResource::Kind::RadioButton), widgets[8]);
    auto* ok = CDialogBuilder::Find<QPushButton>(&dialog_, 1);
    auto* cancel = CDialogBuilder::Find<QPushButton>(&dialog_, 2);
    EXPECT_TRUE(ok->isDefault());
    EXPECT_FALSE(cancel->isDefault());
    EXPECT_EQ(cancel->text(), QString::fromUtf8("ｷｬﾝｾﾙ"));
}

TEST_F(DialogBuilderTest, PlacesControlsInTheDialogFontsUnits)
{
    CDialogBuilder builder(resource_);
    builder.Build(&dialog_);
    EXPECT_EQ(dialog_.font(), CFaceSubstitution::Font(QString::fromUtf8("ＭＳ Ｐゴシック"), 9));
    const DialogUnits du(dialog_.font());
    EXPECT_EQ(dialog_.size(), du.Size(200, 120));
    EXPECT_EQ(dialog_.minimumSize(), dialog_.maximumSize()) << "the dialog's size is fixed";

    for (std::size_t i = 0; i < resource_.controls.size(); ++i) {
        const DialogControlResource& c = resource_.controls[i];
        // A closed drop-down combo box is an edit field's height; its list
        // drops down below it.
        const int height = c.kind == DialogControlResource::Kind::ComboBox ? 12 : c.cy;
        EXPECT_EQ(builder.Widgets()[i]->geometry(), du.Rect(c.x, c.y, c.cx, height))
            << c.keyword << " " << c.id;
    }
    // The two combo boxes, one above the other, do not cover each other.
    EXPECT_FALSE(CDialogBuilder::Find<QComboBox>(&dialog_, 11)
                     ->geometry()
                     .intersects(CDialogBuilder::Find<QComboBox>(&dialog_, 12)->geometry()));
}

TEST_F(DialogBuilderTest, TheDialogsOwnClassesTakeTheirIds)
{
    CDialogBuilder builder(resource_);
    builder.Use<CColorSwatch>(18);
    builder.Use(19, [](QWidget* parent) {
        auto* tabs = new QWidget(parent);
        tabs->setProperty("made", true);
        return tabs;
    });
    builder.Use<QLineEdit>(-1); // labels without ids keep their own class
    builder.Build(&dialog_);

    auto* swatch = CDialogBuilder::Find<CColorSwatch>(&dialog_, 18);
    EXPECT_EQ(swatch->geometry(), DialogUnits(dialog_.font()).Rect(130, 50, 21, 12));
    EXPECT_TRUE(CDialogBuilder::Find<QWidget>(&dialog_, 19)->property("made").toBool());
    EXPECT_STREQ(builder.Widgets()[1]->metaObject()->className(), "QLabel");
    EXPECT_EQ(dialog_.findChildren<QLineEdit*>(Qt::FindDirectChildrenOnly).size(), 2);
}

} // namespace
