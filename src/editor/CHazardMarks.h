// The Shift-JIS hazards of the script in an editor view, marked as the
// script is opened and as it is edited: each character whose trail byte Perl
// misreads gets a wavy underline in the warning colour, and resting the
// mouse on it shows what Perl will do and the fix.
//
// An edit only restarts a short timer; the check runs once typing pauses, on
// the whole script (a few milliseconds for an ordinary script, tens for the
// 1 MB the editor holds at most), so a keystroke costs no more than before.
// The marks are extra selections: they change neither the text, its colours,
// the modified flag nor the undo record. Each is a cursor the document keeps
// up to date on every edit, so only the lines around the screen carry them.
#pragma once

#include "check/SjisHazard.h"

#include <QColor>
#include <QObject>
#include <QTimer>

class CRichEditCtrl;

class CHazardMarks : public QObject {
    Q_OBJECT
public:
    // The milliseconds an edit waits before the script is checked again.
    static constexpr int kDelayMs = 250;
    static QColor WarningColor() { return QColor(0xE0, 0x70, 0x00); }

    explicit CHazardMarks(CRichEditCtrl& edit);

    // Checks the script now and marks what it finds.
    void Refresh();
    // Checks the script once the edits pause.
    void Schedule() { timer_.start(); }
    bool Pending() const { return timer_.isActive(); }

    // Positions are the control's (code page 932 bytes, one per line break).
    const SjisHazards& Hazards() const { return hazards_; }
    // The hazard whose character holds pos, or null.
    const SjisHazard* At(long pos) const;
    // The text of its tooltip (UTF-8).
    static std::string ToolTip(const SjisHazard& hazard);

    // Marks the hazards of the lines on screen and around them.
    void ShowVisible();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    CRichEditCtrl& edit_;
    QTimer timer_;
    SjisHazards hazards_;
};
