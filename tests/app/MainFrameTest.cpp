// The main frame as the user meets it: its place on the screen, the menus
// and keys of each state, the toolbar, the two bars, the window commands and
// where commands go.
#include "AppFixture.h"

#include "app/CControlWnd.h"
#include "app/CDebugBar.h"
#include "editor/CKESTRIX_2View.h"
#include "project/CProjectView.h"

#include <QAction>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QToolBar>
#include <array>

namespace {

using namespace apptest;

// A menu as lines "id caption" ("-" for a separator, "> caption" for a
// pop-up), as the user reads it.
QStringList Describe(const QMenu* menu)
{
    QStringList lines;
    for (const QAction* action : menu->actions()) {
        if (action->isSeparator())
            lines << QStringLiteral("-");
        else if (action->menu())
            lines << QStringLiteral("> ") + action->text();
        else
            lines << QString::number(action->data().toUInt()) + QLatin1Char(' ') + action->text();
    }
    return lines;
}

QMenu* Popup(const QMenuBar* bar, int index)
{
    return bar->actions().at(index)->menu();
}

QStringList PopupTitles(const QMenuBar* bar)
{
    QStringList titles;
    for (const QAction* action : bar->actions())
        titles << action->text();
    return titles;
}

// ---- the frame's first place: a pure rule of the screen size ----

TEST(FrameGeometry, ScreensAtLeast800WideGet640x480Centred)
{
    EXPECT_EQ(CMainFrame::InitialGeometry({1024, 768}), QRect(192, 144, 640, 480));
    EXPECT_EQ(CMainFrame::InitialGeometry({800, 600}), QRect(80, 60, 640, 480));
    EXPECT_EQ(CMainFrame::InitialGeometry({1280, 1024}), QRect(320, 272, 640, 480));
}

TEST(FrameGeometry, NarrowerScreensGet800x600WhichMayStartOffTheScreen)
{
    EXPECT_EQ(CMainFrame::InitialGeometry({640, 480}), QRect(-80, -60, 800, 600));
    // The half is taken toward zero: -1 / 2 is 0.
    EXPECT_EQ(CMainFrame::InitialGeometry({799, 599}), QRect(0, 0, 800, 600));
    EXPECT_EQ(CMainFrame::InitialGeometry({797, 1000}), QRect(-1, 200, 800, 600));
}

class MainFrameTest : public AppFixture {};

TEST_F(MainFrameTest, StartsCentredWithTitleToolbarAndBothBarsButNoStatusBar)
{
    EXPECT_EQ(Frame().windowTitle(), QStringLiteral("KESTRIX ver2.0"));
    EXPECT_TRUE(Frame().isVisible());
    EXPECT_EQ(Frame().geometry().size(), QSize(640, 480)) << "the offscreen screen is 800 wide";
    EXPECT_EQ(Frame().findChild<QStatusBar*>(), nullptr);
    EXPECT_EQ(App().OsFamily(), 1);
    EXPECT_EQ(App().GetProjectFolder(), "");

    CControlWnd& workspace = App().ControlWnd();
    CDebugBar& output = App().DebugBar();
    EXPECT_TRUE(workspace.isVisible());
    EXPECT_TRUE(output.isVisible());
    EXPECT_EQ(Frame().dockWidgetArea(&workspace), Qt::LeftDockWidgetArea);
    EXPECT_EQ(Frame().dockWidgetArea(&output), Qt::BottomDockWidgetArea);
    EXPECT_TRUE(workspace.features() & QDockWidget::DockWidgetFloatable);
    EXPECT_TRUE(output.features() & QDockWidget::DockWidgetFloatable);
    // The workspace bar takes half the frame's width, the debug bar 150
    // pixels of height (give or take the dock's separator).
    EXPECT_NEAR(workspace.width(), 320, 8);
    EXPECT_NEAR(output.height(), 150, 8);
    EXPECT_EQ(output.windowTitle(), QStringLiteral("Debug Window"));
    // The workspace has no title; each bar docks on its own side only.
    EXPECT_EQ(workspace.windowTitle(), QString());
    EXPECT_EQ(workspace.allowedAreas(), Qt::LeftDockWidgetArea);
    EXPECT_EQ(output.allowedAreas(), Qt::BottomDockWidgetArea);
}

TEST_F(MainFrameTest, BarsShowTheirTabsAndSelectOnlyExistingOnes)
{
    QTabWidget* workspaceTabs = App().ControlWnd().Tabs();
    QTabWidget* outputTabs = App().DebugBar().Tabs();
    const QFont tabFont = workspaceTabs->tabBar()->font();
    EXPECT_EQ(tabFont.family(), Q("ＭＳ　明朝"));
    EXPECT_EQ(tabFont.pointSize(), 10);
    // Each bar: its tabs' texts, then the classes of their pages.
    const std::pair<QTabWidget*, std::array<const char*, 4>> bars[] = {
        {workspaceTabs, {"ProjectView", "FTPView", "CProjectView", "CFtpView"}},
        {outputTabs, {"SyntaxCheck", "DebugScreen", "CSyntaxCheck", "CDebugScreen"}},
    };
    for (const auto& [tabs, names] : bars) {
        ASSERT_EQ(tabs->count(), 2);
        for (int i = 0; i < 2; ++i) {
            EXPECT_EQ(tabs->tabText(i), QString::fromLatin1(names[std::size_t(i)]));
            EXPECT_STREQ(tabs->widget(i)->metaObject()->className(), names[std::size_t(i) + 2]);
        }
        EXPECT_EQ(tabs->tabPosition(), QTabWidget::South);
        EXPECT_EQ(tabs->tabBar()->font(), tabFont) << "both bars use the same tab font";
        EXPECT_EQ(tabs->currentIndex(), 0);
    }
    for (int i = 0; i < 2; ++i) {
        const QPixmap icon = workspaceTabs->tabIcon(i).pixmap(16, 16);
        EXPECT_FALSE(icon.isNull());
        EXPECT_EQ(icon.size(), QSize(16, 16));
    }
    EXPECT_NE(workspaceTabs->tabIcon(0).pixmap(16).toImage(), workspaceTabs->tabIcon(1).pixmap(16).toImage());

    App().ControlWnd().SelectTab(1);
    App().DebugBar().SelectTab(1);
    EXPECT_EQ(workspaceTabs->currentIndex(), 1);
    EXPECT_EQ(outputTabs->currentIndex(), 1);
    for (int wrong : {2, -1, 7}) {
        App().ControlWnd().SelectTab(wrong);
        App().DebugBar().SelectTab(wrong);
    }
    EXPECT_EQ(workspaceTabs->currentIndex(), 1);
    EXPECT_EQ(outputTabs->currentIndex(), 1);
    App().ControlWnd().SelectTab(0);
    EXPECT_EQ(workspaceTabs->currentIndex(), 0);
}

TEST_F(MainFrameTest, ViewCommandsToggleTheBarsAndTheToolbar)
{
    CControlWnd& workspace = App().ControlWnd();
    CDebugBar& output = App().DebugBar();
    EXPECT_TRUE(Frame().SendCommand(32780));
    EXPECT_FALSE(workspace.isVisible());
    EXPECT_TRUE(output.isVisible());
    EXPECT_TRUE(Frame().SendCommand(32780));
    EXPECT_TRUE(workspace.isVisible());

    EXPECT_TRUE(Frame().SendCommand(32792));
    EXPECT_FALSE(output.isVisible());
    // A bar the user closed with its own button comes back the same way.
    workspace.close();
    EXPECT_FALSE(workspace.isVisible());
    Frame().SendCommand(32780);
    Frame().SendCommand(32792);
    EXPECT_TRUE(workspace.isVisible());
    EXPECT_TRUE(output.isVisible());

    QMenu* view = Popup(Frame().MenuBar(128), 1);
    QAction* toolbarItem = CMenuBuilder::FindAction(Frame().MenuBar(128), 59392);
    Frame().UpdateMenu(view);
    EXPECT_TRUE(toolbarItem->isChecked());
    EXPECT_TRUE(Frame().SendCommand(59392));
    EXPECT_FALSE(Frame().ToolBar()->isVisible());
    Frame().UpdateMenu(view);
    EXPECT_FALSE(toolbarItem->isChecked());
    Frame().SendCommand(59392);
    EXPECT_TRUE(Frame().ToolBar()->isVisible());
}

TEST_F(MainFrameTest, Menu128HasEveryItemWhileNoDocumentIsOpen)
{
    QMenuBar* bar = Frame().MenuBar(128);
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->objectName(), QStringLiteral("128"));
    EXPECT_EQ(Frame().CurrentMenu(), 128u);
    EXPECT_TRUE(bar->isVisible());
    EXPECT_FALSE(Frame().MenuBar(129)->isVisible());

    EXPECT_EQ(PopupTitles(bar), Lines({"ファイル(&F)", "表示(&V)", "ﾍﾙﾌﾟ(&H)"}));
    EXPECT_EQ(
        Describe(Popup(bar, 0)),
        Lines({"57600 新規作成(&N)\tCtrl+N", "57601 開く(&O)...\tCtrl+O", "-", "32771 プロジェクトを開く",
               "32778 プロジェクトの新規作成", "32789 プロジェクトの保存", "32779 プロジェクトを閉じる",
               "32820 プロジェクトの公開", "-", "32781 設定", "-", "57606 ﾌﾟﾘﾝﾀの設定(&R)...", "-",
               "57616 最近使ったﾌｧｲﾙ", "-", "57665 ｱﾌﾟﾘｹｰｼｮﾝの終了(&X)"}));
    EXPECT_EQ(Describe(Popup(bar, 1)), Lines({"59392 ﾂｰﾙ ﾊﾞｰ(&T)", "32780 ツールウィンドウの表示/非表示",
                                              "32792 デバッグウィンドウの表示/非表示"}));
    EXPECT_EQ(Describe(Popup(bar, 2)), Lines({"32795 操作説明", "57664 KESTRIX_2 のﾊﾞｰｼﾞｮﾝ情報(&A)..."}));
    // Each item is named after its command.
    for (QAction* action : Popup(bar, 0)->actions()) {
        if (!action->isSeparator()) {
            EXPECT_EQ(action->objectName(), QString::number(action->data().toUInt()));
        }
    }

    // Just before the file menu opens: no project, so neither saving nor
    // closing one; an empty recent-file list.
    for (UINT id : {57600u, 57601u, 32771u, 32778u, 32781u, 57606u, 57665u})
        EXPECT_TRUE(ItemEnabled(128, id)) << id;
    for (UINT id : {32789u, 32779u, 57616u})
        EXPECT_FALSE(ItemEnabled(128, id)) << id;
}

TEST_F(MainFrameTest, Menu129ComesWithTheFirstDocumentAndGoesWithTheLast)
{
    Frame().SendCommand(57600);
    ASSERT_EQ(OpenDocuments(), 1u);
    QMenuBar* bar = Frame().MenuBar(129);
    EXPECT_EQ(bar->objectName(), QStringLiteral("129"));
    EXPECT_EQ(Frame().CurrentMenu(), 129u);
    EXPECT_TRUE(bar->isVisible());
    EXPECT_FALSE(Frame().MenuBar(128)->isVisible());

    EXPECT_EQ(PopupTitles(bar), Lines({"ファイル(&F)", "編集(&E)", "表示(&V)", "ｳｨﾝﾄﾞｳ(&W)", "ﾍﾙﾌﾟ(&H)"}));
    EXPECT_EQ(Describe(Popup(bar, 0)), Lines({"57600 新規作成(&N)\tCtrl+N",
                                              "57601 開く(&O)...\tCtrl+O",
                                              "57602 閉じる(&C)",
                                              "57603 上書き保存(&S)\tCtrl+S",
                                              "57604 名前を付けて保存(&A)...",
                                              "-",
                                              "32784 EUCコードに変換して保存",
                                              "32786 JISコードに変換して保存",
                                              "32787 SJISコードに変換して保存",
                                              "-",
                                              "32771 プロジェクトを開く",
                                              "32778 プロジェクトの新規作成",
                                              "32779 プロジェクトを閉じる",
                                              "32820 プロジェクトの公開",
                                              "-",
                                              "32781 設定",
                                              "-",
                                              "57607 印刷(&P)...\tCtrl+P",
                                              "57609 印刷ﾌﾟﾚﾋﾞｭｰ(&V)",
                                              "57606 ﾌﾟﾘﾝﾀの設定(&R)...",
                                              "-",
                                              "57616 最近使ったﾌｧｲﾙ",
                                              "-",
                                              "57665 ｱﾌﾟﾘｹｰｼｮﾝの終了(&X)"}));
    EXPECT_EQ(Describe(Popup(bar, 1)),
              Lines({"57643 元に戻す(&U)\tCtrl+Z", "-", "57635 切り取り(&T)\tCtrl+X",
                     "57634 ｺﾋﾟｰ(&C)\tCtrl+C", "57637 貼り付け(&P)\tCtrl+V", "57642 すべて選択(&L)\tCtrl+A",
                     "-", "57636 検索(&F)...\tCtrl+F", "57640 次を検索(&I)\tF3", "57641 置換(&E)\tCtrl+H"}));
    EXPECT_EQ(Describe(Popup(bar, 2)), Lines({"59392 ﾂｰﾙ ﾊﾞｰ(&T)", "32780 ツールウィンドウの表示切替",
                                              "32792 デバッグウィンドウの表示/非表示"}));
    EXPECT_EQ(Describe(Popup(bar, 3)).mid(0, 4),
              Lines({"57648 新しいｳｨﾝﾄﾞｳを開く(&N)", "57650 重ねて表示(&C)", "57651 並べて表示(&T)",
                     "57649 ｱｲｺﾝの整列(&A)"}));
    EXPECT_EQ(Describe(Popup(bar, 4)), Lines({"32795 操作説明", "57664 KESTRIX_2 のﾊﾞｰｼﾞｮﾝ情報(&A)..."}));

    // With a document the document's own commands are enabled; undo waits
    // for an edit.
    for (UINT id : {57602u, 57603u, 57604u, 32784u, 32786u, 32787u, 57607u, 57609u, 57635u, 57634u, 57637u,
                    57642u, 57636u, 57640u, 57641u})
        EXPECT_TRUE(ItemEnabled(129, id)) << id;
    EXPECT_FALSE(ItemEnabled(129, 57643));
    EXPECT_FALSE(ItemEnabled(129, 32779));

    Frame().SendCommand(57600);
    ASSERT_EQ(OpenDocuments(), 2u);
    Frame().SendCommand(57602);
    EXPECT_EQ(Frame().CurrentMenu(), 129u) << "one document is still open";
    Frame().SendCommand(57602);
    EXPECT_EQ(OpenDocuments(), 0u);
    EXPECT_EQ(Frame().CurrentMenu(), 128u);
    EXPECT_TRUE(Frame().MenuBar(128)->isVisible());
    EXPECT_FALSE(Frame().MenuBar(129)->isVisible());

    // Closing the last window with its own close button does the same.
    Frame().SendCommand(57600);
    EXPECT_EQ(Frame().CurrentMenu(), 129u);
    Frame().MdiArea()->currentSubWindow()->close();
    QApplication::processEvents();
    EXPECT_EQ(OpenDocuments(), 0u);
    EXPECT_EQ(Frame().CurrentMenu(), 128u);
}

TEST_F(MainFrameTest, ToolbarButtonsInOrderWithPaintedIconsAndStates)
{
    QToolBar* toolbar = Frame().ToolBar();
    ASSERT_NE(toolbar, nullptr);
    EXPECT_EQ(toolbar->objectName(), QStringLiteral("59392"));
    EXPECT_EQ(Frame().findChild<QToolBar*>(QStringLiteral("59392")), toolbar);
    QStringList buttons;
    for (QAction* action : toolbar->actions())
        buttons << (action->isSeparator() ? QStringLiteral("-") : action->objectName());
    EXPECT_EQ(buttons,
              Lines({"57600", "57601", "57603", "-", "57635", "57634", "57637", "-", "57607", "-", "57664"}));
    QList<QImage> pictures;
    for (QAction* action : toolbar->actions()) {
        if (action->isSeparator())
            continue;
        const QList<QSize> sizes = action->icon().availableSizes();
        ASSERT_FALSE(sizes.isEmpty()) << action->objectName().toStdString();
        EXPECT_EQ(sizes.front(), QSize(16, 15));
        EXPECT_FALSE(action->toolTip().isEmpty());
        const QImage picture = action->icon().pixmap(QSize(16, 15)).toImage();
        EXPECT_FALSE(pictures.contains(picture)) << "each button has a picture of its own";
        pictures << picture;
    }

    auto button = [&](const char* id) { return toolbar->findChild<QAction*>(QString::fromLatin1(id)); };
    Frame().UpdateToolBar();
    EXPECT_TRUE(button("57600")->isEnabled());
    EXPECT_TRUE(button("57601")->isEnabled());
    EXPECT_FALSE(button("57603")->isEnabled()) << "nothing to save";
    EXPECT_FALSE(button("57635")->isEnabled());
    EXPECT_FALSE(button("57607")->isEnabled());
    EXPECT_TRUE(button("57664")->isEnabled());

    button("57600")->trigger();
    EXPECT_EQ(OpenDocuments(), 1u);
    Frame().UpdateToolBar();
    EXPECT_TRUE(button("57603")->isEnabled());
    EXPECT_TRUE(button("57635")->isEnabled());
    EXPECT_TRUE(button("57607")->isEnabled());
}

TEST_F(MainFrameTest, AcceleratorTableSendsEachKeysCommand)
{
    const CAcceleratorTable& keys = Frame().Accelerators();
    const std::pair<QKeyCombination, UINT> table[] = {
        {Qt::CTRL | Qt::Key_N, 57600},
        {Qt::CTRL | Qt::Key_O, 57601},
        {Qt::CTRL | Qt::Key_S, 57603},
        {Qt::CTRL | Qt::Key_P, 57607},
        {Qt::CTRL | Qt::Key_Z, 57643},
        {Qt::ALT | Qt::Key_Backspace, 57643},
        {Qt::CTRL | Qt::Key_X, 57635},
        {Qt::SHIFT | Qt::Key_Delete, 57635},
        {Qt::CTRL | Qt::Key_C, 57634},
        {Qt::CTRL | Qt::Key_Insert, 57634},
        {Qt::CTRL | Qt::Key_V, 57637},
        {Qt::SHIFT | Qt::Key_Insert, 57637},
        {Qt::CTRL | Qt::Key_A, 57642},
        {Qt::CTRL | Qt::Key_F, 57636},
        {QKeyCombination(Qt::Key_F3), 57640},
        {Qt::CTRL | Qt::Key_H, 57641},
        {Qt::ALT | Qt::Key_Return, 57860},
        {Qt::ALT | Qt::Key_Enter, 57860},
        {QKeyCombination(Qt::Key_F6), 57680},
        {Qt::SHIFT | Qt::Key_F6, 57681},
        {QKeyCombination(Qt::Key_Escape), 32768},
    };
    for (const auto& [key, id] : table)
        EXPECT_EQ(keys.Find(key), std::optional<UINT>(id)) << QKeySequence(key).toString().toStdString();
    EXPECT_EQ(keys.Find(QKeyCombination(Qt::ControlModifier | Qt::KeypadModifier, Qt::Key_Enter)),
              std::nullopt);
    EXPECT_EQ(keys.Find(QKeyCombination(Qt::AltModifier | Qt::KeypadModifier, Qt::Key_Enter)),
              std::optional<UINT>(57860));
    EXPECT_EQ(keys.Find(Qt::CTRL | Qt::Key_B), std::nullopt);
    EXPECT_EQ(keys.Find(Qt::CTRL | Qt::SHIFT | Qt::Key_N), std::nullopt);
}

TEST_F(MainFrameTest, KeysPressedInTheWindowRunTheirCommands)
{
    // Where the keyboard focus is when the program starts.
    QWidget* focus = QApplication::focusWidget() ? QApplication::focusWidget() : &Frame();
    QTest::keyClick(focus, Qt::Key_N, Qt::ControlModifier);
    ASSERT_EQ(OpenDocuments(), 1u);
    QTest::keyClick(ActiveView()->Widget(), Qt::Key_N, Qt::ControlModifier);
    ASSERT_EQ(OpenDocuments(), 2u);
    EXPECT_EQ(ActiveTitle(), QStringLiteral("KESTRI2"));

    // F6 and Shift+F6 go round the document windows, even from the editor.
    QTest::keyClick(ActiveView()->Widget(), Qt::Key_F6);
    EXPECT_EQ(ActiveTitle(), QStringLiteral("KESTRI1"));
    QTest::keyClick(ActiveView()->Widget(), Qt::Key_F6);
    EXPECT_EQ(ActiveTitle(), QStringLiteral("KESTRI2"));
    QTest::keyClick(ActiveView()->Widget(), Qt::Key_F6, Qt::ShiftModifier);
    EXPECT_EQ(ActiveTitle(), QStringLiteral("KESTRI1"));

    // Ctrl+O asks for a file; a key nobody has a command for goes on to the
    // editor, which types it.
    ui.AnswerFile(std::nullopt);
    QTest::keyClick(ActiveView()->Widget(), Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(ui.FileDialogs().size(), 1u);
    auto* editor = dynamic_cast<CKESTRIX_2View*>(ActiveView());
    ASSERT_NE(editor, nullptr);
    QTest::keyClicks(editor, QStringLiteral("ab"));
    EXPECT_EQ(editor->toPlainText(), QStringLiteral("ab"));
    QTest::keyClick(editor, Qt::Key_Escape);
    EXPECT_EQ(editor->toPlainText(), QStringLiteral("ab"));
    // Ctrl+A then Ctrl+X cut through the view's own commands.
    QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(editor, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(editor->toPlainText(), QString());
}

TEST_F(MainFrameTest, TextFieldsOfTheBarsKeepTheEditKeys)
{
    Frame().SendCommand(57600);
    auto* editor = dynamic_cast<CKESTRIX_2View*>(ActiveView());
    ASSERT_NE(editor, nullptr);
    QTest::keyClicks(editor, QStringLiteral("script"));

    // A text field on a bar's page, as the later pages have them.
    auto* field = new QLineEdit(App().ControlWnd().ProjectView());
    field->setText(QStringLiteral("path"));
    field->show();
    field->setFocus();
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(field, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(field->text(), QString());
    EXPECT_EQ(editor->toPlainText(), QStringLiteral("script"));
    // Keys of other commands still reach the frame from there.
    QTest::keyClick(field, Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(OpenDocuments(), 2u);
    delete field;
}

TEST_F(MainFrameTest, NewWindowNumbersTheTitlesAndTheWindowMenuListsThem)
{
    Frame().SendCommand(57600);
    CDocument* document = ActiveDocument();
    ASSERT_NE(document, nullptr);
    EXPECT_EQ(WindowTitles(), QStringList{QStringLiteral("KESTRI1")});

    EXPECT_TRUE(Frame().SendCommand(57648));
    EXPECT_EQ(OpenDocuments(), 1u);
    EXPECT_EQ(document->Views().size(), 2u);
    EXPECT_EQ(WindowTitles(), Lines({"KESTRI1:1", "KESTRI1:2"}));
    EXPECT_EQ(ActiveTitle(), QStringLiteral("KESTRI1:2"));
    EXPECT_EQ(ActiveDocument(), document);

    QMenuBar* bar = Frame().MenuBar(129);
    QMenu* windowMenu = Popup(bar, 3);
    Frame().UpdateMenu(windowMenu);
    const QStringList items = Describe(windowMenu);
    ASSERT_EQ(items.size(), 7);
    EXPECT_EQ(items.mid(4), Lines({"-", "65280 &1 KESTRI1:1", "65281 &2 KESTRI1:2"}));
    EXPECT_FALSE(CMenuBuilder::FindAction(bar, 65280)->isChecked());
    EXPECT_TRUE(CMenuBuilder::FindAction(bar, 65281)->isChecked());
    // Choosing a window in the list makes it the active one.
    CMenuBuilder::FindAction(bar, 65280)->trigger();
    EXPECT_EQ(ActiveTitle(), QStringLiteral("KESTRI1:1"));
    Frame().UpdateMenu(windowMenu);
    EXPECT_TRUE(CMenuBuilder::FindAction(bar, 65280)->isChecked());
    EXPECT_EQ(Describe(windowMenu).size(), 7) << "the list is rebuilt, not added to";

    // Closing one of the two windows leaves the document with one, titled
    // plainly again.
    Frame().MdiArea()->currentSubWindow()->close();
    QApplication::processEvents();
    EXPECT_EQ(OpenDocuments(), 1u);
    EXPECT_EQ(WindowTitles(), QStringList{QStringLiteral("KESTRI1")});
    Frame().SendCommand(57648);
    Frame().SendCommand(57648);
    EXPECT_EQ(WindowTitles(), Lines({"KESTRI1:1", "KESTRI1:2", "KESTRI1:3"}));
}

TEST_F(MainFrameTest, ASecondWindowShowsTheSameScriptAndItsLastWindowAsksAboutChanges)
{
    const std::string path = files_.write("two.cgi", "print 1;\n# note\n");
    CDocument* document = OpenFile(path);
    ASSERT_NE(document, nullptr);
    auto* first = dynamic_cast<CKESTRIX_2View*>(ActiveView());
    ASSERT_NE(first, nullptr);
    QMdiSubWindow* firstWindow = Frame().MdiArea()->currentSubWindow();
    first->SetSel(0, 0);
    Type(first, Q("exit; "));
    ASSERT_TRUE(document->IsModified());

    Frame().SendCommand(57648);
    auto* second = dynamic_cast<CKESTRIX_2View*>(ActiveView());
    ASSERT_NE(second, nullptr);
    ASSERT_NE(second, first);
    EXPECT_EQ(second->GetDocument(), document);
    // The same text with its colours, and the document's modified mark.
    EXPECT_EQ(second->GetTextRange(0, -1), "exit; print 1;\r# note");
    EXPECT_TRUE(document->IsModified());
    second->SetSel(second->FindText(FR_DOWN, 0, -1, "#"), second->FindText(FR_DOWN, 0, -1, "#") + 1);
    const CharFormat comment = second->GetCharFormat();
    EXPECT_EQ(comment.color, first->CommentColor());
    EXPECT_FALSE(comment.effects & CFE_AUTOCOLOR);
    // What is typed in either window shows in both, coloured.
    second->SetSel(second->GetTextLength(), second->GetTextLength());
    QTest::keyClick(second, Qt::Key_Return);
    Type(second, Q("print 2;"));
    EXPECT_EQ(first->GetTextRange(0, -1), "exit; print 1;\r# note\rprint 2;");
    first->SetSel(first->FindText(FR_DOWN, 0, -1, "print 2"), first->FindText(FR_DOWN, 0, -1, "print 2") + 1);
    EXPECT_EQ(first->GetCharFormat().color, first->CommandColor());
    // Undo in the first window takes back the edit made in the second.
    Frame().MdiArea()->setActiveSubWindow(firstWindow);
    first->OnCommand(57643);
    EXPECT_EQ(second->GetTextRange(0, -1), "exit; print 1;\r# note\rprint 2");

    // Closing the first window asks nothing; the second still holds the
    // edits, and closing it asks about them.
    firstWindow->close();
    QApplication::processEvents();
    EXPECT_TRUE(ui.Boxes().empty());
    ASSERT_EQ(OpenDocuments(), 1u);
    EXPECT_EQ(second->GetTextRange(0, -1), "exit; print 1;\r# note\rprint 2");
    EXPECT_TRUE(document->IsModified());
    ui.AnswerBox(IDYES);
    Frame().MdiArea()->currentSubWindow()->close();
    QApplication::processEvents();
    ASSERT_EQ(ui.Boxes().size(), 1u);
    EXPECT_NE(ui.Boxes()[0].Utf8Text().find("two.cgi"), std::string::npos) << ui.Boxes()[0].Utf8Text();
    EXPECT_EQ(OpenDocuments(), 0u);
    EXPECT_EQ(ReadFileBytes(path), "exit; print 1;\n# note\nprint 2\n");
}

TEST_F(MainFrameTest, DroppedFilesOpenAsDocumentsAndTheTitleNamesTheActiveScript)
{
    EXPECT_EQ(Frame().windowTitle(), Q("KESTRIX ver2.0"));
    const std::string a = files_.write("a.cgi", "print 1;\n");
    const std::string b = files_.write("b.pl", "print 2;\n");
    QMimeData data;
    data.setUrls(
        {QUrl::fromLocalFile(QString::fromStdString(a)), QUrl::fromLocalFile(QString::fromStdString(b))});
    const QPoint at = Frame().rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&Frame(), &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&Frame(), &drop);
    EXPECT_EQ(OpenDocuments(), 2u);
    EXPECT_EQ(WindowTitles(), Lines({"a.cgi", "b.pl"}));
    EXPECT_EQ(Frame().windowTitle(), Q("KESTRIX ver2.0 - b.pl"));
    Frame().MdiArea()->setActiveSubWindow(Frame().MdiArea()->subWindowList().front());
    EXPECT_EQ(Frame().windowTitle(), Q("KESTRIX ver2.0 - a.cgi"));
    // Saved under a new name, the title follows.
    ASSERT_TRUE(ActiveDocument()->DoSave(files_.file("renamed.cgi")));
    QTest::qWait(400);
    EXPECT_EQ(Frame().windowTitle(), Q("KESTRIX ver2.0 - renamed.cgi"));
    Frame().SendCommand(57602);
    Frame().SendCommand(57602);
    EXPECT_EQ(OpenDocuments(), 0u);
    EXPECT_EQ(Frame().windowTitle(), Q("KESTRIX ver2.0"));
    // A drag of anything but files is not taken.
    QMimeData text;
    text.setText("print");
    QDragEnterEvent textEnter(at, Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&Frame(), &textEnter);
    EXPECT_FALSE(textEnter.isAccepted());
}

TEST_F(MainFrameTest, CascadeTileAndArrangeIconsPlaceTheWindows)
{
    Frame().SendCommand(57600);
    Frame().SendCommand(57600);
    Frame().SendCommand(57600);
    const QList<QMdiSubWindow*> windows = Frame().MdiArea()->subWindowList();
    ASSERT_EQ(windows.size(), 3);

    EXPECT_TRUE(Frame().SendCommand(57651));
    // Tiled windows do not overlap.
    for (int i = 0; i < 3; ++i)
        for (int j = i + 1; j < 3; ++j)
            EXPECT_FALSE(windows[i]->geometry().intersects(windows[j]->geometry()));
    EXPECT_TRUE(Frame().SendCommand(57650));
    // Cascaded windows step down and to the right.
    EXPECT_LT(windows[0]->geometry().top(), windows[1]->geometry().top());
    EXPECT_LT(windows[0]->geometry().left(), windows[1]->geometry().left());

    windows[0]->showMinimized();
    windows[2]->showMinimized();
    QApplication::processEvents();
    EXPECT_TRUE(Frame().SendCommand(57649));
    const int bottom = Frame().MdiArea()->viewport()->height();
    EXPECT_EQ(windows[0]->geometry().bottom() + 1, bottom);
    EXPECT_EQ(windows[2]->geometry().bottom() + 1, bottom);
    EXPECT_EQ(windows[0]->x(), 0);
    EXPECT_EQ(windows[2]->x(), windows[0]->width());
}

TEST_F(MainFrameTest, CommandsGoToTheViewThatAsksFirstAndUnknownOnesToNobody)
{
    Frame().SendCommand(57600);
    auto* first = dynamic_cast<CKESTRIX_2View*>(ActiveView());
    Frame().SendCommand(57600);
    auto* second = dynamic_cast<CKESTRIX_2View*>(ActiveView());
    ASSERT_TRUE(first && second && first != second);
    QTest::keyClicks(first, QStringLiteral("one"));
    QTest::keyClicks(second, QStringLiteral("two"));

    // A pop-up menu of the first window sends select-all and cut to it,
    // though the second is active.
    EXPECT_TRUE(Frame().SendCommandFrom(first, 57642));
    EXPECT_TRUE(Frame().SendCommandFrom(first, 57635));
    EXPECT_EQ(first->toPlainText(), QString());
    EXPECT_EQ(second->toPlainText(), QStringLiteral("two"));
    // The menus' commands go to the active view.
    EXPECT_TRUE(Frame().SendCommand(57642));
    EXPECT_TRUE(Frame().SendCommand(57635));
    EXPECT_EQ(second->toPlainText(), QString());

    // A command no target has is not carried out, and its item is disabled.
    EXPECT_FALSE(Frame().SendCommand(57860));
    EXPECT_FALSE(Frame().CommandState(57860).Enabled());
    EXPECT_FALSE(Frame().SendCommand(32768));
}

} // namespace
