// The transfer progress dialog: its texts, its bar, and cancelling or
// closing it while a real transfer runs.
#include "../platform/NamedCase.h"
#include "FtpTestServer.h"
#include "ScriptedUi.h"
#include "TempDir.h"
#include "ftp/CFtpTransferDLG.h"
#include "ftp/CTransferAnimation.h"
#include "ftp/FtpHooks.h"
#include "ftp/FtpTexts.h"
#include "platform/text/Sjis.h"

#include <QProgressBar>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

struct TextCase {
    const char* name;
    std::string (*format)();
    const char* expected;
};

const TextCase kTextCases[] = {
    {"HalfAByteAMillisecondIsBytes", [] { return ftptexts::FormatRate(0.5); }, "512 Bytes/Sec"},
    {"OneByteAMillisecondIsKilobytes", [] { return ftptexts::FormatRate(1.0); }, "1.00 KB/Sec"},
    {"JustUnderTenKeepsTwoDecimals", [] { return ftptexts::FormatRate(9.99); }, "9.99 KB/Sec"},
    {"TenAndMoreHasNoDecimals", [] { return ftptexts::FormatRate(10.0); }, "10 KB/Sec"},
    {"FastRate", [] { return ftptexts::FormatRate(250.0); }, "250 KB/Sec"},
    {"SizeUnderAKilobyte", [] { return ftptexts::FormatSize(1023); }, "1023 Bytes"},
    {"SizeOfAKilobyte", [] { return ftptexts::FormatSize(1024); }, "1.0 KB"},
    {"SizeJustUnderAMegabyte", [] { return ftptexts::FormatSize(1048575); }, "1024.0 KB"},
    {"SizeOfAMegabyte", [] { return ftptexts::FormatSize(1048576); }, "1.00 MB"},
    {"SizeOverFourGigabytes", [] { return ftptexts::FormatSize(5ULL << 30); }, "5120.00 MB"},
    {"FiftyNineSeconds", [] { return ftptexts::FormatTime(59); }, "59 sec"},
    {"SixtySecondsIsAMinute", [] { return ftptexts::FormatTime(60); }, "1 min"},
    {"SixtyOneSeconds", [] { return ftptexts::FormatTime(61); }, "1 min 1 sec"},
    {"TimeLeftLine", [] { return ftptexts::FormatTimeLeft(125, 1572864, 3407872); },
     "2 min 5 sec (1.50 MB of 3.25 MB copied)"},
};

class TransferText : public testing::TestWithParam<TextCase> {};

TEST_P(TransferText, ReadsAsTheDialogShowsIt)
{
    EXPECT_EQ(sjis::ToUtf8(GetParam().format()), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Dialog, TransferText, testing::ValuesIn(kTextCases), CaseName);

TEST(TransferDialog, TheBarStaysRightForFilesBeyond65535Kilobytes)
{
    FtpHooks hooks;
    CFtpTransferDLG dialog(hooks);
    dialog.SetProgressRange(5ULL << 30);
    dialog.SetProgressPos(5ULL << 29);
    QProgressBar* bar = dialog.ProgressBar();
    EXPECT_GT(bar->maximum(), 65535);
    EXPECT_NEAR(static_cast<double>(bar->value()) / bar->maximum(), 0.5, 0.001);
    dialog.SetProgressRange(100 * 1024);
    EXPECT_EQ(bar->maximum(), 100);
}

class TransferDialogRun : public testing::Test {
protected:
    void SetUp() override
    {
        std::ofstream(remote.file("big.bin"), std::ios::binary) << std::string(64 << 20, 'k');
        std::ofstream(remote.file("small.txt"), std::ios::binary) << "small";
        server = std::make_unique<FtpTestServer>(remote.path());
        ASSERT_TRUE(server->Started());
        dialog.request.server = server->Address();
        dialog.request.user = FtpTestServer::kUser;
        dialog.request.password = FtpTestServer::kPassword;
    }
    void TearDown() override
    {
        server->Kill();
        EXPECT_FALSE(server->Running());
    }

    ScriptedUi ui;
    FtpHooks hooks;
    TempDir remote{"kestrix-ftp-remote"};
    TempDir local{"kestrix-ftp-local"};
    std::unique_ptr<FtpTestServer> server;
    CFtpTransferDLG dialog{hooks};
};

TEST_F(TransferDialogRun, ClosingTheWindowWhileRunningCancelsAndLeavesNoFile)
{
    dialog.request.remotePath = "/big.bin";
    dialog.request.localPath = local.file("big.bin");
    bool playing = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (dialog.ProgressBar()->value() > 0 && !dialog.CancelRequested()) {
            playing = dialog.Animation()->IsPlaying();
            dialog.close();
            EXPECT_TRUE(dialog.isVisible());
            EXPECT_EQ(dialog.StatusText().toStdString(), "転送処理に失敗しました");
        }
    });
    poll.start(2);
    EXPECT_EQ(dialog.DoModal(), CFtpTransferDLG::kFailed);
    EXPECT_TRUE(playing);
    EXPECT_TRUE(dialog.CancelRequested());
    EXPECT_FALSE(dialog.Animation()->IsPlaying());
    EXPECT_TRUE(fs::is_empty(local.path()));
    EXPECT_TRUE(ui.Boxes().empty());
}

TEST_F(TransferDialogRun, ACompletedDownloadEndsWithOneAndShowsItsLastPercentage)
{
    dialog.request.remotePath = "/small.txt";
    dialog.request.localPath = local.file("small.txt");
    EXPECT_EQ(dialog.DoModal(), CFtpTransferDLG::kCompleted);
    EXPECT_EQ(ReadFileBytes(local.file("small.txt")), "small");
    EXPECT_EQ(dialog.windowTitle().toStdString(), "100% of /small.txt 完了しました。");
    EXPECT_EQ(dialog.CaptionText().toStdString(), "small.txtのアップロードの完了");
}

TEST_F(TransferDialogRun, AFailureShowsItsTextInABoxAndEndsWithTwo)
{
    dialog.request.password = "wrong";
    dialog.request.download = false;
    dialog.request.remotePath = "/";
    dialog.request.localPath = remote.file("small.txt");
    ui.AnswerBox(IDOK);
    EXPECT_EQ(dialog.DoModal(), CFtpTransferDLG::kFailed);
    EXPECT_EQ(dialog.windowTitle().toStdString(), "アップロード");
    ASSERT_EQ(ui.Boxes().size(), 1u);
    EXPECT_TRUE(ui.Boxes()[0].Utf8Text().starts_with("サーバへの接続の際にエラーが発生しました, Error:\n530"))
        << ui.Boxes()[0].Utf8Text();
}

} // namespace
