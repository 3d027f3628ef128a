#include "app/CProjectBridge.h"

#include "app/CKESTRIX_2App.h"
#include "app/CMainFrame.h"
#include "app/builders/CDialogBuilder.h"
#include "editor/CKESTRIX_2View.h"
#include "platform/docview/CDocument.h"
#include "platform/docview/CMultiDocTemplate.h"
#include "platform/text/Sjis.h"
#include "platform/ui/UiService.h"
#include "project/CProjectView.h"

#include <QMdiArea>
#include <QMdiSubWindow>

CProjectBridge::CProjectBridge(CKESTRIX_2App& app, CProjectView& tree) : app_(app), tree_(tree) {}

std::string CProjectBridge::GetProjectFolder() const
{
    return tree_.Folder();
}

std::vector<std::string> CProjectBridge::GetProjectFiles() const
{
    std::vector<std::string> files;
    for (const auto& entry : tree_.Entries())
        files.push_back(entry->LocalPath());
    return files;
}

void CProjectBridge::AddFile(const std::string& path)
{
    tree_.AddFile(path);
}

void CProjectBridge::OpenProject()
{
    tree_.OpenProject();
}

void CProjectBridge::NewProject()
{
    tree_.NewProject();
}

void CProjectBridge::SaveProject()
{
    tree_.Save();
}

void CProjectBridge::CloseProject()
{
    tree_.CloseProject();
}

bool CProjectBridge::IsProjectModified() const
{
    return tree_.IsModified();
}

bool CProjectBridge::HasProjectName() const
{
    return !tree_.Name().empty();
}

void CProjectBridge::ReloadAppSettings()
{
    tree_.LoadAppSettings();
}

bool CProjectBridge::SaveModifiedOnExit()
{
    if (!tree_.IsModified())
        return true;
    // Asked while the main window still stands, so the user sees what the
    // question is about; a failed save keeps the program open.
    if (MessageBox(app_.MainFrame(), sjis::FromUtf8("プロジェクトが変更されています、保存しますか？"),
                   sjis::FromUtf8("通知"), MB_YESNO | MB_ICONQUESTION) == IDYES)
        return tree_.Save();
    tree_.SetModified(false);
    return true;
}

CRichEditCtrl* CProjectBridge::OpenDocumentFile(const std::string& localPath)
{
    CDocument* document = app_.DocTemplate().OpenDocumentFile(localPath);
    if (!document)
        return nullptr;
    return dynamic_cast<CKESTRIX_2View*>(document->FirstView());
}

bool CProjectBridge::HasEditorWindowsToClose() const
{
    const CMainFrame* frame = app_.MainFrame();
    return frame && !app_.ControlWnd().isFloating() && frame->MdiArea() &&
           frame->MdiArea()->activeSubWindow();
}

void CProjectBridge::CloseEditorWindows()
{
    QMdiArea* area = app_.MainFrame()->MdiArea();
    // From the active window on, in the order the windows were last used;
    // each asks about its own changes and may stay open.
    const QList<QMdiSubWindow*> windows = area->subWindowList(QMdiArea::ActivationHistoryOrder);
    for (auto it = windows.rbegin(); it != windows.rend(); ++it)
        (*it)->close();
}

void CProjectBridge::ExecuteFile(const std::string& folder, const std::string& file)
{
    app_.ExecuteFile(folder, file);
}

void CProjectBridge::RunOnWebServer(const std::string& folder, const std::string& file)
{
    app_.RunOnWebServer(folder, file);
}

void CProjectBridge::BuildDialog(QWidget* dialog, UINT id, const std::map<int, ControlMaker>& makers)
{
    CDialogBuilder builder(id);
    for (const auto& [control, maker] : makers)
        builder.Use(control, maker);
    builder.Build(dialog);
}
