// Keeps a recovery file of a document's unsaved text: a few seconds after the
// user stops typing, the text is taken (on the UI thread, one copy) and handed
// to the recovery writer, which writes it on its own thread. The file goes
// when the document is saved or closed. Typing itself only restarts a timer.
//
// Recovery is off until the application installs a writer.
#pragma once

#include "platform/recovery/RecoveryRecord.h"

#include <QMetaObject>
#include <QObject>
#include <QTimer>
#include <functional>
#include <string>

class QTextDocument;
class RecoveryWriter;

class CDocRecovery : public QObject {
public:
    // The writer every document's record goes to; nullptr turns recovery off.
    static void SetWriter(RecoveryWriter* writer);
    static RecoveryWriter* Writer();
    // How long after the last change the text is written (milliseconds).
    static void SetDelay(int milliseconds);

    // snapshot gives the document's record without the disk stamps.
    explicit CDocRecovery(std::function<RecoveryRecord()> snapshot);
    ~CDocRecovery() override;

    // Follows the changes of a document's text.
    void Watch(QTextDocument* text);
    // The text is what the file at path holds (read or just saved): the
    // record goes and the file's time and size are noted, so that a restore
    // can tell whether the file changed afterwards.
    void InStep(const std::string& path);
    // The document holds unsaved text not yet in its record (a restored one):
    // it is written after the usual pause.
    void Changed();
    // The document is closed: its record goes.
    void Closed();
    // Writes the record now when a write is due (the pause not yet over).
    void WriteNow();

private:
    void Write();
    void Remove();

    std::function<RecoveryRecord()> snapshot_;
    std::string name_;
    QTimer timer_;
    QMetaObject::Connection connection_;
    std::int64_t diskTime_ = -1;
    std::int64_t diskSize_ = -1;
    bool written_ = false;
};
