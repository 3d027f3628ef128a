#include "app/CKESTRIX_2App.h"

#include "app/CAboutDlg.h"
#include "app/CMainFrame.h"
#include "app/CNameInputDlg.h"
#include "app/CRecoverySession.h"
#include "app/FtpBrowserWiring.h"
#include "app/PublishWiring.h"
#include "app/builders/CIconPainter.h"
#include "app/builders/CMenuResources.h"
#include "app/settings/CSettingDlg.h"
#include "editor/CChildFrame.h"
#include "editor/CKESTRIX_2Doc.h"
#include "editor/CKESTRIX_2View.h"
#include "ftp/CFtpView.h"
#include "platform/docview/CMultiDocTemplate.h"
#include "platform/recovery/RecoveryStore.h"
#include "platform/registry/Registry.h"
#include "platform/text/Sjis.h"
#include "platform/ui/UiService.h"
#include "project/CProjectView.h"
#include "publish/CPublishRun.h"
#include "run/CDebugScreen.h"
#include "run/CSyntaxCheck.h"
#include "run/CWebServerRun.h"

#include <QCoreApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QTranslator>
#include <QUrl>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <unistd.h>

namespace {

// The reason a file could not be created, as the system's text for it.
std::string CreateFailureText(int error)
{
    switch (error) {
    case ENOENT:
    case ENOTDIR: return SystemErrorText(ERROR_FILE_NOT_FOUND);
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR: return SystemErrorText(ERROR_ACCESS_DENIED);
    default: return sjis::FromUtf8(std::strerror(error));
    }
}

} // namespace

CKESTRIX_2App::CKESTRIX_2App()
    : hooks_(debugBar_, *controlWnd_.ProjectView(), help_), context_{colorizer_, hooks_},
      recentFiles_(cmd::kRecentFileCount), projectBridge_(*this, *controlWnd_.ProjectView()),
      consoleReader_([this] { debugBar_.DebugScreen()->LoadPerlPath(); }),
      checkReader_([this] { debugBar_.SyntaxCheck()->LoadPerlPath(); }),
      webServerRun_(std::make_unique<CWebServerRun>()),
      ftpWiring_(std::make_unique<FtpBrowserWiring>(*this, *controlWnd_.FtpView()))
{
    controlWnd_.FtpView()->SetHooks(ftpWiring_.get());
    ftpBrowser_ = ftpWiring_.get();
    controlWnd_.ProjectView()->SetHost(&projectBridge_);
}

CKESTRIX_2App::~CKESTRIX_2App()
{
    if (mainFrame_) {
        // The documents go first, while their windows still stand; then the
        // bars, which this object owns, leave the frame before it goes.
        docTemplate_->onDocumentCountChanged = nullptr;
        docTemplate_->CloseAllDocuments();
        DestroyFrame();
    }
    // Every document is closed: nothing is left to recover.
    if (recovery_)
        recovery_->End();
    SetHiveProblemHandler(nullptr);
    if (translator_)
        QCoreApplication::removeTranslator(translator_.get());
}

bool CKESTRIX_2App::InitInstance()
{
    // The standard buttons (はい, いいえ, キャンセル) come from Qt's own
    // Japanese translation.
    translator_ = std::make_unique<QTranslator>();
    if (translator_->load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator_.get());

    // A settings file that cannot be read is set aside; the user hears of it
    // once, in a box, and the program goes on with empty settings.
    SetHiveProblemHandler([](const std::string& message) {
        MessageBox(nullptr, sjis::FromUtf8(message), "Error", MB_OK | MB_ICONEXCLAMATION);
    });

    recentFiles_.ReadList();
    // The parts of script execution read their settings once the settings
    // file has been looked at.
    debugBar_.SyntaxCheck()->LoadPerlPath();
    debugBar_.DebugScreen()->LoadPerlPath();
    webServerRun_->LoadSettings();

    docTemplate_ = std::make_unique<CMultiDocTemplate>(
        CMenuResources::kDocumentMenu, CMenuResources::DocumentString(),
        [this] { return std::make_unique<CKESTRIX_2Doc>(context_); },
        [] {
            auto* frame = new CChildFrame();
            frame->setWindowIcon(QIcon(CIconPainter::DocumentIcon()));
            return frame;
        },
        [this](CDocument*, CMDIChildWnd*) -> CView* { return new CKESTRIX_2View(context_); });
    docTemplate_->onFileOpened = [this](const std::string& path) { AddToRecentFileList(path); };
    // A double-click on a message of the check opens its script as the
    // open command does.
    debugBar_.SyntaxCheck()->openDocument = [this](const std::string& path) {
        return docTemplate_->OpenDocumentFile(path);
    };

    mainFrame_ = std::make_unique<CMainFrame>(*this);
    // The bars are in the frame now: the FTP browser reads its account.
    ftpWiring_->ReloadSettings();
    mainFrame_->setWindowIcon(QIcon(CIconPainter::ProgramIcon()));
    help_.SetOwner(mainFrame_.get());
    if (!mainFrame_->Create()) {
        DestroyFrame();
        help_.SetOwner(nullptr);
        return false;
    }
    // The bars' windows stand now: the project tree reads its settings.
    controlWnd_.ProjectView()->LoadAppSettings();
    // Unsaved text that a copy which ended without saving left behind is
    // offered once the window stands.
    mainFrame_->show();
    recovery_ = std::make_unique<CRecoverySession>(RecoveryStore::DefaultFolder());
    if (recovery_->Start())
        recovery_->Offer(*docTemplate_, mainFrame_.get());
    return true;
}

void CKESTRIX_2App::OpenCommandLineFiles(const std::vector<std::string>& arguments, bool toFront)
{
    if (toFront && mainFrame_) {
        if (mainFrame_->isMinimized())
            mainFrame_->showNormal();
        mainFrame_->raise();
        mainFrame_->activateWindow();
    }
    namespace fs = std::filesystem;
    for (const std::string& argument : arguments) {
        std::string path = argument;
        if (path.starts_with("file:"))
            path = QUrl(QString::fromStdString(path)).toLocalFile().toStdString();
        if (path.empty())
            continue;
        std::error_code ec;
        path = fs::absolute(path, ec).lexically_normal().string();
        if (fs::is_directory(path, ec)) {
            MessageBox(mainFrame_.get(),
                       sjis::FromUtf8("「") + sjis::FromUtf8(path) +
                           sjis::FromUtf8("」はフォルダです。ファイルを指定してください。"),
                       "Error", MB_OK | MB_ICONEXCLAMATION);
            continue;
        }
        docTemplate_->OpenDocumentFile(path);
    }
}

void CKESTRIX_2App::DestroyFrame()
{
    for (QDockWidget* bar : std::initializer_list<QDockWidget*>{&controlWnd_, &debugBar_}) {
        mainFrame_->removeDockWidget(bar);
        bar->setParent(nullptr);
    }
    mainFrame_.reset();
}

void CKESTRIX_2App::SetProjectHost(ProjectHost* host)
{
    project_ = host ? host : &projectBridge_;
}

void CKESTRIX_2App::SetSettingsReaders(SettingsReader* ftpBrowser, SettingsReader* debugConsole,
                                       SettingsReader* syntaxCheck)
{
    ftpBrowser_ = ftpBrowser ? ftpBrowser : static_cast<SettingsReader*>(ftpWiring_.get());
    debugConsole_ = debugConsole ? debugConsole : &consoleReader_;
    syntaxCheck_ = syntaxCheck ? syntaxCheck : &checkReader_;
}

void CKESTRIX_2App::ExecuteFile(const std::string& folder, const std::string& file)
{
    debugBar_.ExecuteFile(folder, file);
}

void CKESTRIX_2App::RunOnWebServer(const std::string& folder, const std::string& file)
{
    webServerRun_->RunOnWebServer(folder, file);
}

void CKESTRIX_2App::AddToRecentFileList(const std::string& path)
{
    recentFiles_.Add(path);
    RecentFilesChanged();
}

void CKESTRIX_2App::RecentFilesChanged()
{
    recentFiles_.WriteList();
    if (mainFrame_)
        mainFrame_->RefreshRecentFiles();
}

bool CKESTRIX_2App::OnCommand(UINT id)
{
    if (const int index = cmd::RecentFileIndex(id); index >= 0) {
        OnOpenRecentFile(index);
        return true;
    }
    switch (id) {
    case cmd::kFileNew: OnFileNew(); return true;
    case cmd::kFileOpen: OnFileOpen(); return true;
    case cmd::kAppAbout: OnAppAbout(); return true;
    case cmd::kSettings: OnSettings(); return true;
    case cmd::kHelpContents: help_.DisplayToc(); return true;
    case cmd::kFilePrintSetup:
        UiService::Current().PageSetup(mainFrame_.get(), ProgramPrinter());
        return true;
    case cmd::kProjectOpen: project_->OpenProject(); return true;
    case cmd::kProjectNew: project_->NewProject(); return true;
    case cmd::kProjectSave: project_->SaveProject(); return true;
    case cmd::kProjectClose: project_->CloseProject(); return true;
    case cmd::kProjectPublish: OnPublish(); return true;
    case cmd::kAppExit:
        if (mainFrame_)
            mainFrame_->close();
        return true;
    default: return false;
    }
}

bool CKESTRIX_2App::OnUpdateCommand(CCmdUI& ui)
{
    const UINT id = ui.Id();
    if (const int index = cmd::RecentFileIndex(id); index >= 0) {
        ui.Enable(index < recentFiles_.Count());
        return true;
    }
    switch (id) {
    case cmd::kProjectSave: ui.Enable(project_->IsProjectModified()); return true;
    case cmd::kProjectClose: ui.Enable(project_->HasProjectName()); return true;
    case cmd::kProjectPublish: ui.Enable(!GetProjectFolder().empty()); return true;
    case cmd::kFileNew:
    case cmd::kFileOpen:
    case cmd::kAppAbout:
    case cmd::kFilePrintSetup:
    case cmd::kSettings:
    case cmd::kHelpContents:
    case cmd::kProjectOpen:
    case cmd::kProjectNew:
    case cmd::kAppExit: ui.Enable(); return true;
    default: return false;
    }
}

void CKESTRIX_2App::OnPublish()
{
    const std::string folder = GetProjectFolder();
    if (folder.empty())
        return;
    if (!publishWiring_)
        publishWiring_ = std::make_unique<PublishWiring>(*this);
    CPublishRun run(*publishWiring_, mainFrame_.get());
    run.Run(folder, project_->GetProjectFiles());
}

void CKESTRIX_2App::OnFileNew()
{
    const std::string folder = GetProjectFolder();
    if (folder.empty())
        docTemplate_->OpenDocumentFile({});
    else
        CreateProjectFile(folder);
}

void CKESTRIX_2App::CreateProjectFile(const std::string& folder)
{
    // With a project open, a new file is created empty in the project's
    // folder and joins the project; it is not opened.
    CNameInputDlg dialog(mainFrame_.get());
    dialog.SetMode(CNameInputDlg::kFileMode);
    if (dialog.DoModal() != IDOK)
        return;
    const std::string& name = dialog.GetName();
    const std::string path = folder + "/" + sjis::ToUtf8(name);

    std::error_code ec;
    if (std::filesystem::exists(path, ec)) {
        const std::string question =
            sjis::FromUtf8("「") + name + sjis::FromUtf8("」は既にあります。空のファイルで置き換えますか？");
        if (MessageBox(mainFrame_.get(), question, sjis::FromUtf8("通知"), MB_YESNO | MB_ICONQUESTION) !=
            IDYES)
            return;
    }
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) {
        const int error = errno;
        MessageBox(mainFrame_.get(),
                   sjis::FromUtf8("「") + name + sjis::FromUtf8("」を作成できません。\n") +
                       CreateFailureText(error),
                   "Error", MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    ::close(fd);
    project_->AddFile(path);
}

void CKESTRIX_2App::OnFileOpen()
{
    FileDialogRequest request;
    request.kind = FileDialogKind::Open;
    request.owner = mainFrame_.get();
    request.title = sjis::FromUtf8("ファイルを開く");
    request.filter = "CGI File (*.cgi;*.pl)|*.cgi;*.pl|TEXT File (*.txt;*.rtf)|*.txt;*.rtf||";
    request.flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (auto path = UiService::Current().FileDialog(request))
        docTemplate_->OpenDocumentFile(*path);
}

void CKESTRIX_2App::OnOpenRecentFile(int index)
{
    if (index >= recentFiles_.Count())
        return;
    const std::string path = recentFiles_[index];
    // A file that cannot be opened any more leaves the list (the document
    // has told the user why).
    if (!docTemplate_->OpenDocumentFile(path)) {
        const auto& entries = recentFiles_.Entries();
        const auto it = std::find(entries.begin(), entries.end(), path);
        if (it != entries.end()) {
            recentFiles_.Remove(int(it - entries.begin()));
            RecentFilesChanged();
        }
    }
}

void CKESTRIX_2App::OnAppAbout()
{
    CAboutDlg dialog(mainFrame_.get());
    dialog.DoModal();
}

void CKESTRIX_2App::OnSettings()
{
    CSettingDlg dialog(mainFrame_.get());
    if (dialog.DoModal() != IDOK)
        return;
    // Each part that keeps a copy of the settings reads them again.
    ftpBrowser_->ReloadSettings();
    project_->ReloadAppSettings();
    webServerRun_->LoadSettings();
    debugConsole_->ReloadSettings();
    syntaxCheck_->ReloadSettings();
    colorizer_.SetTipSwitch(dialog.TipsChecked());
    // The open scripts take the new font and colours at once.
    for (CDocument* document : docTemplate_->Documents())
        for (CView* view : document->Views())
            if (auto* editor = dynamic_cast<CKESTRIX_2View*>(view))
                editor->ReloadSettings();
}
