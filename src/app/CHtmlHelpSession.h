// The program's help: the help collection "KESTRIX_HELP.qhc" (the manual and
// perl's documentation of its built-ins), found where keydata.dat is found,
// and its one help window. F1 in the editor looks a keyword up in the
// collection's index; 操作説明 opens the manual.
#pragma once

#include <memory>
#include <string>

class CHelpWindow;
class HelpCollection;
class QTranslator;
class QWidget;

class CHtmlHelpSession {
public:
    static constexpr const char* kHelpFile = "KESTRIX_HELP.qhc";

    CHtmlHelpSession();
    ~CHtmlHelpSession();
    CHtmlHelpSession(const CHtmlHelpSession&) = delete;
    CHtmlHelpSession& operator=(const CHtmlHelpSession&) = delete;

    // The window the help's message boxes belong to.
    void SetOwner(QWidget* owner) { owner_ = owner; }
    QWidget* Owner() const { return owner_; }
    // The collection: a name looked for the way keydata.dat is, or a path.
    void SetHelpFile(const std::string& file);

    // The manual's first page (the help menu's 操作説明).
    void DisplayToc();
    // Looks a keyword (code page 932) up in the index and shows its page;
    // returns the help window, or nullptr when the keyword is not in the
    // index (the user is told, and the index is shown with the keyword
    // typed in) or the collection cannot be read (a box says why).
    QWidget* KeywordLookup(const std::string& keyword);

    // The help window; nullptr until the help has been opened.
    CHelpWindow* Window() const { return window_.get(); }

private:
    // Opens the collection and makes the window the first time; a box
    // captioned "Error" tells why when it cannot be read.
    bool Ready();

    QWidget* owner_ = nullptr;
    std::string helpFile_ = kHelpFile;
    std::unique_ptr<HelpCollection> collection_;
    std::unique_ptr<CHelpWindow> window_;
    std::unique_ptr<QTranslator> translator_;
};
