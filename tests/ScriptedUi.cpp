#include "ScriptedUi.h"

#include "platform/Sjis.h"

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

int ScriptedUi::MessageBox(QWidget*, const std::string& text, const std::string& caption, UINT flags)
{
    boxes_.push_back({text, caption, flags & MB_BUTTONMASK, flags & MB_ICONMASK});
    if (boxAnswers_.empty()) {
        ADD_FAILURE() << "unexpected message box \"" << sjis::ToUtf8(caption) << "\": " << sjis::ToUtf8(text);
        return IDCANCEL;
    }
    int answer = boxAnswers_.front();
    boxAnswers_.pop_front();
    return answer;
}

std::optional<std::string> ScriptedUi::FileDialog(const FileDialogRequest& request)
{
    fileDialogs_.push_back(request);
    if (fileAnswers_.empty()) {
        ADD_FAILURE() << "unexpected file dialog: " << sjis::ToUtf8(request.title);
        return std::nullopt;
    }
    auto answer = fileAnswers_.front();
    fileAnswers_.pop_front();
    if (answer && request.kind == FileDialogKind::Save)
        return ApplyDefaultExtension(*answer, request.defaultExtension);
    return answer;
}

std::optional<std::string> ScriptedUi::BrowseForFolder(QWidget*, const std::string& title)
{
    ++folderDialogs_;
    if (folderAnswers_.empty()) {
        ADD_FAILURE() << "unexpected folder browser: " << sjis::ToUtf8(title);
        return std::nullopt;
    }
    auto answer = folderAnswers_.front();
    folderAnswers_.pop_front();
    return answer;
}

std::optional<COLORREF> ScriptedUi::ChooseColor(QWidget*, COLORREF initial)
{
    colorDialogs_.push_back(initial);
    if (colorAnswers_.empty()) {
        ADD_FAILURE() << "unexpected colour dialog";
        return std::nullopt;
    }
    auto answer = colorAnswers_.front();
    colorAnswers_.pop_front();
    return answer;
}

bool ScriptedUi::PageSetup(QWidget*, QPrinter&)
{
    printDialogs_.push_back("setup");
    if (printAnswers_.empty()) {
        ADD_FAILURE() << "unexpected printer set-up dialog";
        return false;
    }
    bool ok = printAnswers_.front();
    printAnswers_.pop_front();
    return ok;
}

bool ScriptedUi::PrintDialog(QWidget*, QPrinter&)
{
    printDialogs_.push_back("print");
    if (printAnswers_.empty()) {
        ADD_FAILURE() << "unexpected print dialog";
        return false;
    }
    bool ok = printAnswers_.front();
    printAnswers_.pop_front();
    return ok;
}

void ScriptedUi::PrintPreview(QWidget*, QPrinter& printer, const std::function<void(QPrinter*)>& paint)
{
    printDialogs_.push_back("preview");
    paint(&printer);
}
