// The command tooltip: a small pop-up under the word the user has just typed
// that shows the word's tips one at a time. With more than one tip it shows
// "n of m" between a previous and a next button. It never takes the focus,
// hides itself five seconds after it shows (paging buys time), and the user
// can drag it anywhere by pressing anywhere on it but the buttons.
//
// The window has no Qt parent: the colouring engine owns it, and the frame
// it belongs to only becomes its transient parent, so neither can delete it
// under the other.
#pragma once

#include "editor/CommandTipWindow.h"

#include <QBasicTimer>
#include <QFont>
#include <QPixmap>
#include <QPoint>
#include <QPointer>
#include <QWidget>
#include <string>
#include <vector>

class QToolButton;

class CToolTipWindow : public QWidget, public CommandTipWindow {
    Q_OBJECT
public:
    static constexpr int kPreviousCommand = 115;
    static constexpr int kNextCommand = 116;
    // Show(kShow) shows the window; any other mode hides it.
    static constexpr int kShow = 5;
    static constexpr int kTickMilliseconds = 50;
    static constexpr int kTicksShown = 100;
    // The usual width; a set with a longer tip widens the window to fit it.
    static constexpr int kWidth = 380;
    static constexpr int kHeight = 30;

    CToolTipWindow();
    ~CToolTipWindow() override;

    // ---- CommandTipWindow ----
    bool Create(QWidget* owner) override;
    // Each ":" ends one tip (an empty one too); text after the last ":" is
    // no tip. Goes back to the first tip and fits the width to the tips.
    void SetTipText(const std::string& tipText) override;
    int CurrentTipHeight(QWidget* on) const override;
    bool IsShown() const override;
    void HideTip() override;
    void ShowAt(QPoint screenPosition) override;

    void Show(int mode);
    // The current tip's code page 932 text; "" when there is none.
    std::string CurrentTip() const;
    // What the buttons do; a command of neither button returns false.
    bool OnCommand(int command);
    void NextTip();
    void PreviousTip();
    // One tick of the timer that hides the window.
    void Tick();

    int TipCount() const { return int(tips_.size()); }
    int CurrentIndex() const { return current_; } // 1-based
    int TickCount() const { return ticks_; }
    const QFont& TipFont() const { return font_; }
    QToolButton* PreviousButton() const { return previous_; }
    QToolButton* NextButton() const { return next_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    // "1 of 3" and the like, padded with spaces to the given length.
    static QString Counter(int current, int count, int padTo, bool trailingSpace);
    static QPixmap Arrow(bool right);
    QToolButton* MakeButton(bool right, int command, QRect geometry);
    // Where the tip text starts: after the next button with a counter,
    // near the left edge without.
    int TextLeft() const;

    int current_ = 1;
    int ticks_ = 0;
    // The width of the first counter ("1 of n" padded to 9), which places
    // the next button and the tip text.
    int counterWidth_ = 0;
    QFont font_;
    QToolButton* previous_ = nullptr;
    QToolButton* next_ = nullptr;
    std::vector<std::string> tips_;
    QPointer<QWidget> owner_;
    QBasicTimer timer_;
    bool dragging_ = false;
    QPoint dragOffset_;
};
