#include "platform/recovery/RecoveryWriter.h"

#include "platform/recovery/RecoveryStore.h"

RecoveryWriter::RecoveryWriter(const RecoveryStore& store) : store_(store), thread_([this] { Run(); }) {}

RecoveryWriter::~RecoveryWriter()
{
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

void RecoveryWriter::Write(const std::string& name, RecoveryRecord record)
{
    {
        std::lock_guard lock(mutex_);
        queue_[name] = std::move(record);
    }
    wake_.notify_one();
}

void RecoveryWriter::Remove(const std::string& name)
{
    {
        std::lock_guard lock(mutex_);
        queue_[name] = std::nullopt;
    }
    wake_.notify_one();
}

void RecoveryWriter::Flush()
{
    std::unique_lock lock(mutex_);
    idle_.wait(lock, [this] { return queue_.empty() && !busy_; });
}

int RecoveryWriter::Failures() const
{
    std::lock_guard lock(mutex_);
    return failures_;
}

void RecoveryWriter::SetFailureListener(FailureListener listener)
{
    std::lock_guard lock(mutex_);
    listener_ = std::move(listener);
}

void RecoveryWriter::Run()
{
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stop_ || !queue_.empty(); });
        if (queue_.empty()) {
            if (stop_)
                return;
            continue;
        }
        auto node = queue_.extract(queue_.begin());
        busy_ = true;
        lock.unlock();
        int err = 0;
        const bool write = node.mapped().has_value();
        if (write)
            err = store_.Write(node.key(), *node.mapped());
        else
            store_.Remove(node.key());
        lock.lock();
        if (err)
            ++failures_;
        if (write) {
            const bool newFailure = err && !failing_;
            failing_ = err != 0;
            if (newFailure && listener_) {
                // Told without the lock (the listener may call back into
                // the writer), but still busy, so Flush waits for it.
                FailureListener listener = listener_;
                lock.unlock();
                listener(err);
                lock.lock();
            }
        }
        busy_ = false;
        if (queue_.empty())
            idle_.notify_all();
    }
}
