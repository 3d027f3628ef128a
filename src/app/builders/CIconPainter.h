// The program's own pictures, painted at run time: the toolbar buttons
// (16 x 15), the tab icons of the workspace bar (16 x 16) and the bitmap of
// the version dialog (200 x 80), and the window icons.
#pragma once

#include "platform/base/WinTypes.h"

#include <QPixmap>

class CIconPainter {
public:
    static constexpr int kButtonWidth = 16;
    static constexpr int kButtonHeight = 15;
    static constexpr int kTabIconSize = 16;
    static constexpr int kAboutWidth = 200;
    static constexpr int kAboutHeight = 80;

    // The button picture of a toolbar command; a null pixmap for an id the
    // toolbar does not have.
    static QPixmap ToolBarButton(UINT id);
    // The workspace bar's tab icons: 0 the project tree, 1 the FTP browser.
    static QPixmap TabIcon(int index);
    // The version dialog's picture: an emblem and the program's name.
    static QPixmap AboutBitmap();
    // The program's window icon (the emblem), drawn at size x size (the
    // desktop's icon theme takes it at several sizes), and a document
    // window's icon (a sheet of script), 32 x 32.
    static QPixmap ProgramIcon(int size = 32);
    static QPixmap DocumentIcon();
};
