// The debug console in the debug bar's "DebugScreen" tab: a script run
// under perl's debugger ("-d"). The script's standard output and standard
// error appear in the console as they come; a line the user types after
// the last output is sent to the script's standard input when Enter is
// pressed, once, ending in "\n". When the script ends, everything it wrote
// is shown, then "end debug", and the run's temporary folder is deleted.
//
// Output is shown in slices while the event loop is idle, so a script that
// prints megabytes never holds the window for long.
#pragma once

#include "platform/richedit/CRichEditCtrl.h"
#include "run/CConsoleText.h"

#include <memory>
#include <string>

class CChildProcess;
class QTimer;
struct ChildExit;

class CDebugScreen : public CRichEditCtrl {
    Q_OBJECT
public:
    // The most bytes shown in one step while output streams in.
    static constexpr std::size_t kSliceBytes = 32 * 1024;

    explicit CDebugScreen(QWidget* parent = nullptr);
    // Stops an active run (and deletes its temporary folder).
    ~CDebugScreen() override;

    // Starts a run of the script at path; options empty means "-d". False,
    // with a message, when the perl path is empty or perl cannot be
    // started; the run's temporary folder is then deleted.
    bool RunPerl(const std::string& path, std::string options = {});
    // The temporary folder of the coming run, deleted when the run ends.
    void SetTempFolder(const std::string& path);
    const std::string& TempFolder() const { return tempFolder_; }
    // Ends an active run and deletes a pending temporary folder.
    void StopPerl();
    // Reads "PERL_APP" (see CSyntaxCheck::LoadPerlPath).
    bool LoadPerlPath();
    const std::string& PerlPath() const { return perlPath_; }

    // From the start of a run until everything it wrote is shown.
    bool IsRunning() const { return running_; }
    // The position after the last output: the typed line starts there.
    long InputStart() const { return inputStart_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Output(std::string_view bytes);
    void ShowSlice();
    void Ended();
    void SendInputLine();
    void DeleteTempFolder();

    long inputStart_ = 0;
    bool running_ = false;
    bool childEnded_ = false;
    bool deleteTempFolder_ = false;
    std::string perlPath_;
    std::string tempFolder_;
    std::unique_ptr<CChildProcess> child_;
    CConsoleText text_;
    std::string unshown_;
    std::size_t unshownStart_ = 0;
    QTimer* showTimer_;
};
