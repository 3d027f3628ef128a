#include "editor/CHazardMarks.h"

#include "check/CSjisHazardChecker.h"
#include "check/CSjisHazardText.h"
#include "platform/richedit/CRichEditCtrl.h"

#include <QHelpEvent>
#include <QScrollBar>
#include <QTextCursor>
#include <QToolTip>
#include <algorithm>

CHazardMarks::CHazardMarks(CRichEditCtrl& edit) : QObject(&edit), edit_(edit)
{
    timer_.setSingleShot(true);
    timer_.setInterval(kDelayMs);
    connect(&timer_, &QTimer::timeout, this, &CHazardMarks::Refresh);
    connect(&edit_, &QPlainTextEdit::textChanged, this, &CHazardMarks::Schedule);
    edit_.viewport()->installEventFilter(this);
    // Marks follow the scrolling; while an edit waits for its check the
    // marks on screen follow the text by themselves.
    connect(edit_.verticalScrollBar(), &QScrollBar::valueChanged, this, [this] {
        if (!Pending())
            ShowVisible();
    });
}

void CHazardMarks::Refresh()
{
    timer_.stop();
    // The control reads its line breaks as "\r"; the checker counts lines
    // by "\n". Either is one byte, so the positions stay the control's.
    std::string text = edit_.GetTextRange(0, -1);
    std::replace(text.begin(), text.end(), '\r', '\n');
    hazards_ = CSjisHazardChecker::Check(text);

    ShowVisible();
}

void CHazardMarks::ShowVisible()
{
    // Each mark is a cursor the document moves on every edit, so only the
    // hazards of the lines on screen (and a screen's worth around them) are
    // marked; scrolling marks the others.
    const long lines = edit_.GetLineCount();
    const long height = std::max(1, edit_.fontMetrics().height());
    const long screen = edit_.viewport()->height() / height + 1;
    const long firstLine = std::max(0L, edit_.GetFirstVisibleLine() - screen);
    const long lastLine = std::min(lines - 1, edit_.GetFirstVisibleLine() + 2 * screen);
    const long from = std::max(0L, edit_.LineIndex(firstLine));
    const long lastStart = edit_.LineIndex(lastLine);
    const long to = lastStart < 0 ? edit_.GetTextLength() : lastStart + edit_.LineLength(lastStart) + 1;

    QList<QTextEdit::ExtraSelection> marks;
    QTextCharFormat format;
    format.setUnderlineStyle(QTextCharFormat::WaveUnderline);
    format.setUnderlineColor(WarningColor());
    auto it = std::lower_bound(hazards_.begin(), hazards_.end(), from,
                               [](const SjisHazard& h, long p) { return long(h.offset) < p; });
    for (; it != hazards_.end() && long(it->offset) < to; ++it) {
        QTextCursor cursor(edit_.document());
        const long at = static_cast<long>(it->offset);
        cursor.setPosition(edit_.ToDocumentPosition(at));
        cursor.setPosition(edit_.ToDocumentPosition(at + 2), QTextCursor::KeepAnchor);
        marks.push_back({cursor, format});
    }
    edit_.setExtraSelections(marks);
}

const SjisHazard* CHazardMarks::At(long pos) const
{
    const auto it = std::lower_bound(hazards_.begin(), hazards_.end(), pos,
                                     [](const SjisHazard& h, long p) { return long(h.offset) + 2 <= p; });
    if (it == hazards_.end() || long(it->offset) > pos)
        return nullptr;
    return &*it;
}

std::string CHazardMarks::ToolTip(const SjisHazard& hazard)
{
    return CSjisHazardText::Problem(hazard) + "\n" + CSjisHazardText::Fix(hazard);
}

bool CHazardMarks::eventFilter(QObject* watched, QEvent* event)
{
    // The event's type is looked at first: the viewport also sends events
    // while the control around it is being destroyed, when the control may no
    // longer be asked for anything.
    if (event->type() == QEvent::ToolTip && watched == edit_.viewport()) {
        const auto* help = static_cast<QHelpEvent*>(event);
        // The character under the mouse: its top-left must lie left of the
        // mouse, else the mouse is on the character's right half's neighbour.
        const SjisHazard* hazard = At(edit_.CharFromPos(help->pos()));
        if (hazard) {
            QToolTip::showText(help->globalPos(), QString::fromStdString(ToolTip(*hazard)), edit_.viewport());
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}
