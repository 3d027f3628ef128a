// The editor's pop-up menu and its find and replace dialogs, used the way a
// user uses them.
#include "EditorFixture.h"

#include "editor/CFindReplaceDialog.h"

#include <QAction>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPrinter>
#include <QPushButton>
#include <QTimer>

using namespace editortest;

namespace {

class EditorMenu : public EditorFixture {
protected:
    // Opens the pop-up menu with a right click and chooses the item with
    // the id from the keyboard; returns the items as they were shown.
    std::vector<std::pair<UINT, bool>> RightClickAndChoose(CKESTRIX_2View* view, UINT id)
    {
        std::vector<std::pair<UINT, bool>> shown;
        bool opened = false;
        // A timer of this call's own: it cannot fire once the call is over.
        QTimer timer;
        timer.setSingleShot(true);
        QObject::connect(&timer, &QTimer::timeout, [&] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!menu)
                return;
            opened = menu->objectName() == "135";
            QAction* choose = nullptr;
            for (QAction* action : menu->actions()) {
                if (action->isSeparator())
                    continue;
                shown.push_back({action->data().toUInt(), action->isEnabled()});
                if (action->data().toUInt() == id)
                    choose = action;
            }
            if (choose && choose->isEnabled()) {
                menu->setActiveAction(choose);
                QTest::keyClick(menu, Qt::Key_Return);
            } else {
                menu->close();
            }
        });
        timer.start(0);
        // A right click reaches the view through its viewport.
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(10, 10),
                                view->viewport()->mapToGlobal(QPoint(10, 10)));
        QCoreApplication::sendEvent(view->viewport(), &event);
        EXPECT_TRUE(opened);
        return shown;
    }
    // Puts the caret at a position and opens the find (Ctrl+F) or replace
    // (Ctrl+H) dialog with its shortcut.
    static CFindReplaceDialog* OpenDialog(CKESTRIX_2View* view, long caret, Qt::Key key)
    {
        Caret(view, caret);
        Key(view, key, Qt::ControlModifier);
        return view->FindDialog();
    }
};

TEST_F(EditorMenu, ThePopUpMenuListsTheEditCommandsInOrder)
{
    const auto [doc, view] = OpenScript("menu.cgi", "print 1;\n");
    std::unique_ptr<QMenu> menu(view->CreateEditMenu(view));
    EXPECT_EQ(menu->objectName(), "135");
    std::vector<std::string> items;
    for (QAction* action : menu->actions())
        items.push_back(action->isSeparator()
                            ? "-"
                            : std::to_string(action->data().toUInt()) + " " + action->text().toStdString());
    const std::vector<std::string> expected = {
        "57643 元に戻す(&U)\tCtrl+Z",
        "-",
        "57635 切り取り(&T)\tCtrl+X",
        "57634 ｺﾋﾟｰ(&C)\tCtrl+C",
        "57637 貼り付け(&P)\tCtrl+V",
        "57642 すべて選択(&L)\tCtrl+A",
        "-",
        "57636 検索(&F)...\tCtrl+F",
        "57640 次を検索(&I)\tF3",
        "57641 置換(&E)\tCtrl+H",
        "-",
        "32791 編集中のファイルの構文チェック",
        "-",
        "32800 エスケープを挿入(&Q)",
        "32801 すべてのエスケープを挿入",
    };
    EXPECT_EQ(items, expected);
    EXPECT_FALSE(menu->actions()[0]->isEnabled());
}

TEST_F(EditorMenu, ChoosingFromThePopUpMenuRunsTheCommand)
{
    const auto [doc, view] = OpenScript("pop.cgi", "print 1;\n");
    // Undo is shown disabled until there is something to undo.
    auto shown = RightClickAndChoose(view, 57643);
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown[0], std::make_pair(57643u, false));
    Caret(view, 0);
    Type(view, "x");
    shown = RightClickAndChoose(view, 57643);
    EXPECT_EQ(shown[0], std::make_pair(57643u, true));
    EXPECT_EQ(Text(view), "print 1;");
    // Select all, then the syntax check, which the document carries out.
    RightClickAndChoose(view, 57642);
    EXPECT_EQ(Sel(view), std::make_pair(0L, view->GetTextLength()));
    RightClickAndChoose(view, 32791);
    ASSERT_EQ(hooks_.executed.size(), 1u);
    EXPECT_EQ(hooks_.executed[0].title, "");
    EXPECT_EQ(hooks_.executed[0].text, dir_.file("pop.cgi"));
}

TEST_F(EditorMenu, TheSyntaxCheckOfAnUnsavedScriptAsksForASave)
{
    CKESTRIX_2View* view = ViewOf(New());
    ui_.AnswerBox(IDOK);
    view->RunPopupCommand(32791);
    EXPECT_TRUE(hooks_.executed.empty());
    ASSERT_EQ(ui_.Boxes().size(), 1u);
    EXPECT_EQ(ui_.Boxes()[0].Utf8Caption(), "通知");
}

TEST_F(EditorMenu, FindSearchesDownFromTheCaretAndSaysWhenThereIsNoMore)
{
    const auto [doc, view] = OpenScript("find.cgi", "print 1;\nPrint 2; # 日本\nprint 3;\n");
    CFindReplaceDialog* dialog = OpenDialog(view, 3, Qt::Key_F);
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_FALSE(dialog->FindNextButton()->isEnabled());
    QTest::keyClicks(dialog->FindEdit(), "print");
    dialog->MatchCaseBox()->setChecked(true);
    QTest::mouseClick(dialog->FindNextButton(), Qt::LeftButton);
    const long third = view->LineIndex(2);
    EXPECT_EQ(Sel(view), std::make_pair(third, third + 5));
    ui_.AnswerBox(IDOK);
    QTest::mouseClick(dialog->FindNextButton(), Qt::LeftButton);
    ASSERT_EQ(ui_.Boxes().size(), 1u);
    EXPECT_EQ(ui_.Boxes()[0].Utf8Text(), "「print」が見つかりません。");
    EXPECT_EQ(Sel(view), std::make_pair(third, third + 5));
    // Without the case: F3 repeats the dialog's search.
    dialog->MatchCaseBox()->setChecked(false);
    Caret(view, 3);
    QTest::mouseClick(dialog->FindNextButton(), Qt::LeftButton);
    const long second = view->LineIndex(1);
    EXPECT_EQ(Sel(view), std::make_pair(second, second + 5));
    Key(view, Qt::Key_F3);
    EXPECT_EQ(Sel(view), std::make_pair(third, third + 5));
    // Double-byte text is found at its byte position.
    dialog->FindEdit()->setText(QString::fromUtf8("日本"));
    Caret(view, 0);
    QTest::mouseClick(dialog->FindNextButton(), Qt::LeftButton);
    const long nihon = Find(view, J("日本"));
    EXPECT_EQ(Sel(view), std::make_pair(nihon, nihon + 4));
    // Find again takes the selection as what to find.
    view->SetSel(0, 5);
    view->OnCommand(57636);
    EXPECT_EQ(view->FindDialog()->FindEdit()->text().toStdString(), "print");
}

TEST_F(EditorMenu, ReplaceGoesThroughTheUndoRecordAndRecolours)
{
    const auto [doc, view] = OpenScript("rep.cgi", "prnt 1;\nprnt 2;\n# prnt\n");
    CFindReplaceDialog* dialog = OpenDialog(view, 0, Qt::Key_H);
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(dialog->IsReplace());
    dialog->FindEdit()->setText("prnt");
    dialog->ReplaceEdit()->setText("print");
    // The first click finds, the second replaces and finds the next.
    QTest::mouseClick(dialog->ReplaceButton(), Qt::LeftButton);
    EXPECT_EQ(Sel(view), std::make_pair(0L, 4L));
    QTest::mouseClick(dialog->ReplaceButton(), Qt::LeftButton);
    EXPECT_EQ(Text(view), "print 1;\nprnt 2;\n# prnt");
    EXPECT_EQ(ColorAt(view, 0), kCommand);
    const long second = view->LineIndex(1);
    EXPECT_EQ(Sel(view), std::make_pair(second, second + 4));
    // Replace all does the rest; undo takes the last replacement back.
    QTest::mouseClick(dialog->ReplaceAllButton(), Qt::LeftButton);
    EXPECT_EQ(Text(view), "print 1;\nprint 2;\n# print");
    EXPECT_EQ(ColorAt(view, second), kCommand);
    EXPECT_EQ(ColorAt(view, Find(view, "print", view->LineIndex(2))), kComment);
    EXPECT_TRUE(doc->IsModified());
    EXPECT_EQ(Undo(view), "print 1;\nprint 2;\n# prnt");
    // Nothing left to replace.
    ui_.AnswerBox(IDOK);
    dialog->FindEdit()->setText("absent");
    QTest::mouseClick(dialog->ReplaceAllButton(), Qt::LeftButton);
    EXPECT_EQ(ui_.Boxes().back().Utf8Text(), "「absent」が見つかりません。");
    // A replacement that holds what it replaces does not run away.
    dialog->FindEdit()->setText("print");
    dialog->ReplaceEdit()->setText("print print");
    EXPECT_EQ(view->ReplaceAll("print", "print print", false), 2);
    EXPECT_EQ(Text(view), "print print 1;\nprint print 2;\n# prnt");
}

TEST_F(EditorMenu, PrintAndPreviewDrawTheScriptOnTheProgramsPrinter)
{
    const auto [doc, view] = OpenScript("print.cgi", "print \"日本語\"; # コメント\n");
    QPrinter& printer = ProgramPrinter();
    printer.setOutputFormat(QPrinter::PdfFormat);

    // Cancelling the print dialog prints nothing.
    const std::string cancelled = dir_.file("cancelled.pdf");
    printer.setOutputFileName(QString::fromStdString(cancelled));
    ui_.AnswerPrint(false);
    EXPECT_TRUE(view->OnCommand(57607));
    EXPECT_TRUE(ReadFileBytes(cancelled).empty());

    const std::string printed = dir_.file("printed.pdf");
    printer.setOutputFileName(QString::fromStdString(printed));
    ui_.AnswerPrint(true);
    EXPECT_TRUE(view->OnCommand(57607));
    EXPECT_EQ(ReadFileBytes(printed).substr(0, 5), "%PDF-");

    const std::string previewed = dir_.file("preview.pdf");
    printer.setOutputFileName(QString::fromStdString(previewed));
    EXPECT_TRUE(view->OnCommand(57609));
    EXPECT_EQ(ReadFileBytes(previewed).substr(0, 5), "%PDF-");
    EXPECT_EQ(ui_.PrintDialogs(), (std::vector<std::string>{"print", "print", "preview"}));
    // The half-inch margins are the view's.
    const QMarginsF margins = printer.pageLayout().margins(QPageLayout::Millimeter);
    EXPECT_NEAR(margins.left(), 12.7, 0.01);
    EXPECT_NEAR(margins.top(), 12.7, 0.01);
    printer.setOutputFileName({});
}

} // namespace
