// The application's wiring of the FTP browser: the transfer dialog laid out
// from its template, the project folder, the account read again.
#include "app/FtpBrowserWiring.h"
#include "ScriptedUi.h"
#include "app/CKESTRIX_2App.h"
#include "ftp/CFtpTransferDLG.h"
#include "ftp/CFtpView.h"
#include "ftp/CTransferAnimation.h"
#include "platform/registry/SettingsStore.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {

class FolderProject : public ProjectHost {
public:
    std::string GetProjectFolder() const override { return "/home/user/site"; }
};

TEST(FtpBrowserWiring, TheTransferDialogIsLaidOutFromItsTemplate)
{
    CKESTRIX_2App app;
    FtpBrowserWiring wiring(app, *app.ControlWnd().FtpView());
    CFtpTransferDLG dialog(wiring);
    EXPECT_EQ(dialog.windowTitle().toStdString(), "ダウンロード");
    auto* bar = dialog.findChild<QProgressBar*>(QStringLiteral("1003"));
    auto* animation = dialog.findChild<CTransferAnimation*>(QStringLiteral("1000"));
    auto* cancel = dialog.findChild<QPushButton*>(QStringLiteral("2"));
    ASSERT_TRUE(bar && animation && cancel);
    EXPECT_EQ(cancel->text().toStdString(), "取り消し");
    // The bar lies below the two text lines and spans the dialog's width.
    auto* caption = dialog.findChild<QLabel*>(QStringLiteral("1002"));
    ASSERT_TRUE(caption);
    EXPECT_GT(bar->geometry().top(), caption->geometry().bottom());
    EXPECT_GT(bar->width(), dialog.width() * 3 / 4);
}

TEST(FtpBrowserWiring, TheProjectFolderComesFromTheApplicationsProject)
{
    CKESTRIX_2App app;
    FolderProject project;
    app.SetProjectHost(&project);
    FtpBrowserWiring wiring(app, *app.ControlWnd().FtpView());
    EXPECT_EQ(wiring.GetProjectFolder(), "/home/user/site");
    app.SetProjectHost(nullptr);
    EXPECT_EQ(wiring.GetProjectFolder(), "");
}

} // namespace
