#include "ScriptedUi.h"

#include "platform/text/Sjis.h"

#include <gtest/gtest.h>

std::string ScriptedUi::Box::Utf8Text() const
{
    return sjis::ToUtf8(text);
}
std::string ScriptedUi::Box::Utf8Caption() const
{
    return sjis::ToUtf8(caption);
}

ScriptedUi::ScriptedUi()
{
    UiService::Install(this);
}

ScriptedUi::~ScriptedUi()
{
    UiService::Install(nullptr);
    EXPECT_TRUE(boxAnswers_.empty()) << boxAnswers_.size() << " message box answer(s) not used";
    EXPECT_TRUE(fileAnswers_.empty()) << fileAnswers_.size() << " file dialog answer(s) not used";
    EXPECT_TRUE(folderAnswers_.empty()) << folderAnswers_.size() << " folder answer(s) not used";
    EXPECT_TRUE(colorAnswers_.empty()) << colorAnswers_.size() << " colour answer(s) not used";
    EXPECT_TRUE(printAnswers_.empty()) << printAnswers_.size() << " print answer(s) not used";
}

namespace {

// The next queued answer; without one, the test fails naming what was shown
// and the call gets `none`.
template <typename Answer> Answer Next(std::deque<Answer>& answers, Answer none, const std::string& shown)
{
    if (answers.empty()) {
        ADD_FAILURE() << "unexpected " << shown;
        return none;
    }
    Answer answer = std::move(answers.front());
    answers.pop_front();
    return answer;
}

} // namespace

int ScriptedUi::MessageBox(QWidget*, const std::string& text, const std::string& caption, UINT flags)
{
    boxes_.push_back({text, caption, flags & MB_BUTTONMASK, flags & MB_ICONMASK});
    return Next(boxAnswers_, IDCANCEL,
                "message box \"" + sjis::ToUtf8(caption) + "\": " + sjis::ToUtf8(text));
}

std::optional<std::string> ScriptedUi::FileDialog(const FileDialogRequest& request)
{
    fileDialogs_.push_back(request);
    auto answer = Next(fileAnswers_, {}, "file dialog: " + sjis::ToUtf8(request.title));
    if (answer && request.kind == FileDialogKind::Save)
        return ApplyDefaultExtension(*answer, request.defaultExtension);
    return answer;
}

std::optional<std::string> ScriptedUi::BrowseForFolder(QWidget*, const std::string& title)
{
    ++folderDialogs_;
    return Next(folderAnswers_, {}, "folder browser: " + sjis::ToUtf8(title));
}

std::optional<COLORREF> ScriptedUi::ChooseColor(QWidget*, COLORREF initial)
{
    colorDialogs_.push_back(initial);
    return Next(colorAnswers_, {}, "colour dialog");
}

bool ScriptedUi::PageSetup(QWidget*, QPrinter&)
{
    printDialogs_.push_back("setup");
    return Next(printAnswers_, false, "printer set-up dialog");
}

bool ScriptedUi::PrintDialog(QWidget*, QPrinter&)
{
    printDialogs_.push_back("print");
    return Next(printAnswers_, false, "print dialog");
}

void ScriptedUi::PrintPreview(QWidget*, QPrinter& printer, const std::function<void(QPrinter*)>& paint)
{
    printDialogs_.push_back("preview");
    paint(&printer);
}
