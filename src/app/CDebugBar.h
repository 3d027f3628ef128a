// The output bar "Debug Window": a dock along the frame's bottom with the
// syntax check and the debug console on its tabs.
#pragma once

#include "app/CTabbedBar.h"

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

private:
    CSyntaxCheck* syntaxCheck_;
    CDebugScreen* debugScreen_;
};
