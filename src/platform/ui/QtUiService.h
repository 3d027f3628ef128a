// The UI service of the running program: real Qt message boxes and dialogs,
// with Japanese texts converted from code page 932 at this edge.
#pragma once

#include "platform/ui/UiService.h"

class QtUiService : public UiService {
public:
    int MessageBox(QWidget* owner, const std::string& text, const std::string& caption, UINT flags) override;
    std::optional<std::string> FileDialog(const FileDialogRequest& request) override;
    std::optional<std::string> BrowseForFolder(QWidget* owner, const std::string& title) override;
    std::optional<COLORREF> ChooseColor(QWidget* owner, COLORREF initial) override;
    bool PageSetup(QWidget* owner, QPrinter& printer) override;
    bool PrintDialog(QWidget* owner, QPrinter& printer) override;
    void PrintPreview(QWidget* owner, QPrinter& printer,
                      const std::function<void(QPrinter*)>& paint) override;
};
