#include "platform/richedit/PendingFormats.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>
#include <algorithm>
#include <limits>

namespace {

// Load formats this many lines at once (more than any screen shows); the
// rest follows in slices of kFormatSlice stretches while the event loop is
// idle, each slice a few milliseconds.
constexpr int kFirstScreenLines = 300;
constexpr std::size_t kFormatSlice = 4000;

} // namespace

PendingFormats::PendingFormats(QTextDocument* document, QObject* parent)
    : QObject(parent), document_(document)
{
    timer_ = new QTimer(this);
    timer_->setSingleShot(true);
    timer_->setInterval(0);
    connect(timer_, &QTimer::timeout, this, [this] { Apply(kFormatSlice); });
    connection_ = connect(document_, &QTextDocument::contentsChange, this,
                          [this](int position, int removed, int added) { Move(position, removed, added); });
}

PendingFormats::~PendingFormats()
{
    disconnect(connection_);
}

void PendingFormats::Load(StyledContent content)
{
    QTextDocument* doc = document_;
    timer_->stop();
    applying_ = true;
    {
        // One edit block: the document reports one change, and the index and
        // the layout take it in one pass.
        QTextCursor c(doc);
        c.beginEditBlock();
        doc->setPlainText(content.text);
        pending_ = std::move(content.stretches);
        formats_ = std::move(content.formats);
        next_ = 0;
        const QTextBlock screenEnd = doc->findBlockByNumber(kFirstScreenLines);
        FormatStretches(c, pending_.size(),
                        screenEnd.isValid() ? screenEnd.position() : doc->characterCount());
        c.endEditBlock();
    }
    applying_ = false;
}

void PendingFormats::Apply(std::size_t most)
{
    if (next_ < pending_.size() && most > 0) {
        QTextDocument* doc = document_;
        const bool modified = doc->isModified();
        applying_ = true;
        QTextCursor c(doc);
        c.beginEditBlock();
        FormatStretches(c, most, std::numeric_limits<int>::max());
        c.endEditBlock();
        applying_ = false;
        // Colouring what was loaded is no change of the user's.
        if (!modified)
            doc->setModified(false);
    }
    if (next_ < pending_.size()) {
        timer_->start();
    } else {
        timer_->stop();
        pending_ = {};
        formats_ = {};
        next_ = 0;
    }
}

void PendingFormats::ApplyAll()
{
    if (next_ < pending_.size())
        Apply(pending_.size());
}

void PendingFormats::FormatStretches(QTextCursor& c, std::size_t most, int before)
{
    const int end = document_->characterCount() - 1;
    for (std::size_t n = 0; n < most && next_ < pending_.size() && pending_[next_].start < before;
         ++n, ++next_) {
        const StyledContent::Stretch& s = pending_[next_];
        c.setPosition(std::min(s.start, end));
        c.setPosition(std::min(s.start + s.length, end), QTextCursor::KeepAnchor);
        c.setCharFormat(formats_[std::size_t(s.format)]);
    }
}

void PendingFormats::Move(int position, int removed, int added)
{
    if (applying_ || next_ >= pending_.size())
        return;
    // Stretches before the change stay, those after it move with the text,
    // and of one the change overlaps only the parts outside it are kept.
    const int end = position + removed;
    const int shift = added - removed;
    std::vector<StyledContent::Stretch> moved;
    moved.reserve(pending_.size() - next_ + 1);
    for (std::size_t i = next_; i < pending_.size(); ++i) {
        const StyledContent::Stretch& s = pending_[i];
        const int sEnd = s.start + s.length;
        if (sEnd <= position) {
            moved.push_back(s);
        } else if (s.start >= end) {
            moved.push_back({s.start + shift, s.length, s.format});
        } else {
            if (s.start < position)
                moved.push_back({s.start, position - s.start, s.format});
            if (sEnd > end)
                moved.push_back({end + shift, sEnd - end, s.format});
        }
    }
    pending_ = std::move(moved);
    next_ = 0;
}
