// The application object: it owns the colouring engine and the main frame
// for the whole run and starts the program.
#pragma once

#include "editor/CSyntaxColorizer.h"

#include <memory>

class CMainFrame;
class QTranslator;

class CKESTRIX_2App {
public:
    CKESTRIX_2App();
    ~CKESTRIX_2App();
    CKESTRIX_2App(const CKESTRIX_2App&) = delete;
    CKESTRIX_2App& operator=(const CKESTRIX_2App&) = delete;

    // Loads Qt's Japanese texts, creates the main frame and shows it. False
    // ends the program.
    bool InitInstance();

    CSyntaxColorizer& Colorizer() { return colorizer_; }
    CMainFrame* MainFrame() const { return mainFrame_.get(); }

private:
    CSyntaxColorizer colorizer_;
    std::unique_ptr<QTranslator> translator_;
    std::unique_ptr<CMainFrame> mainFrame_;
};
