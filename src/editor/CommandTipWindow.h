// What the colouring engine needs of the command tooltip window: it creates
// the window first thing when the command data is loaded, and hands it the
// tips of a command word the user has just typed.
#pragma once

#include <QPoint>
#include <string>

class QWidget;

class CommandTipWindow {
public:
    virtual ~CommandTipWindow() = default;
    // Creates the pop-up owned by the given frame; false when it cannot.
    virtual bool Create(QWidget* owner) = 0;
    // Takes a word's tip text ("tip 1:tip 2:") and goes back to its first tip.
    virtual void SetTipText(const std::string& tipText) = 0;
    // The height of the current tip's text as drawn on the given window.
    virtual int CurrentTipHeight(QWidget* on) const = 0;
    virtual bool IsShown() const = 0;
    virtual void HideTip() = 0;
    // Moves the pop-up to a screen position without resizing or activating
    // it, then shows it.
    virtual void ShowAt(QPoint screenPosition) = 0;
};
