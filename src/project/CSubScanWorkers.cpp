#include "project/CSubScanWorkers.h"

#include "project/SubScanner.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <fstream>

namespace {

// How long one drain of the results may hold the event loop.
constexpr qint64 kDrainSliceMs = 8;

// The whole file in one read; false when it cannot be opened. A read that
// fails part way keeps what was read.
bool ReadWholeFile(const std::string& path, std::string& text)
{
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in)
        return false;
    const std::streamoff size = in.tellg();
    if (size <= 0)
        return true;
    text.resize(std::size_t(size));
    in.seekg(0);
    in.read(text.data(), size);
    text.resize(std::size_t(in.gcount()));
    return true;
}

} // namespace

CSubScanWorkers::CSubScanWorkers(QObject* parent) : QObject(parent)
{
    pool_.setMaxThreadCount(std::max(1, QThread::idealThreadCount()));
}

CSubScanWorkers::~CSubScanWorkers()
{
    NewGeneration();
    pool_.clear();
    pool_.waitForDone();
}

void CSubScanWorkers::NewGeneration()
{
    ++generation_;
}

void CSubScanWorkers::ScanFile(std::uint64_t itemId, std::string localPath)
{
    Start(Job{ScanKind::File, {generation_.load(), itemId}, std::move(localPath), {}});
}

void CSubScanWorkers::ScanText(std::uint64_t itemId, QString text)
{
    Start(Job{ScanKind::Text, {generation_.load(), itemId}, {}, std::move(text)});
}

void CSubScanWorkers::Start(Job job)
{
    ++pending_;
    {
        std::lock_guard lock(mutex_);
        jobs_.push_back(std::move(job));
    }
    pool_.start([this] { RunNextJob(); });
}

void CSubScanWorkers::RunNextJob()
{
    Job job;
    {
        std::lock_guard lock(mutex_);
        if (jobs_.empty())
            return;
        job = std::move(jobs_.front());
        jobs_.pop_front();
    }
    ScanResult result{job.kind, job.ticket, true, {}};
    // A scan of a project closed meanwhile only reports back, unread.
    if (job.ticket.generation == generation_.load()) {
        if (job.kind == ScanKind::File) {
            std::string text;
            if (ReadWholeFile(job.path, text))
                result.names = subscan::ScanSubs(text);
            else
                result.opened = false;
        } else {
            const QByteArray bytes = job.text.toUtf8();
            result.names = subscan::ScanSubs(std::string_view(bytes.constData(), std::size_t(bytes.size())));
        }
    }
    Post(std::move(result));
}

void CSubScanWorkers::Post(ScanResult result)
{
    bool schedule = false;
    {
        std::lock_guard lock(mutex_);
        results_.push_back(std::move(result));
        schedule = !drainScheduled_;
        drainScheduled_ = true;
    }
    if (schedule)
        QMetaObject::invokeMethod(this, &CSubScanWorkers::Drain, Qt::QueuedConnection);
}

void CSubScanWorkers::Drain()
{
    QElapsedTimer slice;
    slice.start();
    for (;;) {
        ScanResult result;
        {
            std::lock_guard lock(mutex_);
            if (results_.empty()) {
                drainScheduled_ = false;
                return;
            }
            // The rest waits for the next turn of the event loop, behind
            // whatever the user did meanwhile.
            if (slice.elapsed() >= kDrainSliceMs) {
                QTimer::singleShot(0, this, &CSubScanWorkers::Drain);
                return;
            }
            result = std::move(results_.front());
            results_.pop_front();
        }
        --pending_;
        if (result.ticket.generation == generation_.load() && onResult)
            onResult(result);
    }
}

bool CSubScanWorkers::WaitForIdle(int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (pending_.load() > 0) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        if (pending_.load() > 0)
            QThread::msleep(1);
    }
    return true;
}
