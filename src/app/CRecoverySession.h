// This copy of the program's recovery files: opens its folder in the user's
// store at start, hands the editor the writer, offers the unsaved text that
// copies which ended without saving left behind, and removes the folder at a
// clean end. It also hands the editor the store of previous versions, bounded
// by the user's settings. When the recovery files cannot be written (the
// folder not writable, the disk full) the user is told once, and again only
// if writing went well in between and fails anew.
#pragma once

#include <memory>
#include <string>

class CMultiDocTemplate;
class QObject;
class QWidget;
class RecoveryStore;
class RecoveryWriter;
class VersionStore;
struct RecoveryRecord;

class CRecoverySession {
public:
    // folder: the store's folder (RecoveryStore::DefaultFolder()).
    explicit CRecoverySession(const std::string& folder);
    // Without End the files stay, as after a crash.
    ~CRecoverySession();
    CRecoverySession(const CRecoverySession&) = delete;
    CRecoverySession& operator=(const CRecoverySession&) = delete;

    // Turns previous versions on, opens this copy's folder and turns the
    // editor's recovery on; false (and recovery off) when the folder cannot
    // be made.
    bool Start();
    // Asks, file by file, whether to restore or discard the unsaved text
    // left by copies that have ended; a restored text opens in a new window
    // marked modified. Returns how many texts were restored.
    int Offer(CMultiDocTemplate& docs, QWidget* owner);
    // The user changed the limits of the previous versions: the store takes
    // them and drops at once what they no longer allow.
    void ReloadSettings();
    // A clean end, after every document is closed: removes this copy's
    // folder.
    void End();

private:
    bool Restore(const RecoveryRecord& record, CMultiDocTemplate& docs, QWidget* owner);
    // Tells the user that the writer has failed (on the UI thread).
    void TellFailure(int error) const;

    // The UI thread's end of the writer's failure notices; outlives the
    // writer.
    std::unique_ptr<QObject> notices_;
    std::unique_ptr<RecoveryStore> store_;
    std::unique_ptr<RecoveryWriter> writer_;
    std::unique_ptr<VersionStore> versions_;
};
