#include "run/CDebugScreen.h"

#include "platform/process/CChildProcess.h"
#include "platform/registry/SettingsStore.h"
#include "platform/text/Sjis.h"
#include "platform/ui/CFaceSubstitution.h"
#include "platform/ui/UiService.h"
#include "run/CTempFolder.h"

#include <QKeyEvent>
#include <QTimer>
#include <climits>
#include <sstream>

CDebugScreen::CDebugScreen(QWidget* parent)
    : CRichEditCtrl(parent), child_(std::make_unique<CChildProcess>()), showTimer_(new QTimer(this))
{
    setFont(CFaceSubstitution::Font(QString::fromUtf8("ＭＳ　明朝"), 10));
    setLineWrapMode(QPlainTextEdit::NoWrap);
    // A script may print megabytes; none of it is cut.
    LimitText(LONG_MAX);
    showTimer_->setSingleShot(true);
    showTimer_->setInterval(0);
    connect(showTimer_, &QTimer::timeout, this, &CDebugScreen::ShowSlice);
    child_->onOutput = [this](ChildStream, std::string_view bytes) { Output(bytes); };
    child_->onFinished = [this](const ChildExit&) { Ended(); };
}

CDebugScreen::~CDebugScreen()
{
    StopPerl();
}

bool CDebugScreen::LoadPerlPath()
{
    return settings::ReadPerlPath(perlPath_);
}

void CDebugScreen::SetTempFolder(const std::string& path)
{
    tempFolder_ = path;
    deleteTempFolder_ = !path.empty();
}

void CDebugScreen::DeleteTempFolder()
{
    if (deleteTempFolder_)
        CTempFolder::Delete(tempFolder_);
    deleteTempFolder_ = false;
    tempFolder_.clear();
}

bool CDebugScreen::RunPerl(const std::string& path, std::string options)
{
    if (perlPath_.empty()) {
        MessageBox(this, sjis::FromUtf8("ActivePerl(Perl.exe)のパスが設定されていません"),
                   sjis::FromUtf8("警告"), MB_OK | MB_ICONWARNING);
        DeleteTempFolder();
        return false;
    }
    SetSel(0, -1);
    Clear();
    inputStart_ = 0;
    if (options.empty())
        options = " -d ";
    // The options are the program's own, blank-separated; each becomes an
    // argument of its own, and the script's path one more.
    std::vector<std::string> arguments;
    std::istringstream words(options);
    for (std::string word; words >> word;)
        arguments.push_back(word);
    arguments.push_back(path);

    text_ = CConsoleText();
    unshown_.clear();
    unshownStart_ = 0;
    childEnded_ = false;
    unsigned error = 0;
    if (!child_->Start(ChildLaunch{perlPath_, arguments, {}, ChildInput::Pipe}, error)) {
        MessageBox(this, SystemErrorText(error), "Error", MB_OK | MB_ICONERROR);
        DeleteTempFolder();
        return false;
    }
    running_ = true;
    return true;
}

void CDebugScreen::Output(std::string_view bytes)
{
    unshown_ += text_.Add(bytes);
    if (!showTimer_->isActive())
        showTimer_->start();
}

void CDebugScreen::ShowSlice()
{
    const std::size_t left = unshown_.size() - unshownStart_;
    if (left > 0) {
        std::size_t length = std::min(left, kSliceBytes);
        if (length < left) {
            // End the slice after a line break where there is one, and never
            // between the two bytes of a character.
            const std::string_view slice = std::string_view(unshown_).substr(unshownStart_, length);
            if (const std::size_t lastBreak = slice.rfind('\n'); lastBreak != std::string_view::npos)
                length = lastBreak + 1;
            else {
                std::size_t cut = 0;
                while (cut < length)
                    cut += sjis::CharLength(unshown_, unshownStart_ + cut);
                length = std::min(cut, left);
            }
        }
        const long end = GetTextLength();
        SetSel(end, end);
        ReplaceSel(std::string_view(unshown_).substr(unshownStart_, length));
        long start = 0;
        GetSel(start, inputStart_);
        ensureCursorVisible();
        unshownStart_ += length;
        // What has been shown leaves the buffer now and then, not at every
        // slice, so streaming stays linear.
        if (unshownStart_ == unshown_.size() || unshownStart_ > (1u << 20)) {
            unshown_.erase(0, unshownStart_);
            unshownStart_ = 0;
        }
    }
    if (unshownStart_ < unshown_.size()) {
        showTimer_->start();
        return;
    }
    if (childEnded_ && running_) {
        // Everything the script wrote is shown: the run is over.
        const long end = GetTextLength();
        SetSel(end, end);
        ReplaceSel("end debug");
        long start = 0;
        GetSel(start, inputStart_);
        running_ = false;
        DeleteTempFolder();
    }
}

void CDebugScreen::Ended()
{
    unshown_ += text_.Finish();
    childEnded_ = true;
    if (!showTimer_->isActive())
        showTimer_->start();
}

void CDebugScreen::StopPerl()
{
    if (running_) {
        running_ = false;
        showTimer_->stop();
        child_->Terminate();
        unshown_.clear();
        unshownStart_ = 0;
    }
    DeleteTempFolder();
}

void CDebugScreen::keyPressEvent(QKeyEvent* event)
{
    // The key does its work first, so the Enter shows in the console too.
    CRichEditCtrl::keyPressEvent(event);
    if (running_ && !childEnded_ && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter))
        SendInputLine();
}

void CDebugScreen::SendInputLine()
{
    // The typed line is what follows the last output on its line. It is
    // sent once: the input start then moves past it, to the next line.
    const long line = LineFromChar(inputStart_);
    const long lineStart = LineIndex(line);
    if (lineStart < 0)
        return;
    const std::string text = GetLine(line);
    const std::size_t offset = std::size_t(std::max(0L, inputStart_ - lineStart));
    const std::string typed = offset < text.size() ? text.substr(offset) : std::string();
    child_->Write(typed + "\n");
    const long next = LineIndex(line + 1);
    inputStart_ = next >= 0 ? next : GetTextLength();
}
