#include "publish/PublishUpload.h"

#include "ftp/FtpTransferSink.h"
#include "platform/text/Sjis.h"
#include "platform/wininet/CFtpConnection.h"

#include <chrono>
#include <fstream>
#include <sstream>

namespace {

constexpr std::size_t kBlock = 16 * 1024;

std::string J(const char* utf8)
{
    return sjis::FromUtf8(utf8);
}

std::string ErrorText(const InternetError& error)
{
    if (error.code == ERROR_INTERNET_EXTENDED_ERROR)
        return error.response;
    return J("エラー番号 ") + std::to_string(error.code) +
           (error.response.empty() ? "" : " (" + error.response + ")");
}

bool NotUnderstood(const std::string& reply)
{
    return reply.starts_with("500") || reply.starts_with("502") || reply.starts_with("504");
}

} // namespace

PublishUpload::PublishUpload(PublishUploadRequest request, FtpTransferSink& sink,
                             const std::atomic<bool>& cancel)
    : request_(std::move(request)), sink_(sink), cancel_(cancel)
{
}

PublishUpload::~PublishUpload() = default;

std::string PublishUpload::RemotePath(const std::string& remoteFolder, const std::string& relativePath)
{
    return (remoteFolder == "/" ? std::string() : remoteFolder) + "/" + relativePath;
}

std::string PublishUpload::TemporaryPath(const std::string& remotePath)
{
    const auto slash = remotePath.find_last_of('/');
    return remotePath.substr(0, slash + 1) + "." + remotePath.substr(slash + 1) + ".kx-part";
}

PublishUploadResult PublishUpload::Run()
{
    if (cancel_) {
        result_.end = FtpTransferEnd::Cancelled;
        return result_;
    }
    sink_.SetStatusText(J("サーバに接続しています"));
    auto connection = CFtpConnection::Connect(request_.server, request_.user, request_.password);
    if (!connection) {
        result_.end = FtpTransferEnd::Failed;
        result_.errorText = J("FTPサーバに接続できません。\n") + ErrorText(connection.error());
        return result_;
    }
    connection_ = std::move(*connection);
    sink_.PlayAnimation();

    // The remote folder and the folders below it the files need; one that is
    // there already refuses MKD, which is fine.
    std::vector<std::string> folders;
    std::string path;
    std::istringstream parts(request_.remoteFolder);
    for (std::string part; std::getline(parts, part, '/');)
        if (!part.empty())
            folders.push_back(path += "/" + part);
    PublishPlan plan;
    plan.items = request_.items;
    for (const std::string& sub : plan.FoldersNeeded())
        folders.push_back(RemotePath(request_.remoteFolder, sub));
    for (const std::string& folder : folders)
        connection_->CreateDirectory(folder);

    for (const auto& item : request_.items)
        total_ += item.size;
    sink_.SetProgressRange(total_);
    for (const auto& item : request_.items) {
        if (cancel_) {
            result_.end = FtpTransferEnd::Cancelled;
            return result_;
        }
        Step step = SendFile(item);
        if (step == Step::Cancelled) {
            result_.end = FtpTransferEnd::Cancelled;
            return result_;
        }
        if (step == Step::Failed) {
            result_.end = FtpTransferEnd::Failed;
            return result_;
        }
    }
    sink_.ClearProgressLines();
    return result_;
}

PublishUpload::Step PublishUpload::Fail(const std::string& what, const InternetError& error)
{
    result_.errorText = what + "\n" + ErrorText(error);
    return Step::Failed;
}

PublishUpload::Step PublishUpload::SendFile(const PublishItem& item)
{
    const std::string target = RemotePath(request_.remoteFolder, item.relativePath);
    const std::string temporary = TemporaryPath(target);
    const std::string name = sjis::FromUtf8(item.relativePath);
    sink_.SetCaption(J("公開中: ") + name);
    sink_.SetStatusText(name);

    std::ifstream in(item.localPath, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    if (!in) {
        result_.errorText = J("ファイルを読めません。\n") + name;
        return Step::Failed;
    }
    const std::string bytes = PublishPlan::BytesToSend(item, text.str());

    if (auto opened = connection_->OpenFile(temporary, CFtpConnection::FileAccess::Write); !opened)
        return Fail(J("ファイルを送れません: ") + name, opened.error());
    auto start = std::chrono::steady_clock::now();
    for (std::size_t at = 0; at < bytes.size(); at += kBlock) {
        if (cancel_) {
            connection_->Abort();
            RemoveTemporary(temporary);
            return Step::Cancelled;
        }
        const std::size_t count = std::min(kBlock, bytes.size() - at);
        if (auto written = connection_->WriteFile(bytes.data() + at, count); !written) {
            InternetError error = written.error();
            connection_->Abort();
            RemoveTemporary(temporary);
            return Fail(J("ファイルを送れません: ") + name, error);
        }
        sink_.SetProgressPos(done_ + std::min<std::uint64_t>(at + count, item.size));
    }
    if (auto closed = connection_->CloseFile(); !closed) {
        InternetError error = closed.error();
        RemoveTemporary(temporary);
        return Fail(J("ファイルを送れません: ") + name, error);
    }
    // The permission goes on the temporary, so the file is executable from
    // the moment it has its name.
    SetMode(temporary, item);
    if (!connection_->Rename(temporary, target)) {
        // Servers that will not rename over a file: the old one goes first.
        // The name is then missing for a moment, but never half there.
        if (!connection_->Remove(target) || !connection_->Rename(temporary, target)) {
            InternetError error = connection_->LastError();
            RemoveTemporary(temporary);
            return Fail(J("ファイル名を変更できません: ") + name, error);
        }
    }
    result_.sent.push_back(item.relativePath);
    done_ += item.size;
    sink_.SetProgressPos(done_);
    if (total_ > 0)
        sink_.ShowPercent(static_cast<int>(done_ * 100 / total_));
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start)
            .count();
    if (ms > 0)
        sink_.ShowRate(static_cast<double>(item.size) / static_cast<double>(ms));
    return Step::Done;
}

void PublishUpload::SetMode(const std::string& path, const PublishItem& item)
{
    if (result_.siteRefused)
        return;
    const std::string mode = item.mode == 0755 ? "755" : "644";
    if (connection_->Site("CHMOD " + mode + " " + path))
        return;
    const std::string reply = connection_->LastResponse();
    if (NotUnderstood(reply)) {
        result_.siteRefused = true;
        result_.siteReply = reply;
    } else {
        result_.chmodFailed.push_back(item.relativePath);
    }
}

void PublishUpload::RemoveTemporary(const std::string& temporary)
{
    if (!connection_ || !connection_->IsOpen()) {
        auto again = CFtpConnection::Connect(request_.server, request_.user, request_.password);
        if (!again) {
            result_.temporariesLeft.push_back(temporary);
            return;
        }
        connection_ = std::move(*again);
    }
    if (!connection_->Remove(temporary))
        result_.temporariesLeft.push_back(temporary);
}
