// The program's main window. Its creation loads the command data; a frame
// whose creation fails ends the program.
#pragma once

#include <QMainWindow>

class CSyntaxColorizer;

class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    explicit CMainFrame(CSyntaxColorizer& colorizer);

    // Builds the frame and loads the command data. False, after telling the
    // user, when the command data cannot be loaded.
    bool Create();

private:
    CSyntaxColorizer& colorizer_;
};
