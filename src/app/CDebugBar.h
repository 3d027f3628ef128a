// The output bar "Debug Window": a dock along the frame's bottom with the
// syntax check and the debug console on its tabs, and the entry through
// which a script is checked and debugged.
#pragma once

#include "app/CTabbedBar.h"

#include <string>

class CDebugScreen;
class CSyntaxCheck;

class CDebugBar : public CTabbedBar {
    Q_OBJECT
public:
    static constexpr int kSyntaxCheckTab = 0;
    static constexpr int kDebugScreenTab = 1;
    static constexpr int kInitialWidth = 300;
    static constexpr int kInitialHeight = 150;

    explicit CDebugBar(QWidget* parent = nullptr);

    QSize sizeHint() const override { return {kInitialWidth, kInitialHeight}; }

    CSyntaxCheck* SyntaxCheck() const { return syntaxCheck_; }
    CDebugScreen* DebugScreen() const { return debugScreen_; }

    // Offers a syntax check and then a debug run of a script: folder is the
    // project folder (file a name in it) or empty (file a full path). A
    // path with a blank runs from a temporary copy. Refused while a check
    // or a run is going on.
    void ExecuteFile(std::string folder, std::string file);

private:
    CSyntaxCheck* syntaxCheck_;
    CDebugScreen* debugScreen_;
    bool executing_ = false;
};
