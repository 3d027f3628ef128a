// Writes recovery records on a thread of its own, so that saving the unsaved
// text of a large script never holds up typing. Jobs for the same document
// are folded together: only the newest text is written, and a removal queued
// after a write wins over it (a saved document never comes back).
#pragma once

#include "platform/recovery/RecoveryRecord.h"

#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

class RecoveryStore;

class RecoveryWriter {
public:
    // Told, on the writer's thread, the errno of a write that failed while
    // the writes before it had gone well (or of the first write): a store
    // that keeps failing is told once, and again only after a write has
    // gone well in between.
    using FailureListener = std::function<void(int error)>;

    explicit RecoveryWriter(const RecoveryStore& store);
    // Finishes the queued jobs, then stops the thread.
    ~RecoveryWriter();
    RecoveryWriter(const RecoveryWriter&) = delete;
    RecoveryWriter& operator=(const RecoveryWriter&) = delete;

    void Write(const std::string& name, RecoveryRecord record);
    void Remove(const std::string& name);
    // Waits until every job queued so far is done.
    void Flush();
    // How many writes failed (the store's folder gone or full).
    int Failures() const;
    void SetFailureListener(FailureListener listener);

private:
    void Run();

    const RecoveryStore& store_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    // name -> the record to write, or nothing for a removal.
    std::map<std::string, std::optional<RecoveryRecord>> queue_;
    bool busy_ = false;
    bool stop_ = false;
    int failures_ = 0;
    bool failing_ = false; // the last write failed
    FailureListener listener_;
    std::thread thread_;
};
