// The project tree's five pictures, 25 x 25, painted at run time in the
// order of the tree's images: the project, a group folder, a script, an
// HTML page and a sub.
#pragma once

#include <QPixmap>

class CProjectIcons {
public:
    static constexpr int kSize = 25;
    static constexpr int kCount = 5;
    // The picture of an image index; a null pixmap for any other index.
    static QPixmap Icon(int image);
};
