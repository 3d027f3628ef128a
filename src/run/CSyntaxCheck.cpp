#include "run/CSyntaxCheck.h"

#include "check/CSjisHazardChecker.h"
#include "check/CSjisHazardText.h"
#include "platform/docview/CDocument.h"
#include "platform/docview/CView.h"
#include "platform/process/CChildProcess.h"
#include "platform/registry/SettingsStore.h"
#include "platform/text/Nkf.h"
#include "platform/text/Sjis.h"
#include "platform/ui/CFaceSubstitution.h"
#include "platform/ui/UiService.h"
#include "run/CCheckMessage.h"

#include <QEventLoop>
#include <climits>
#include <fstream>
#include <iterator>

CSyntaxCheck::CSyntaxCheck(QWidget* parent) : CRichEditCtrl(parent)
{
    setFont(CFaceSubstitution::Font(QString::fromUtf8("ＭＳ　明朝"), 10));
    setLineWrapMode(QPlainTextEdit::NoWrap);
    // The interpreter may say a lot; none of it is cut.
    LimitText(LONG_MAX);
}

CSyntaxCheck::~CSyntaxCheck() = default;

bool CSyntaxCheck::LoadPerlPath()
{
    return settings::ReadPerlPath(perlPath_);
}

short CSyntaxCheck::GetLineNumber(const std::string& text)
{
    return CCheckMessage::GetLineNumber(text);
}

void CSyntaxCheck::Append(const std::string& bytes)
{
    if (bytes.empty())
        return;
    SetSel(GetTextLength(), GetTextLength());
    ReplaceSel(bytes);
}

void CSyntaxCheck::CheckSyntax(std::string runPath, std::string sourcePath)
{
    if (perlPath_.empty()) {
        MessageBox(this, sjis::FromUtf8("ActivePerl(Perl.exe)のパスが設定されていません。"),
                   sjis::FromUtf8("警告"), MB_OK | MB_ICONWARNING);
        return;
    }
    SetSel(0, -1);
    Clear();
    Append(sjis::FromUtf8(sourcePath) + "\n");
    RunSyntaxCheck(runPath);
    if (errorCode_ != 0) {
        MessageBox(this, SystemErrorText(errorCode_), "Error", MB_OK | MB_ICONERROR);
        errorCode_ = 0;
    }
}

void CSyntaxCheck::RunSyntaxCheck(const std::string& runPath)
{
    CChildProcess child;
    CCheckOutputFilter filter(runPath);
    QEventLoop loop;
    bool ended = false;
    // Both streams go into the list as they come, in the order they come.
    child.onOutput = [&](ChildStream, std::string_view bytes) { Append(filter.Add(bytes)); };
    child.onFinished = [&](const ChildExit&) {
        ended = true;
        loop.quit();
    };
    unsigned error = 0;
    if (!child.Start(ChildLaunch{perlPath_, {"-wc", runPath}, {}, ChildInput::None}, error)) {
        errorCode_ = error;
        return;
    }
    checking_ = true;
    // The check holds its caller until the interpreter ends; the event loop
    // runs meanwhile and sleeps while the interpreter is quiet.
    if (!ended)
        loop.exec();
    checking_ = false;
    Append(filter.Finish());
    AppendShiftJisHazards(runPath);
}

void CSyntaxCheck::AppendShiftJisHazards(const std::string& runPath)
{
    // perl -wc is silent about kanji whose trail byte it misreads; they are
    // listed after its messages in the same "at  line N" form, so that a
    // double-click jumps to them too. Only a Shift-JIS script has them.
    std::ifstream in(runPath, std::ios::binary);
    const std::string script{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const NkfInput code = NkfDetect(script);
    if (code != NkfInput::ShiftJis)
        return;
    std::string list;
    for (const SjisHazard& hazard : CSjisHazardChecker::Check(script))
        list += sjis::FromUtf8(CSjisHazardText::ListLine(hazard, "")) + "\n";
    Append(list);
}

void CSyntaxCheck::mouseDoubleClickEvent(QMouseEvent* event)
{
    CRichEditCtrl::mouseDoubleClickEvent(event);
    long start = 0, end = 0;
    GetSel(start, end);
    const long line = LineFromChar(start);
    const long first = LineIndex(line);
    SetSel(first, first + LineLength(first));
    const std::string text = GetSelText();
    if (text.empty())
        return;
    const short number = GetLineNumber(text);
    if (number == -1)
        return;
    JumpToLine(number);
}

void CSyntaxCheck::JumpToLine(short line)
{
    if (!openDocument)
        return;
    const std::string path = sjis::ToUtf8(GetLine(0));
    CDocument* document = openDocument(path);
    if (!document)
        return;
    for (CView* view : document->Views()) {
        if (auto* edit = dynamic_cast<CRichEditCtrl*>(view)) {
            // The interpreter counts lines from 1, the view from 0: its line
            // N - 1 becomes the first visible one. Caret and selection stay.
            edit->LineScroll(long(line) - edit->GetFirstVisibleLine() - 1);
            return;
        }
    }
}
