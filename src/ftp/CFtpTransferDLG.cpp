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

namespace {

template <typename W> W* Control(QWidget* dialog, int id)
{
    auto* widget = dialog->findChild<W*>(QString::number(id), Qt::FindDirectChildrenOnly);
    if (!widget)
        qFatal("The transfer dialog's template lacks control %d", id);
    return widget;
}

} // namespace

// The engine's reports, handed to the dialog's thread one by one in order.
class CFtpTransferDLG::WorkerSink : public FtpTransferSink {
public:
    explicit WorkerSink(CFtpTransferDLG* dialog) : dialog_(dialog) {}

    void SetStatusText(const std::string& text) override
    {
        Post([d = dialog_, text] { d->SetStatusText(text); });
    }
    void SetCaption(const std::string& text) override
    {
        Post([d = dialog_, text] { d->SetCaption(text); });
    }
    void SetProgressRange(std::uint64_t total) override
    {
        Post([d = dialog_, total] { d->SetProgressRange(total); });
    }
    void SetProgressPos(std::uint64_t bytes) override
    {
        Post([d = dialog_, bytes] { d->SetProgressPos(bytes); });
    }
    void ShowPercent(int percent) override
    {
        Post([d = dialog_, percent] { d->ShowPercent(percent); });
    }
    void ShowRate(double rate) override
    {
        Post([d = dialog_, rate] { d->ShowRate(rate); });
    }
    void ShowTimeLeft(std::uint64_t seconds, std::uint64_t done, std::uint64_t total) override
    {
        Post([d = dialog_, seconds, done, total] { d->ShowTimeLeft(seconds, done, total); });
    }
    void ClearProgressLines() override
    {
        Post([d = dialog_] {
            d->timeLeft_->clear();
            d->rate_->clear();
            d->status_->clear();
        });
    }
    void PlayAnimation() override
    {
        Post([d = dialog_] { d->PlayAnimation(); });
    }
    // The worker waits for the user to acknowledge the box.
    void ShowMessage(const std::string& text, const std::string& caption, UINT flags) override
    {
        QMetaObject::invokeMethod(
            dialog_, [d = dialog_, text, caption, flags] { MessageBox(d, text, caption, flags); },
            Qt::BlockingQueuedConnection);
    }

private:
    template <typename F> void Post(F f)
    {
        QMetaObject::invokeMethod(dialog_, std::move(f), Qt::QueuedConnection);
    }
    CFtpTransferDLG* dialog_;
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
    if (!request.download)
        setWindowTitle(QStringLiteral("アップロード"));
    if (request.download && std::filesystem::exists(request.localPath)) {
        if (MessageBox(this, ftptexts::Format(133, {request.localPath}), ftptexts::Text("通知"),
                       MB_YESNO | MB_ICONQUESTION) != IDYES)
            return false;
    }
    SetCaption(ftptexts::Format(request.download ? 103 : 111, {request.remotePath, request.server}));
    try {
        worker_ = std::thread([this] {
            CFtpTransfer transfer(request, *sink_, cancel_);
            FtpTransferResult result = transfer.Run();
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
