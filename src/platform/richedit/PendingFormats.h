// The formats a newly loaded content of the rich-edit control has still to
// take. The first screen is formatted at once, the rest in slices while the
// event loop is idle. Everything that reads or sets formats, and every edit
// the control makes, applies what is left first; an edit from elsewhere
// moves the stretches with it.
#pragma once

#include "platform/richedit/StyledContent.h"

#include <QMetaObject>
#include <QObject>
#include <cstddef>
#include <vector>

class QTextCursor;
class QTextDocument;
class QTimer;

class PendingFormats : public QObject {
    Q_OBJECT
public:
    // Follows the document's changes; the document must outlive this.
    explicit PendingFormats(QTextDocument* document, QObject* parent = nullptr);
    ~PendingFormats() override;

    // Replaces the document's text with the content's, formats its first
    // screen in the same edit block, and leaves the rest for later. The
    // modification flag is cleared.
    void Load(StyledContent content);
    // Formats at most `most` of the stretches left; 0 only starts the idle
    // slices (or lets go of the lists when nothing is left).
    void Apply(std::size_t most);
    void ApplyAll();

private:
    // Formats pending stretches through the cursor from the next one on: at
    // most `most` of them, and none that starts at or after `before`.
    void FormatStretches(QTextCursor& c, std::size_t most, int before);
    void Move(int position, int removed, int added);

    QTextDocument* document_;
    QMetaObject::Connection connection_;
    QTimer* timer_ = nullptr;
    std::vector<StyledContent::Stretch> pending_;
    std::size_t next_ = 0;
    std::vector<QTextCharFormat> formats_;
    bool applying_ = false;
};
