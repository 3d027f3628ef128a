#include "publish/CPublishRun.h"

#include "ftp/CFtpTransferDLG.h"
#include "platform/text/Sjis.h"
#include "platform/ui/UiService.h"
#include "publish/CPublishDLG.h"
#include "publish/CPublishReportDLG.h"
#include "publish/PublishHooks.h"

#include <QApplication>
#include <algorithm>
#include <cstring>

CPublishRun::CPublishRun(PublishHooks& hooks, QWidget* owner)
    : showDialog([](QDialog& dialog) { return dialog.exec(); }), hooks_(hooks), owner_(owner)
{
}

CPublishRun::End CPublishRun::Run(const std::string& projectFolder, const std::vector<std::string>& files)
{
    upload_ = {};
    probes_.clear();
    CPublishDLG plan(hooks_, projectFolder, files, owner_);
    plan.Refresh();
    if (showDialog(plan) != QDialog::Accepted)
        return End::Cancelled;

    PublishUploadRequest request;
    request.server = plan.Account().url;
    request.user = plan.Account().user;
    request.password = plan.Account().password;
    request.remoteFolder = PublishSettings::NormalRemoteFolder(plan.Settings().remoteFolder);
    for (const PublishItem& item : plan.Plan().items)
        if (item.Goes())
            request.items.push_back(item);

    CFtpTransferDLG transfer(hooks_, owner_);
    transfer.setWindowTitle(QStringLiteral("プロジェクトの公開"));
    transfer.request.download = false;
    transfer.request.server = request.server;
    transfer.request.remotePath = request.remoteFolder;
    transfer.request.localPath = projectFolder;
    transfer.job = [this, &request](FtpTransferSink& sink, const std::atomic<bool>& cancel) {
        PublishUpload upload(request, sink, cancel);
        upload_ = upload.Run();
        // The report tells how it ended; the transfer dialog shows no box of its own.
        return FtpTransferResult{upload_.end, {}};
    };
    transfer.DoModal();

    // The record: what went up, and what was found unchanged by its hash.
    const std::string recordPath = PublishRecord::PathFor(projectFolder);
    PublishRecord record = PublishRecord::Load(recordPath, plan.Target());
    for (const PublishItem& item : plan.Plan().items) {
        const bool sent =
            std::find(upload_.sent.begin(), upload_.sent.end(), item.relativePath) != upload_.sent.end();
        if (sent || item.state == PublishState::Unchanged)
            record.Set(item.relativePath, {item.size, item.mtimeNs, item.sha256});
    }
    if (const int error = record.Save(recordPath); error != 0)
        MessageBox(owner_,
                   sjis::FromUtf8("公開の記録を保存できませんでした。次回はすべてのファイルを送ります。\n") +
                       sjis::FromUtf8(std::strerror(error)),
                   "Error", MB_OK | MB_ICONERROR);

    std::vector<PublishItem> scripts;
    for (const PublishItem& item : request.items)
        if (item.IsScript() &&
            std::find(upload_.sent.begin(), upload_.sent.end(), item.relativePath) != upload_.sent.end())
            scripts.push_back(item);
    const bool urlMissing = plan.Settings().publicUrl.empty();
    if (!urlMissing && !scripts.empty()) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        probes_ = PublishVerify::Run(plan.Settings().publicUrl, scripts, plan.Issues(), upload_.siteRefused);
        QApplication::restoreOverrideCursor();
    }
    CPublishReportDLG report(upload_, request.items.size(), probes_, urlMissing && !scripts.empty(), owner_);
    showDialog(report);
    switch (upload_.end) {
    case FtpTransferEnd::Completed: return End::Published;
    case FtpTransferEnd::Cancelled: return End::Cancelled;
    case FtpTransferEnd::Failed: return End::Failed;
    }
    return End::Failed;
}
