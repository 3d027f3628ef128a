// The user's recovery files: the unsaved text of open documents, kept so that
// a crash or a power cut loses nothing.
//
// Every running copy of the program keeps its files in a folder of its own
// under the store ("session-<pid>-<random>"), holding an exclusive lock on a
// file in it for as long as it runs. The lock goes with the process however
// it ends, so a folder whose lock can be taken belongs to a copy that has
// ended without cleaning up: its files are offered on the next start. Two
// copies running at once never see each other's files, and two copies
// starting at once never offer the same file twice (the first to take the
// lock of a dead folder keeps it).
//
// Folders and files are the user's own (0700 and 0600). Files are written
// atomically and checked on reading (see RecoveryRecord), so a file cut short
// by a crash during its write is never offered.
#pragma once

#include "platform/recovery/RecoveryRecord.h"

#include <string>
#include <vector>

class RecoveryStore {
public:
    // $XDG_STATE_HOME/kestrix/recovery, or ~/.local/state/kestrix/recovery.
    static std::string DefaultFolder();

    explicit RecoveryStore(std::string folder);
    // Lets go of the locks; the files stay (a clean end calls Close first).
    ~RecoveryStore();
    RecoveryStore(const RecoveryStore&) = delete;
    RecoveryStore& operator=(const RecoveryStore&) = delete;

    // Makes this copy's folder and takes its lock. Returns 0 or an errno.
    int Open();
    bool IsOpen() const { return lockFd_ >= 0; }
    const std::string& Folder() const { return folder_; }
    const std::string& SessionFolder() const { return session_; }

    // Writes a document's record under a name of the caller's (letters,
    // digits, '-' and '_'). Safe from any thread. Returns 0 or an errno.
    int Write(const std::string& name, const RecoveryRecord& record) const;
    // Removes a document's record (saved, or closed without saving).
    void Remove(const std::string& name) const;

    // Takes over the folders of copies that have ended and returns the whole
    // records in them, oldest first; damaged or half-written files are
    // removed, never returned.
    std::vector<RecoveryRecord> ClaimOrphans();
    // Removes a record returned by ClaimOrphans (restored or discarded).
    void Forget(const RecoveryRecord& record);
    // Removes the taken-over folders left empty and lets go of their locks;
    // the records not forgotten are offered again on a later start.
    void ReleaseClaims();

    // A clean end: removes this copy's folder and everything in it.
    void Close();

private:
    struct Claim {
        std::string folder;
        int fd;
    };
    std::string folder_;
    std::string session_;
    int lockFd_ = -1;
    std::vector<Claim> claims_;
};
