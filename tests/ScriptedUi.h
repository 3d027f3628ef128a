// The UI service of the tests: every message box and dialog is recorded, and
// answered from queues the test fills beforehand. A box or dialog nobody
// queued an answer for fails the test with its text.
#pragma once

#include "platform/ui/UiService.h"

#include <deque>
#include <string>
#include <vector>

class ScriptedUi : public UiService {
public:
    struct Box {
        std::string text;    // code page 932, as the program passed it
        std::string caption; // code page 932
        UINT buttons = 0;
        UINT icon = 0;
        std::string Utf8Text() const;
        std::string Utf8Caption() const;
    };

    // Installs itself for its lifetime and checks on destruction that every
    // queued answer was used.
    ScriptedUi();
    ~ScriptedUi() override;

    void AnswerBox(int answer) { boxAnswers_.push_back(answer); }
    void AnswerFile(std::optional<std::string> path) { fileAnswers_.push_back(std::move(path)); }
    void AnswerFolder(std::optional<std::string> path) { folderAnswers_.push_back(std::move(path)); }
    void AnswerColor(std::optional<COLORREF> color) { colorAnswers_.push_back(color); }
    // Answers a page set-up or print dialog: true is OK.
    void AnswerPrint(bool ok) { printAnswers_.push_back(ok); }

    const std::vector<Box>& Boxes() const { return boxes_; }
    const std::vector<FileDialogRequest>& FileDialogs() const { return fileDialogs_; }
    std::size_t FolderDialogCount() const { return folderDialogs_; }
    std::vector<COLORREF> ColorDialogs() const { return colorDialogs_; }
    // "setup", "print" and "preview", in the order they were shown.
    const std::vector<std::string>& PrintDialogs() const { return printDialogs_; }

    int MessageBox(QWidget* owner, const std::string& text, const std::string& caption, UINT flags) override;
    std::optional<std::string> FileDialog(const FileDialogRequest& request) override;
    std::optional<std::string> BrowseForFolder(QWidget* owner, const std::string& title) override;
    std::optional<COLORREF> ChooseColor(QWidget* owner, COLORREF initial) override;
    bool PageSetup(QWidget* owner, QPrinter& printer) override;
    bool PrintDialog(QWidget* owner, QPrinter& printer) override;
    // Draws the pages into the printer as a preview would.
    void PrintPreview(QWidget* owner, QPrinter& printer,
                      const std::function<void(QPrinter*)>& paint) override;

private:
    std::deque<int> boxAnswers_;
    std::deque<std::optional<std::string>> fileAnswers_;
    std::deque<std::optional<std::string>> folderAnswers_;
    std::deque<std::optional<COLORREF>> colorAnswers_;
    std::deque<bool> printAnswers_;
    std::vector<std::string> printDialogs_;
    std::vector<Box> boxes_;
    std::vector<FileDialogRequest> fileDialogs_;
    std::size_t folderDialogs_ = 0;
    std::vector<COLORREF> colorDialogs_;
};
