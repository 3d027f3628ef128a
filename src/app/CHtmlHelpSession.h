// The program's help: the manual "KESTRIX_HELP.chm" shown for its owner
// window. The manual's viewer is not part of the program yet, so opening it
// tells the user so.
#pragma once

class QWidget;

class CHtmlHelpSession {
public:
    static constexpr const char* kHelpFile = "KESTRIX_HELP.chm";

    void SetOwner(QWidget* owner) { owner_ = owner; }
    QWidget* Owner() const { return owner_; }

    // The manual's table of contents (the help menu's 操作説明). For now a
    // notice that the manual is not installed yet.
    void DisplayToc();

private:
    QWidget* owner_ = nullptr;
};
