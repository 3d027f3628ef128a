// A run of the program that only takes a picture of its window, for the
// documentation: with KESTRIX_SCREENSHOT naming a PNG file, the program
// opens the file KESTRIX_OPEN names (if any), shows both bars, saves a
// picture of the main window 1.5 seconds later and ends. KESTRIX_SHOW picks
// another window for the picture: "help:KEYWORD" the help window after F1 on
// the keyword, "settings" the settings dialog.
#pragma once

class CKESTRIX_2App;

class CScreenshotRun {
public:
    static constexpr int kDelayMilliseconds = 1500;

    // True when KESTRIX_SCREENSHOT is set.
    static bool Requested();
    // Opens the file and schedules the picture and the end of the program
    // (exit code 0 once the PNG is written, 1 when it cannot be).
    static void Start(CKESTRIX_2App& app);
};
