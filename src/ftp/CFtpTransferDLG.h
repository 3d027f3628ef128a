// The modal dialog of one FTP upload or download. It starts the transfer
// engine on a worker thread with a connection of its own, shows what the
// engine reports (status, caption, bar, time left, rate, the percentage in
// the title), lets the user cancel, and ends when the worker has ended:
// 1 completed, 2 failed or cancelled.
//
// The worker never touches a widget: each report is handed to the dialog's
// thread as a queued call, and the end as a last queued call, so the
// dialog's thread never waits for the transfer.
#pragma once

#include "ftp/FtpTransferRequest.h"
#include "platform/base/WinTypes.h"

#include <QDialog>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <thread>

class CTransferAnimation;
class FtpHooks;
class FtpTransferSink;
class QLabel;
class QProgressBar;
class QPushButton;

class CFtpTransferDLG : public QDialog {
    Q_OBJECT
public:
    static constexpr UINT kDialogId = 190;
    static constexpr int kCompleted = 1;
    static constexpr int kFailed = 2;

    CFtpTransferDLG(FtpHooks& hooks, QWidget* parent = nullptr);
    ~CFtpTransferDLG() override;

    FtpTransferRequest request;
    // Another engine's work in this dialog (a publish): run on the worker
    // instead of the request's transfer, with the same sink and cancel flag.
    // The request's remotePath still names the target in the title.
    using Job = std::function<FtpTransferResult(FtpTransferSink& sink, const std::atomic<bool>& cancel)>;
    Job job;

    // Runs the transfer: kCompleted or kFailed.
    int DoModal();

    // The display, on the dialog's thread.
    void SetStatusText(const std::string& text);
    void SetCaption(const std::string& text);
    void SetProgressRange(std::uint64_t total);
    void SetProgressPos(std::uint64_t bytes);
    void ShowPercent(int percent);
    void ShowRate(double bytesPerMillisecond);
    void ShowTimeLeft(std::uint64_t seconds, std::uint64_t done, std::uint64_t total);
    void PlayAnimation();

    // For the tests: the controls as the user sees them.
    QString StatusText() const;
    QString CaptionText() const;
    QString TimeLeftText() const;
    QString RateText() const;
    QProgressBar* ProgressBar() const { return progress_; }
    CTransferAnimation* Animation() const { return animation_; }
    bool CancelRequested() const { return cancel_.load(); }

    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    class WorkerSink;

    bool OnInitDialog();
    void OnCancel();
    // The worker has ended (the queued end of the transfer).
    void OnTransferEnded(const FtpTransferResult& result);
    void JoinWorker();

    FtpHooks& hooks_;
    CTransferAnimation* animation_ = nullptr;
    QLabel* status_ = nullptr;
    QLabel* caption_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QLabel* timeLeft_ = nullptr;
    QLabel* rate_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
    // The bar counts kilobytes, or larger units for files whose kilobyte
    // count would not fit the bar's range.
    std::uint64_t unit_ = 1024;

    std::atomic<bool> cancel_{false};
    std::atomic<bool> finished_{false};
    int result_ = kFailed;
    std::unique_ptr<WorkerSink> sink_;
    std::thread worker_;
};
