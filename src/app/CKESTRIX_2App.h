// The application object: it owns the colouring engine, the workspace and
// debug bars, the help, the document template and the main frame for the
// whole run, starts the program, and carries out the application's commands
// (new, open, recent files, settings, version, help, project, exit).
#pragma once

#include "app/CAppHooks.h"
#include "app/CControlWnd.h"
#include "app/CDebugBar.h"
#include "app/CHtmlHelpSession.h"
#include "app/CProjectBridge.h"
#include "app/CRecentFileList.h"
#include "app/ProjectHost.h"
#include "app/SettingsReader.h"
#include "editor/CSyntaxColorizer.h"
#include "editor/EditorHooks.h"
#include "platform/docview/CCmdTarget.h"

#include <memory>
#include <string>
#include <vector>

class CMainFrame;
class CRecoverySession;
class CWebServerRun;
class CMultiDocTemplate;
class FtpBrowserWiring;
class PublishWiring;
class QTranslator;

class CKESTRIX_2App : public CCmdTarget {
public:
    // The family of the system the program runs on, as the parts that start
    // programs ask it.
    static constexpr int kOsFamily = 1;

    CKESTRIX_2App();
    ~CKESTRIX_2App() override;
    CKESTRIX_2App(const CKESTRIX_2App&) = delete;
    CKESTRIX_2App& operator=(const CKESTRIX_2App&) = delete;

    // Loads Qt's Japanese texts, the recent-file list, makes the document
    // template and the main frame and shows it. False ends the program.
    bool InitInstance();

    // Opens each file named on the command line (or by the desktop's "Open
    // with") in an editor window; relative names are taken from the current
    // folder and file: addresses are accepted. A file that cannot be opened
    // gets its message and the others still open. With toFront, the main
    // window then comes to the front (files handed over by a later start).
    void OpenCommandLineFiles(const std::vector<std::string>& arguments, bool toFront = false);

    int OsFamily() const { return kOsFamily; }
    CSyntaxColorizer& Colorizer() { return colorizer_; }
    CControlWnd& ControlWnd() { return controlWnd_; }
    CDebugBar& DebugBar() { return debugBar_; }
    CHtmlHelpSession& Help() { return help_; }
    CRecentFileList& RecentFiles() { return recentFiles_; }
    CMultiDocTemplate& DocTemplate() { return *docTemplate_; }
    CMainFrame* MainFrame() const { return mainFrame_.get(); }

    // The open project's folder; "" while no project is open.
    std::string GetProjectFolder() const { return project_->GetProjectFolder(); }
    // The project and the parts that re-read their settings; nullptr goes
    // back to the project tree and to readers that do nothing. Not owned.
    void SetProjectHost(ProjectHost* host);
    ProjectHost& Project() { return *project_; }
    EditorHooks& Hooks() { return hooks_; }
    void SetSettingsReaders(SettingsReader* ftpBrowser, SettingsReader* debugConsole,
                            SettingsReader* syntaxCheck);

    // The two entries of script execution, for the project tree's "debug
    // the selected file" and "run the selected file": folder is the project
    // folder, file a name in it (or, with folder empty, a full path).
    void ExecuteFile(const std::string& folder, const std::string& file);
    void RunOnWebServer(const std::string& folder, const std::string& file);
    CWebServerRun& WebServerRun() { return *webServerRun_; }

    // A file just opened or saved under a new name goes to the top of the
    // recent-file list, which is written to the hive at once.
    void AddToRecentFileList(const std::string& path);

    // プロジェクトの公開: the open project's files to the FTP server of the
    // settings, checked before and asked for over HTTP after.
    void OnPublish();

    bool OnCommand(UINT id) override;
    bool OnUpdateCommand(CCmdUI& ui) override;

private:
    void OnFileNew();
    void CreateProjectFile(const std::string& folder);
    void OnFileOpen();
    void OnOpenRecentFile(int index);
    void OnAppAbout();
    void OnSettings();
    void RecentFilesChanged();
    // Takes the bars, which this object owns, out of the frame and destroys
    // the frame.
    void DestroyFrame();

    std::unique_ptr<QTranslator> translator_;
    CSyntaxColorizer colorizer_;
    CControlWnd controlWnd_;
    CDebugBar debugBar_;
    CHtmlHelpSession help_;

    CAppHooks hooks_;
    EditorContext context_;
    CRecentFileList recentFiles_;
    CProjectBridge projectBridge_;
    SettingsReader noReader_;
    // The console and the check read the perl path again.
    CallSettingsReader consoleReader_;
    CallSettingsReader checkReader_;
    std::unique_ptr<CWebServerRun> webServerRun_;
    ProjectHost* project_ = &projectBridge_;
    SettingsReader* ftpBrowser_ = &noReader_;
    SettingsReader* debugConsole_ = &consoleReader_;
    SettingsReader* syntaxCheck_ = &checkReader_;
    // The recovery files of unsaved text; outlives the documents.
    std::unique_ptr<CRecoverySession> recovery_;
    std::unique_ptr<CMultiDocTemplate> docTemplate_;
    std::unique_ptr<CMainFrame> mainFrame_;
    // The FTP browser's project folder, name dialog, dialog layouts and
    // settings re-read.
    std::unique_ptr<FtpBrowserWiring> ftpWiring_;
    std::unique_ptr<PublishWiring> publishWiring_;
};
