// The sub scans that run off the user-interface thread: a script file read
// and scanned when a project opens or a script joins it, or a copy of an
// editor's text scanned after an edit. The scans run on a pool of threads
// and never touch a widget; each finished scan is queued, and the queue is
// drained on the thread that owns this object, a few milliseconds at a time,
// so a project of hundreds of scripts never holds the window up.
//
// A scan carries a ticket: the generation of the project it was made for
// and the id of its script's item. Closing or reopening the project starts
// a new generation, and results of an older one are dropped; the receiver
// looks the item up by its id, so a scan whose script was removed meanwhile
// changes nothing. No pointer to a tree item ever leaves the UI thread.
#pragma once

#include <QObject>
#include <QString>
#include <QThreadPool>
#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

struct ScanTicket {
    std::uint64_t generation = 0;
    std::uint64_t itemId = 0;
};

enum class ScanKind { File, Text };

struct ScanResult {
    ScanKind kind = ScanKind::File;
    ScanTicket ticket;
    bool opened = true; // false: the script file could not be read
    std::vector<std::string> names;
};

class CSubScanWorkers : public QObject {
    Q_OBJECT
public:
    explicit CSubScanWorkers(QObject* parent = nullptr);
    // Stops the scans not yet started and waits for the running ones.
    ~CSubScanWorkers() override;

    // Called on this object's thread with each finished scan of the current
    // generation.
    std::function<void(const ScanResult&)> onResult;

    std::uint64_t Generation() const { return generation_.load(); }
    // Forgets every scan made so far: their results are never delivered.
    void NewGeneration();

    // Reads a script file (a local path) and lists its subs.
    void ScanFile(std::uint64_t itemId, std::string localPath);
    // Lists the subs of a copy of an editor's text. The text comes as the
    // control holds it; the worker, not the window, turns it into bytes.
    // Names are ASCII and every other character becomes bytes of 0x80 and
    // above (or is one of the two-byte characters whose second byte is
    // never a blank), so the names found are those of its Shift-JIS bytes.
    void ScanText(std::uint64_t itemId, QString text);

    // Scans started and not yet delivered (or dropped).
    int Pending() const { return pending_.load(); }
    // Waits until every scan started so far has been delivered; for tests
    // and the benchmark. False when the time ran out.
    bool WaitForIdle(int timeoutMs);

private:
    // One scan waiting for a thread. The jobs and the results pass between
    // the threads under this object's own lock, never inside the pool's
    // tasks, which only say "run the next job".
    struct Job {
        ScanKind kind = ScanKind::File;
        ScanTicket ticket;
        std::string path; // a file scan's script
        QString text;     // a text scan's text
    };
    void Start(Job job);
    void RunNextJob();
    void Post(ScanResult result);
    void Drain();

    QThreadPool pool_;
    std::atomic<std::uint64_t> generation_{1};
    std::atomic<int> pending_{0};
    std::mutex mutex_;
    std::deque<Job> jobs_;           // guarded by mutex_
    std::deque<ScanResult> results_; // guarded by mutex_
    bool drainScheduled_ = false;    // guarded by mutex_
};
