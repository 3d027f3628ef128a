// Every message box and common dialog of the program goes through one
// replaceable service: the program installs the Qt one, tests install a
// scripted one that records each box and plays back queued answers, so every
// user flow runs headless with its messages checked.
#pragma once

#include "platform/base/WinTypes.h"

#include <functional>
#include <optional>
#include <string>

class QPrinter;
class QWidget;

// Message box buttons and icons, with the values the design uses.
inline constexpr UINT MB_OK = 0x0;
inline constexpr UINT MB_OKCANCEL = 0x1;
inline constexpr UINT MB_YESNOCANCEL = 0x3;
inline constexpr UINT MB_YESNO = 0x4;
inline constexpr UINT MB_ICONHAND = 0x10;
inline constexpr UINT MB_ICONERROR = MB_ICONHAND;
inline constexpr UINT MB_ICONQUESTION = 0x20;
inline constexpr UINT MB_ICONEXCLAMATION = 0x30;
inline constexpr UINT MB_ICONWARNING = MB_ICONEXCLAMATION;
inline constexpr UINT MB_ICONASTERISK = 0x40;
inline constexpr UINT MB_ICONINFORMATION = MB_ICONASTERISK;
inline constexpr UINT MB_BUTTONMASK = 0xF;
inline constexpr UINT MB_ICONMASK = 0xF0;

inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

// Open and save dialog flags the program passes.
inline constexpr DWORD OFN_OVERWRITEPROMPT = 0x2;
inline constexpr DWORD OFN_HIDEREADONLY = 0x4;
inline constexpr DWORD OFN_NOCHANGEDIR = 0x8;

enum class FileDialogKind { Open, Save };

// One open or save dialog as the caller describes it. The filter is written
// "name|patterns|name|patterns||" with patterns separated by ";". Texts are
// code page 932; the chosen path comes back as a local path.
struct FileDialogRequest {
    FileDialogKind kind = FileDialogKind::Open;
    QWidget* owner = nullptr;
    std::string title;
    std::string filter;
    std::string defaultExtension; // with or without the leading "."
    std::string initialName;
    // The folder the dialog starts in, as the file system spells it; empty:
    // wherever the dialog likes.
    std::string initialFolder;
    DWORD flags = 0;
};

class UiService {
public:
    virtual ~UiService() = default;

    // Shows a box and returns IDOK, IDYES, IDNO or IDCANCEL.
    virtual int MessageBox(QWidget* owner, const std::string& text, const std::string& caption,
                           UINT flags) = 0;
    // The chosen path, or nothing when the user cancelled.
    virtual std::optional<std::string> FileDialog(const FileDialogRequest& request) = 0;
    virtual std::optional<std::string> BrowseForFolder(QWidget* owner, const std::string& title) = 0;
    virtual std::optional<COLORREF> ChooseColor(QWidget* owner, COLORREF initial) = 0;
    // The printer set-up (page) dialog on the program's printer; false when
    // the user cancelled.
    virtual bool PageSetup(QWidget* owner, QPrinter& printer) = 0;
    // The print dialog; false when the user cancelled.
    virtual bool PrintDialog(QWidget* owner, QPrinter& printer) = 0;
    // The print preview, which draws its pages with paint.
    virtual void PrintPreview(QWidget* owner, QPrinter& printer,
                              const std::function<void(QPrinter*)>& paint) = 0;

    // The service in use; the Qt one unless another was installed.
    static UiService& Current();
    // Installs a service (not owned); nullptr goes back to the Qt one.
    static void Install(UiService* service);
};

// The program's message box: text and caption are code page 932.
int MessageBox(QWidget* owner, const std::string& text, const std::string& caption, UINT flags);

// Splits a "name|patterns|...||" filter into Qt's "name (p1 p2);;..." form.
std::string QtFilterFromWindowsFilter(const std::string& filter);

// The program's printer: the one printer set-up chooses and printing uses.
QPrinter& ProgramPrinter();

// Adds the default extension to a chosen save path that has none.
std::string ApplyDefaultExtension(const std::string& path, const std::string& extension);
