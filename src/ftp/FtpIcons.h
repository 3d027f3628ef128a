// The FTP browser's seven icons, drawn here at 25 x 25 pixels in the order
// of the image list: server, offline, folder, text, HTML, image, sound.
#pragma once

#include <QIcon>
#include <QPixmap>

namespace ftpicons {

inline constexpr int kSize = 25;
inline constexpr int kCount = 7;

QPixmap Draw(int index);
QIcon Icon(int index);

} // namespace ftpicons
