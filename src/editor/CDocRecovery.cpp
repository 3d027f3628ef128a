#include "editor/CDocRecovery.h"

#include "platform/recovery/RecoveryWriter.h"

#include <QTextDocument>
#include <atomic>
#include <sys/stat.h>

namespace {

RecoveryWriter* g_writer = nullptr;
int g_delay = 3000;
std::atomic<unsigned> g_count{0};

} // namespace

void CDocRecovery::SetWriter(RecoveryWriter* writer)
{
    g_writer = writer;
}

RecoveryWriter* CDocRecovery::Writer()
{
    return g_writer;
}

void CDocRecovery::SetDelay(int milliseconds)
{
    g_delay = milliseconds;
}

CDocRecovery::CDocRecovery(std::function<RecoveryRecord()> snapshot)
    : snapshot_(std::move(snapshot)), name_("doc-" + std::to_string(++g_count))
{
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, [this] { Write(); });
}

CDocRecovery::~CDocRecovery()
{
    QObject::disconnect(connection_);
}

void CDocRecovery::Watch(QTextDocument* text)
{
    QObject::disconnect(connection_);
    if (!text)
        return;
    connection_ = connect(text, &QTextDocument::contentsChanged, this, [this, text] {
        if (!g_writer)
            return;
        // An undo back to the saved text leaves nothing to recover.
        if (!text->isModified()) {
            timer_.stop();
            Remove();
            return;
        }
        timer_.start(g_delay);
    });
}

void CDocRecovery::InStep(const std::string& path)
{
    timer_.stop();
    Remove();
    struct stat st {};
    if (!path.empty() && ::stat(path.c_str(), &st) == 0) {
        diskTime_ = std::int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
        diskSize_ = st.st_size;
    } else {
        diskTime_ = diskSize_ = -1;
    }
}

void CDocRecovery::Changed()
{
    if (g_writer)
        timer_.start(g_delay);
}

void CDocRecovery::Closed()
{
    timer_.stop();
    Remove();
}

void CDocRecovery::WriteNow()
{
    if (timer_.isActive())
        Write();
}

void CDocRecovery::Write()
{
    timer_.stop();
    if (!g_writer)
        return;
    RecoveryRecord record = snapshot_();
    record.diskTime = diskTime_;
    record.diskSize = diskSize_;
    g_writer->Write(name_, std::move(record));
    written_ = true;
}

void CDocRecovery::Remove()
{
    if (written_ && g_writer)
        g_writer->Remove(name_);
    written_ = false;
}
