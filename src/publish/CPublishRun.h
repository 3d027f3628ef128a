// One publish of the open project, from the command to the report: the
// publish dialog (plan and checks), the upload in the transfer dialog, the
// record of what went up, the HTTP check of the scripts and the report.
//
// Only what really reached the server is entered in the record, so a failed
// or cancelled publish sends the rest next time; files found unchanged by
// their hash get their new size and time, so they are not read again.
#pragma once

#include "publish/PublishUpload.h"
#include "publish/PublishVerify.h"

#include <QDialog>
#include <functional>
#include <string>
#include <vector>

class PublishHooks;

class CPublishRun {
public:
    enum class End { Cancelled, Published, Failed };

    CPublishRun(PublishHooks& hooks, QWidget* owner);

    // Runs the publish of a project folder's files (local paths).
    End Run(const std::string& projectFolder, const std::vector<std::string>& files);

    // How each of the publish and report dialogs is shown; by default
    // exec(). The tests drive the dialogs through it.
    std::function<int(QDialog& dialog)> showDialog;

    // What the last run did, for the tests and the benchmark.
    const PublishUploadResult& Upload() const { return upload_; }
    const std::vector<PublishProbe>& Probes() const { return probes_; }

private:
    PublishHooks& hooks_;
    QWidget* owner_;
    PublishUploadResult upload_;
    std::vector<PublishProbe> probes_;
};
