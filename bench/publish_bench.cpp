// Publishing a project of 100 scripts of which 5 changed, against uploading
// all 100 with the FTP browser's engine (the project folder upload of the
// transfer dialog), on the same loopback FTP server (pyftpdlib) in the same
// run. The publish is the whole command but the user: the plan (sizes, times
// and hashes against the record), perl -wc and the other checks on the
// changed scripts, the upload under temporary names with SITE CHMOD and the
// rename, and the record written. The first publish of all 100 is timed too.
//
//   build/bench/publish_bench [scripts=100] [changed=5] [runs=3]
#include "ftp/CFtpTransferDLG.h"
#include "platform/registry/SettingsStore.h"
#include "publish/CPublishDLG.h"
#include "publish/CPublishRun.h"
#include "publish/PublishChecks.h"
#include "publish/PublishHooks.h"

#include "BenchFtpServer.h"

#include <QApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

using bench::Seconds;
using Server = bench::FtpServer;

// A CGI script of about 4 KB, different per number and version.
std::string Script(int number, int version)
{
    std::string text = "#!/usr/bin/perl\r\nuse strict;\r\nuse warnings;\r\n";
    text += "# script " + std::to_string(number) + " version " + std::to_string(version) + "\r\n";
    for (int i = 0; i < 60; ++i)
        text +=
            "sub part" + std::to_string(i) + " { my ($x) = @_; return $x * " + std::to_string(i) + "; }\r\n";
    text += "print \"Content-Type: text/plain\\n\\n\", part1(" + std::to_string(number) + "), \"\\n\";\r\n";
    return text;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const int scripts = argc > 1 ? std::atoi(argv[1]) : 100;
    const int changed = argc > 2 ? std::atoi(argv[2]) : 5;
    const int runs = argc > 3 ? std::atoi(argv[3]) : 3;

    QTemporaryDir config, state, projectDir, remote;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    qputenv("XDG_STATE_HOME", state.path().toUtf8());
    const std::string project = projectDir.path().toStdString();
    fs::create_directories(remote.path().toStdString() + "/browser");
    Server server(remote.path().toStdString());
    settings::FtpAccount account{server.Address(), "kx", "pa ss"};
    settings::SaveFtpAccount(account);
    settings::AppPaths paths;
    paths.perlApp = "/usr/bin/perl";
    settings::SaveAppPaths(paths);
    PublishSettings::Save(project, {"/site", "", "/usr/bin/perl"});

    std::vector<std::string> files;
    for (int i = 0; i < scripts; ++i) {
        files.push_back(project + "/script" + std::to_string(i) + ".cgi");
        std::ofstream(files.back(), std::ios::binary) << Script(i, 0);
    }

    PublishHooks hooks;
    CPublishRun run(hooks, nullptr);
    std::size_t sent = 0;
    run.showDialog = [](QDialog& dialog) {
        if (auto* plan = dynamic_cast<CPublishDLG*>(&dialog)) {
            plan->OnPublish();
            return plan->result();
        }
        return 0;
    };
    const double first = Seconds([&] { run.Run(project, files); });
    std::printf("first publish of all %d scripts: %.3f s (%zu sent)\n", scripts, first,
                run.Upload().sent.size());

    for (int r = 1; r <= runs; ++r) {
        for (int i = 0; i < changed; ++i)
            std::ofstream(files[static_cast<std::size_t>(i * scripts / changed)], std::ios::binary)
                << Script(i, r);
        // The checks alone, on the same plan the publish is about to make.
        const double checks = Seconds([&] {
            const PublishPlan plan = PublishPlan::Build(
                project, files,
                PublishRecord::Load(PublishRecord::PathFor(project), server.Address() + "/site"));
            PublishChecks::Check(plan, "/usr/bin/perl", "/usr/bin/perl");
        });
        const double publish = Seconds([&] { run.Run(project, files); });
        sent = run.Upload().sent.size();

        FtpHooks plain;
        CFtpTransferDLG dialog(plain);
        dialog.request.server = server.Address();
        dialog.request.user = "kx";
        dialog.request.password = "pa ss";
        dialog.request.download = false;
        dialog.request.directory = true;
        dialog.request.remotePath = "/browser";
        dialog.request.localPath = project;
        int result = 0;
        const double browser = Seconds([&] { result = dialog.DoModal(); });
        fs::remove_all(remote.path().toStdString() + "/browser/" + fs::path(project).filename().string());
        std::printf("run %d: plan and checks alone %.3f s\n", r, checks);
        std::printf("run %d: publish (%zu of %d changed sent): %.3f s; FTP browser upload of all %d: %.3f s "
                    "(%s); ratio %.2f\n",
                    r, sent, scripts, publish, scripts, browser,
                    result == CFtpTransferDLG::kCompleted ? "ok" : "failed", publish / browser);
    }
    return 0;
}
