#include "app/CDebugBar.h"

#include "platform/text/Sjis.h"
#include "platform/ui/UiService.h"
#include "run/CDebugScreen.h"
#include "run/CSyntaxCheck.h"
#include "run/CTempFolder.h"

#include <QApplication>
#include <QTabWidget>
#include <filesystem>

namespace {

std::string J(const char* utf8)
{
    return sjis::FromUtf8(utf8);
}

bool HasBlank(const std::string& path)
{
    return path.find_first_of(" \t\n\v\f\r") != std::string::npos;
}

} // namespace

CDebugBar::CDebugBar(QWidget* parent)
    : CTabbedBar(QStringLiteral("DebugBar"), QStringLiteral("Debug Window"), parent),
      syntaxCheck_(new CSyntaxCheck(Tabs())), debugScreen_(new CDebugScreen(Tabs()))
{
    Tabs()->addTab(syntaxCheck_, QStringLiteral("SyntaxCheck"));
    Tabs()->addTab(debugScreen_, QStringLiteral("DebugScreen"));
    Tabs()->setCurrentIndex(kSyntaxCheckTab);
    setAllowedAreas(Qt::BottomDockWidgetArea);
}

void CDebugBar::ExecuteFile(std::string folder, std::string file)
{
    const std::string notice = J("通知");
    // One check or run at a time: a second one asked for while the check
    // waits for the interpreter, or while a question is open, is refused too.
    if (executing_ || debugScreen_->IsRunning() || syntaxCheck_->IsChecking()) {
        MessageBox(this, J("現在、他のファイルのデバッグが実行中です。"), notice, MB_OK | MB_ICONINFORMATION);
        return;
    }
    executing_ = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{executing_};

    std::string runPath = folder.empty() ? file : folder + "/" + file;
    const std::string sourcePath = runPath;
    std::string tempFolder;
    if (HasBlank(runPath)) {
        MessageBox(this, J("ファイルパスに空白文字が含まれています。"), notice, MB_OK | MB_ICONINFORMATION);
        if (MessageBox(this, J("一時的にプロジェクトフォルダを新規作成・コピーし、デバッグを実行しますか？"),
                       notice, MB_YESNO | MB_ICONQUESTION) != IDYES)
            return;
        QApplication::setOverrideCursor(Qt::WaitCursor);
        tempFolder = CTempFolder::CopyToTempFolder(folder.empty() ? file : folder);
        QApplication::restoreOverrideCursor();
        if (tempFolder.empty()) {
            MessageBox(this, J("フォルダのコピーに失敗しました"), notice, MB_OK | MB_ICONINFORMATION);
            return;
        }
        runPath =
            tempFolder + "/" + (folder.empty() ? std::filesystem::path(file).filename().string() : file);
    }

    if (MessageBox(this, J("構文チェックを行ないますか?"), notice, MB_YESNO | MB_ICONQUESTION) == IDYES) {
        SelectTab(kSyntaxCheckTab);
        syntaxCheck_->CheckSyntax(runPath, sourcePath);
    }
    if (MessageBox(this, J("デバッグを行ないますか?"), notice, MB_YESNO | MB_ICONQUESTION) == IDYES) {
        SelectTab(kDebugScreenTab);
        debugScreen_->SetTempFolder(tempFolder);
        debugScreen_->RunPerl(runPath);
    } else {
        CTempFolder::Delete(tempFolder);
    }
}
