// The command tooltip: how a tip text splits into tips, paging, the timer
// that hides the window, dragging it, and what it draws.
#include "editor/CToolTipWindow.h"
#include "platform/text/Sjis.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <QImage>
#include <QTest>
#include <QToolButton>

namespace {

class ToolTipWindowTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(tip.Create(&frame)); }

    bool Shown(const QToolButton* button) const { return button->isVisibleTo(&tip); }
    // True when some pixel of the rectangle is darker than the background:
    // something was drawn there.
    static bool Drawn(const QImage& image, QRect area)
    {
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                if (qGray(image.pixel(x, y)) < 160)
                    return true;
        return false;
    }
    QImage Grab() { return tip.grab().toImage(); }
    void Ticks(int count)
    {
        for (int i = 0; i < count; ++i)
            tip.Tick();
    }

    QWidget frame;
    CToolTipWindow tip;
};

TEST_F(ToolTipWindowTest, CreatesHiddenWindowWithHiddenButtons)
{
    EXPECT_FALSE(tip.IsShown());
    EXPECT_EQ(tip.size(), QSize(380, 30));
    ASSERT_NE(tip.PreviousButton(), nullptr);
    ASSERT_NE(tip.NextButton(), nullptr);
    EXPECT_EQ(tip.PreviousButton()->geometry(), QRect(5, 5, 20, 20));
    EXPECT_EQ(tip.NextButton()->geometry(), QRect(30, 5, 20, 20));
    EXPECT_FALSE(Shown(tip.PreviousButton()));
    EXPECT_FALSE(Shown(tip.NextButton()));
    EXPECT_EQ(tip.CurrentTip(), "");
    // The tips are Japanese: the font found for them must draw Japanese.
    EXPECT_TRUE(QFontMetrics(tip.TipFont()).inFont(QChar(0x660E)));
    EXPECT_TRUE(QFontMetrics(tip.TipFont()).inFont(QChar(0x30EA)));
}

TEST_F(ToolTipWindowTest, EachColonEndsOneTip)
{
    tip.SetTipText("A:B:");
    EXPECT_EQ(tip.TipCount(), 2);
    EXPECT_EQ(tip.CurrentIndex(), 1);
    EXPECT_EQ(tip.CurrentTip(), "A");
    EXPECT_TRUE(Shown(tip.PreviousButton()));
    EXPECT_TRUE(Shown(tip.NextButton()));
    // The next button moves right to make room for the counter.
    EXPECT_GT(tip.NextButton()->x(), tip.PreviousButton()->geometry().right() + 20);
    EXPECT_EQ(tip.NextButton()->y(), 5);

    // Text after the last colon is no tip.
    tip.SetTipText("A");
    EXPECT_EQ(tip.TipCount(), 0);
    EXPECT_EQ(tip.CurrentTip(), "");
    EXPECT_FALSE(Shown(tip.PreviousButton()));
    EXPECT_FALSE(Shown(tip.NextButton()));

    // An empty tip between two colons is a tip.
    tip.SetTipText("A::B:tail");
    EXPECT_EQ(tip.TipCount(), 3);
    tip.NextTip();
    EXPECT_EQ(tip.CurrentIndex(), 2);
    EXPECT_EQ(tip.CurrentTip(), "");
    tip.NextTip();
    EXPECT_EQ(tip.CurrentTip(), "B");

    // A new text starts at its first tip again; one tip needs no buttons.
    const std::string japanese = sjis::FromUtf8("リストを出力する");
    tip.SetTipText(japanese + ":");
    EXPECT_EQ(tip.TipCount(), 1);
    EXPECT_EQ(tip.CurrentIndex(), 1);
    EXPECT_EQ(tip.CurrentTip(), japanese);
    EXPECT_FALSE(Shown(tip.NextButton()));

    tip.SetTipText("");
    EXPECT_EQ(tip.TipCount(), 0);
}

TEST_F(ToolTipWindowTest, PagingStopsAtTheEndsAndHalvesTheTicks)
{
    tip.SetTipText("A:B:C:");
    tip.ShowAt(QPoint(100, 100));
    Ticks(11);
    tip.PreviousTip(); // already at the first
    EXPECT_EQ(tip.CurrentIndex(), 1);
    EXPECT_EQ(tip.TickCount(), 5);
    tip.NextTip();
    tip.NextTip();
    EXPECT_EQ(tip.CurrentTip(), "C");
    EXPECT_EQ(tip.TickCount(), 1);
    Ticks(9);
    tip.NextTip(); // already at the last
    EXPECT_EQ(tip.CurrentTip(), "C");
    EXPECT_EQ(tip.TickCount(), 5);
    tip.PreviousTip();
    EXPECT_EQ(tip.CurrentTip(), "B");

    EXPECT_TRUE(tip.OnCommand(CToolTipWindow::kNextCommand));
    EXPECT_EQ(tip.CurrentTip(), "C");
    EXPECT_TRUE(tip.OnCommand(CToolTipWindow::kPreviousCommand));
    EXPECT_EQ(tip.CurrentTip(), "B");
    EXPECT_FALSE(tip.OnCommand(1));
    EXPECT_EQ(tip.CurrentTip(), "B");
}

TEST_F(ToolTipWindowTest, ButtonsPageWhenClicked)
{
    tip.SetTipText("A:B:");
    tip.ShowAt(QPoint(100, 100));
    QTest::mouseClick(tip.NextButton(), Qt::LeftButton);
    EXPECT_EQ(tip.CurrentTip(), "B");
    QTest::mouseClick(tip.PreviousButton(), Qt::LeftButton);
    EXPECT_EQ(tip.CurrentTip(), "A");
    EXPECT_EQ(tip.pos(), QPoint(100, 100)); // a click on a button drags nothing
}

TEST_F(ToolTipWindowTest, HidesAfterAHundredTicks)
{
    tip.SetTipText("A:");
    tip.ShowAt(QPoint(10, 10));
    EXPECT_TRUE(tip.IsShown());
    EXPECT_EQ(tip.TickCount(), 0);
    Ticks(99);
    EXPECT_TRUE(tip.IsShown());
    tip.Tick();
    EXPECT_FALSE(tip.IsShown());
    EXPECT_EQ(tip.TickCount(), 0);

    // Showing again starts the count again.
    tip.ShowAt(QPoint(10, 10));
    Ticks(60);
    tip.ShowAt(QPoint(20, 20));
    EXPECT_EQ(tip.TickCount(), 0);
    EXPECT_EQ(tip.pos(), QPoint(20, 20));

    // The timer really runs while the window shows, and stops when hidden.
    QTest::qWait(300);
    EXPECT_GT(tip.TickCount(), 0);
    tip.HideTip();
    EXPECT_EQ(tip.TickCount(), 0);
    QTest::qWait(150);
    EXPECT_EQ(tip.TickCount(), 0);
}

TEST_F(ToolTipWindowTest, PagingProlongsTheShow)
{
    tip.SetTipText("A:B:");
    tip.ShowAt(QPoint(10, 10));
    Ticks(80);
    tip.NextTip();
    EXPECT_EQ(tip.TickCount(), 40);
    Ticks(59);
    EXPECT_TRUE(tip.IsShown());
    tip.Tick();
    EXPECT_FALSE(tip.IsShown());
}

TEST_F(ToolTipWindowTest, DraggingMovesTheWindow)
{
    tip.SetTipText("A:B:");
    tip.ShowAt(QPoint(200, 200));
    // The pointer, given in screen co-ordinates, as the window sees it.
    const auto at = [this](QPoint screen) { return screen - tip.pos(); };
    QTest::mousePress(&tip, Qt::LeftButton, {}, at(QPoint(500, 215)));
    QTest::mouseMove(&tip, at(QPoint(550, 220)));
    EXPECT_EQ(tip.pos(), QPoint(250, 205));
    QTest::mouseMove(&tip, at(QPoint(490, 210)));
    EXPECT_EQ(tip.pos(), QPoint(190, 195));
    QTest::mouseRelease(&tip, Qt::LeftButton, {}, at(QPoint(490, 210)));
    EXPECT_TRUE(tip.IsShown());

    // Once let go the window stays where it is, even under a pressed button
    // that started elsewhere.
    QTest::mousePress(tip.NextButton(), Qt::LeftButton);
    QTest::mouseMove(&tip, at(QPoint(10, 10)));
    QTest::mouseRelease(tip.NextButton(), Qt::LeftButton);
    EXPECT_EQ(tip.pos(), QPoint(190, 195));
}

TEST_F(ToolTipWindowTest, DrawsBackgroundFrameCounterAndTip)
{
    tip.SetTipText("A:B:");
    tip.ShowAt(QPoint(50, 50));
    const QImage paged = Grab();
    ASSERT_EQ(paged.size(), QSize(380, 30));
    EXPECT_EQ(QColor(paged.pixel(370, 3)), QColor(249, 243, 223));
    for (QPoint corner : {QPoint(0, 0), QPoint(379, 0), QPoint(0, 29), QPoint(379, 29), QPoint(200, 0),
                          QPoint(200, 29), QPoint(0, 15), QPoint(379, 15)})
        EXPECT_EQ(QColor(paged.pixel(corner)), QColor(Qt::black)) << corner.x() << "," << corner.y();

    // "1 of 2" between the buttons, the tip right of the next button.
    const QRect counter(tip.PreviousButton()->geometry().right() + 1, 1,
                        tip.NextButton()->x() - tip.PreviousButton()->geometry().right() - 1, 28);
    const int textLeft = tip.NextButton()->geometry().right() + 1;
    const QRect text(textLeft, 1, 378 - textLeft, 28);
    EXPECT_TRUE(Drawn(paged, counter));
    EXPECT_TRUE(Drawn(paged, text));
    tip.NextTip();
    EXPECT_NE(Grab().copy(counter), paged.copy(counter)); // "2 of 2"

    // One tip: no counter, no buttons, the tip near the left edge.
    tip.SetTipText("A:");
    const QImage single = Grab();
    EXPECT_FALSE(Drawn(single, QRect(20, 1, 100, 28)));
    EXPECT_TRUE(Drawn(single, QRect(1, 1, 19, 28)));

    // The tip's line fits the window.
    const int height = tip.CurrentTipHeight(&tip);
    EXPECT_GT(height, 0);
    EXPECT_LE(height, 28);
}

TEST_F(ToolTipWindowTest, WidensToTheLongestTipOfTheSet)
{
    const QString longTip =
        QString::fromUtf8("ファイルハンドルをバイナリモードにするか入出力レイヤーを設定する");
    tip.SetTipText(sjis::FromUtf8("binmode FILEHANDLE:") + sjis::FromUnicode(longTip) + ":");
    tip.ShowAt(QPoint(10, 10));
    const int textLeft = tip.NextButton()->geometry().right() + 1;
    const int needed = textLeft + QFontMetrics(tip.TipFont(), &tip).horizontalAdvance(longTip);
    EXPECT_GT(tip.width(), needed);
    EXPECT_EQ(tip.height(), 30);
    // The width stays while paging, and the end of the long tip is drawn.
    const int width = tip.width();
    tip.NextTip();
    EXPECT_EQ(tip.width(), width);
    const QImage image = Grab();
    EXPECT_TRUE(Drawn(image, QRect(needed - 12, 1, 10, 28)));
    EXPECT_EQ(QColor(image.pixel(width - 1, 15)), QColor(Qt::black));

    // A short set goes back to the usual width.
    tip.SetTipText("A:B:");
    EXPECT_EQ(tip.width(), 380);
}

} // namespace
