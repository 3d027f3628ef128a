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
        if (node.mapped())
            err = store_.Write(node.key(), *node.mapped());
        else
            store_.Remove(node.key());
        lock.lock();
        busy_ = false;
        if (err)
            ++failures_;
        if (queue_.empty())
            idle_.notify_all();
    }
}
