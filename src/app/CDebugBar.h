// The output bar "Debug Window": a dock along the frame's bottom with the
// syntax check and the debug console on tabs along its bottom.
#pragma once

#include <QDockWidget>
#include <QSize>

class CDebugScreen;
class CSyntaxCheck;
class QTabWidget;

class CDebugBar : public QDockWidget {
    Q_OBJECT
public:
    static constexpr int kSyntaxCheckTab = 0;
    static constexpr int kDebugScreenTab = 1;
    static constexpr int kInitialWidth = 300;
    static constexpr int kInitialHeight = 150;

    explicit CDebugBar(QWidget* parent = nullptr);

    // Shows the page at the index (0 the syntax check, 1 the debug
    // console); any other index changes nothing.
    void SelectTab(int index);

    QSize sizeHint() const override { return {kInitialWidth, kInitialHeight}; }

    QTabWidget* Tabs() const { return tabs_; }
    CSyntaxCheck* SyntaxCheck() const { return syntaxCheck_; }
    CDebugScreen* DebugScreen() const { return debugScreen_; }

private:
    QTabWidget* tabs_ = nullptr;
    CSyntaxCheck* syntaxCheck_ = nullptr;
    CDebugScreen* debugScreen_ = nullptr;
};
