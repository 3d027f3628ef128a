// The kinds of the FTP browser's items, which are also their icons' places
// in the image list, and the kind of a file by its extension.
//
//   "photo.jpg" -> 5 (image)   "photo.JPG" -> 3 (extensions match exactly)
#pragma once

#include <string_view>

namespace ftpkind {

inline constexpr int kPlaceholder = 0; // the "1" child of an unlisted folder (item data)
inline constexpr int kServer = 0;      // icon: the root while connected
inline constexpr int kOffline = 1;     // icon: the root while disconnected
inline constexpr int kDirectory = 2;
inline constexpr int kText = 3;
inline constexpr int kHtml = 4;
inline constexpr int kImage = 5;
inline constexpr int kSound = 6;

// The text after the last "." compared exactly: jpg bmp gif png are images,
// wav mdi mp3 sounds, shtml htm html pages, anything else text.
int GetFileKind(std::string_view name);

} // namespace ftpkind
