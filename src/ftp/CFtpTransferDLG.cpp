#include "ftp/CFtpTransferDLG.h"

#include "ftp/CFtpTransfer.h"
#include "ftp/CTransferAnimation.h"
#include "ftp/FtpHooks.h"
#include "ftp/FtpTexts.h"
#include "ftp/FtpTransferSink.h"
#include "platform/text/Sjis.h"
#include "platform/ui/UiService.h"

#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <climits>
#include <filesystem>
#include <mutex>
#include <optional>

namespace {

template <typename W> W* Control(QWidget* dialog, int id)
{
    auto* widget = dialog->findChild<W*>(QString::number(id), Qt::FindDirectChildrenOnly);
    if (!widget)
        qFatal("The transfer dialog's template lacks control %d", id);
    return widget;
}

} // namespace

// The engine's reports, gathered as the latest state of each control and
// handed to the dialog's thread in one queued call at a time: however fast
// the worker reports, the dialog's thread does at most one update of each
// control per turn of its event loop, so the window never falls behind.
class CFtpTransferDLG::WorkerSink : public FtpTransferSink {
public:
    explicit WorkerSink(CFtpTransferDLG* dialog) : dialog_(dialog) {}

    void SetStatusText(const std::string& text) override
    {
        Update([&](State& s) { s.status = text; });
    }
    void SetCaption(const std::string& text) override
    {
        Update([&](State& s) { s.caption = text; });
    }
    void SetProgressRange(std::uint64_t total) override
    {
        Update([&](State& s) {
            s.range = total;
            s.pos.reset();
        });
    }
    void SetProgressPos(std::uint64_t bytes) override
    {
        Update([&](State& s) { s.pos = bytes; });
    }
    void ShowPercent(int percent) override
    {
        Update([&](State& s) { s.percent = percent; });
    }
    void ShowRate(double rate) override
    {
        Update([&](State& s) { s.rate = ftptexts::FormatRate(rate); });
    }
    void ShowTimeLeft(std::uint64_t seconds, std::uint64_t done, std::uint64_t total) override
    {
        Update([&](State& s) { s.timeLeft = ftptexts::FormatTimeLeft(seconds, done, total); });
    }
    void ClearProgressLines() override
    {
        Update([&](State& s) {
            s.timeLeft = std::string();
            s.rate = std::string();
            s.status = std::string();
        });
    }
    void PlayAnimation() override
    {
        Update([&](State& s) { s.play = true; });
    }
    // The worker waits for the user to acknowledge the box.
    void ShowMessage(const std::string& text, const std::string& caption, UINT flags) override
    {
        QMetaObject::invokeMethod(
            dialog_, [d = dialog_, text, caption, flags] { MessageBox(d, text, caption, flags); },
            Qt::BlockingQueuedConnection);
    }

private:
    struct State {
        std::optional<std::string> status, caption, rate, timeLeft;
        std::optional<std::uint64_t> range, pos;
        std::optional<int> percent;
        bool play = false;
    };

    template <typename F> void Update(F change)
    {
        bool post = false;
        {
            std::lock_guard lock(mutex_);
            change(state_);
            post = !scheduled_;
            scheduled_ = true;
        }
        if (post)
            QMetaObject::invokeMethod(
                dialog_, [this] { Apply(); }, Qt::QueuedConnection);
    }

    // On the dialog's thread.
    void Apply()
    {
        State s;
        {
            std::lock_guard lock(mutex_);
            s = std::move(state_);
            state_ = State{};
            scheduled_ = false;
        }
        CFtpTransferDLG* d = dialog_;
        if (s.play)
            d->PlayAnimation();
        if (s.caption)
            d->SetCaption(*s.caption);
        if (s.status)
            d->SetStatusText(*s.status);
        if (s.range)
            d->SetProgressRange(*s.range);
        if (s.pos)
            d->SetProgressPos(*s.pos);
        if (s.percent)
            d->ShowPercent(*s.percent);
        if (s.rate)
            d->rate_->setText(sjis::ToUnicode(*s.rate));
        if (s.timeLeft)
            d->timeLeft_->setText(sjis::ToUnicode(*s.timeLeft));
    }

    CFtpTransferDLG* dialog_;
    std::mutex mutex_;
    State state_;
    bool scheduled_ = false;
};

CFtpTransferDLG::CFtpTransferDLG(FtpHooks& hooks, QWidget* parent)
    : QDialog(parent), hooks_(hooks), sink_(std::make_unique<WorkerSink>(this))
{
    hooks_.BuildDialog(
        this, kDialogId,
        {{1000, [](QWidget* p) { return new CTransferAnimation(p); }}, {1003, [](QWidget* p) {
                                                                            auto* bar = new QProgressBar(p);
                                                                            bar->setTextVisible(false);
                                                                            return bar;
                                                                        }}});
    animation_ = Control<CTransferAnimation>(this, 1000);
    status_ = Control<QLabel>(this, 1001);
    caption_ = Control<QLabel>(this, 1002);
    progress_ = Control<QProgressBar>(this, 1003);
    timeLeft_ = Control<QLabel>(this, 1004);
    rate_ = Control<QLabel>(this, 1005);
    cancelButton_ = Control<QPushButton>(this, 2);
    progress_->setRange(0, 1);
    connect(cancelButton_, &QPushButton::clicked, this, &CFtpTransferDLG::reject);
}

CFtpTransferDLG::~CFtpTransferDLG()
{
    cancel_ = true;
    JoinWorker();
}

void CFtpTransferDLG::JoinWorker()
{
    if (worker_.joinable())
        worker_.join();
}

int CFtpTransferDLG::DoModal()
{
    result_ = kFailed;
    if (!OnInitDialog())
        return kFailed;
    exec();
    JoinWorker();
    return result_;
}

bool CFtpTransferDLG::OnInitDialog()
{
    if (!request.download || job)
        setWindowTitle(QStringLiteral("アップロード"));
    if (!job && request.download && std::filesystem::exists(request.localPath)) {
        if (MessageBox(this, ftptexts::Format(133, {request.localPath}), ftptexts::Text("通知"),
                       MB_YESNO | MB_ICONQUESTION) != IDYES)
            return false;
    }
    if (!job)
        SetCaption(ftptexts::Format(request.download ? 103 : 111, {request.remotePath, request.server}));
    try {
        worker_ = std::thread([this] {
            // The engine and its connection are gone before the end is
            // posted, so the dialog never waits for the connection to close.
            FtpTransferResult result;
            if (job) {
                result = job(*sink_, cancel_);
            } else {
                CFtpTransfer transfer(request, *sink_, cancel_);
                result = transfer.Run();
            }
            QMetaObject::invokeMethod(
                this, [this, result] { OnTransferEnded(result); }, Qt::QueuedConnection);
        });
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

void CFtpTransferDLG::OnTransferEnded(const FtpTransferResult& result)
{
    finished_ = true;
    animation_->Stop();
    JoinWorker();
    if (cancel_ || result.end == FtpTransferEnd::Cancelled) {
        result_ = kFailed;
    } else if (result.end == FtpTransferEnd::Failed) {
        if (!result.errorText.empty())
            MessageBox(this, result.errorText, "Error", MB_OK | MB_ICONERROR);
        result_ = kFailed;
    } else {
        result_ = kCompleted;
    }
    done(result_);
}

void CFtpTransferDLG::OnCancel()
{
    cancel_ = true;
    cancelButton_->setEnabled(false);
    SetStatusText(ftptexts::Format(135));
}

void CFtpTransferDLG::reject()
{
    if (finished_)
        QDialog::reject();
    else
        OnCancel();
}

void CFtpTransferDLG::closeEvent(QCloseEvent* event)
{
    if (finished_) {
        QDialog::closeEvent(event);
        return;
    }
    event->ignore();
    OnCancel();
}

void CFtpTransferDLG::SetStatusText(const std::string& text)
{
    status_->setText(sjis::ToUnicode(text));
}

void CFtpTransferDLG::SetCaption(const std::string& text)
{
    caption_->setText(sjis::ToUnicode(text));
}

void CFtpTransferDLG::SetProgressRange(std::uint64_t total)
{
    // Kilobytes as the bar's unit; a file too large for the bar's range in
    // kilobytes is counted in a larger unit, so the bar stays right.
    unit_ = 1024;
    while ((total + unit_ / 2) / unit_ > static_cast<std::uint64_t>(INT_MAX))
        unit_ *= 2;
    progress_->setRange(0, static_cast<int>((total + unit_ / 2) / unit_));
}

void CFtpTransferDLG::SetProgressPos(std::uint64_t bytes)
{
    progress_->setValue(static_cast<int>(std::min<std::uint64_t>(bytes / unit_, INT_MAX)));
}

void CFtpTransferDLG::ShowPercent(int percent)
{
    setWindowTitle(sjis::ToUnicode(ftptexts::Format(117, {std::to_string(percent), request.remotePath})));
}

void CFtpTransferDLG::ShowRate(double bytesPerMillisecond)
{
    rate_->setText(sjis::ToUnicode(ftptexts::FormatRate(bytesPerMillisecond)));
}

void CFtpTransferDLG::ShowTimeLeft(std::uint64_t seconds, std::uint64_t done, std::uint64_t total)
{
    timeLeft_->setText(sjis::ToUnicode(ftptexts::FormatTimeLeft(seconds, done, total)));
}

void CFtpTransferDLG::PlayAnimation()
{
    animation_->Play();
}

QString CFtpTransferDLG::StatusText() const
{
    return status_->text();
}

QString CFtpTransferDLG::CaptionText() const
{
    return caption_->text();
}

QString CFtpTransferDLG::TimeLeftText() const
{
    return timeLeft_->text();
}

QString CFtpTransferDLG::RateText() const
{
    return rate_->text();
}
