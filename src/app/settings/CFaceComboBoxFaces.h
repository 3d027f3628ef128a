// The faces the settings dialog offers for the editor: one entry per
// installed font family, and the Windows Japanese faces the program's
// settings name (its default "ＭＳ　明朝" among them), each drawn by an
// installed Japanese family, so settings written on either system open with
// their face selected.
#pragma once

#include "platform/base/WinTypes.h"

#include <QString>
#include <string>
#include <vector>

class CFaceComboBoxFaces {
public:
    // What an entry of the face box carries.
    struct CFontItem {
        std::string face; // code page 932, the name the settings store
        QString family;   // the installed family that draws the face
        QString script;   // "Japanese" or "Western"
        BYTE charSet = 1; // 128 Shift-JIS, 1 default
        BYTE pitchAndFamily = 0;
        int fontType = 0; // kScalableFont or kBitmapFont
    };

    // An installed family as the font database describes it.
    struct Family {
        QString name;
        bool japanese = false;
        bool scalable = true;
        bool fixedPitch = false;
    };

    static constexpr BYTE kShiftJisCharSet = 128;
    static constexpr BYTE kDefaultCharSet = 1;
    static constexpr int kScalableFont = 0x300;
    static constexpr int kBitmapFont = 0x100;

    static std::vector<Family> InstalledFamilies();

    // The entries for the families, sorted, one per face. Vertical ("@")
    // faces are left out, and so are names the settings cannot store as they
    // are (characters outside code page 932, or longer than a stored face).
    // With a Japanese family installed the well-known Windows Japanese faces
    // are added, mapped to it.
    static std::vector<CFontItem> Build(const std::vector<Family>& families);
    // The entries for the installed families. The font database stays as it
    // was when the program started, so they are built once for the run.
    static const std::vector<CFontItem>& Installed();

    // The order of the face list: without regard to case, then by case.
    static bool SortsBefore(const QString& a, const QString& b);
};
