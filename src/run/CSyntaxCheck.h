// The syntax check in the debug bar's "SyntaxCheck" tab: runs the Perl
// interpreter with warnings on in its compile-only mode ("-wc") over one
// script, lists everything it prints with the run path taken out, and on a
// double-click opens the script with the line the message names at the top
// of its view.
//
// The list's first line is the script's own path (the source path); the
// lines after it are the interpreter's output. The check runs to its end
// before CheckSyntax returns, with the event loop running meanwhile, so the
// windows stay responsive; a second check asked for meanwhile is refused by
// the caller (IsChecking).
#pragma once

#include "platform/richedit/CRichEditCtrl.h"

#include <functional>
#include <string>

class CDocument;
class CChildProcess;

class CSyntaxCheck : public CRichEditCtrl {
    Q_OBJECT
public:
    explicit CSyntaxCheck(QWidget* parent = nullptr);
    ~CSyntaxCheck() override;

    // Opens a document by its path the way the application's open command
    // does (activating one that is open already); nullptr when it cannot.
    // The application sets it.
    std::function<CDocument*(const std::string& path)> openDocument;

    // Checks the script at the run path and lists the source path first.
    // Paths are local paths.
    void CheckSyntax(std::string runPath, std::string sourcePath);
    // Starts the interpreter over the run path and lists its output until
    // it ends.
    void RunSyntaxCheck(const std::string& runPath);
    bool IsChecking() const { return checking_; }

    // The line number a listed message names, or -1.
    static short GetLineNumber(const std::string& text);

    // Reads "PERL_APP"; false, with the path empty, when the settings key
    // is missing. The owner calls it once the control is made, and again
    // when the settings change.
    bool LoadPerlPath();
    const std::string& PerlPath() const { return perlPath_; }

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void Append(const std::string& bytes);
    // Lists the Shift-JIS hazards of the checked script after perl's output.
    void AppendShiftJisHazards(const std::string& runPath);
    // Opens the script of the list's first line and brings the message's
    // line to the top of its view.
    void JumpToLine(short line);

    unsigned errorCode_ = 0;
    std::string perlPath_;
    bool checking_ = false;
};
