// plume's icon: its feather across its sky, on a square with rounded corners.
#pragma once

#include <vector>

// The sizes the icon is drawn at, in pixels a side: those that desktops and Windows ask for.
constexpr int ICON_SIZES_PIXELS[] = {16, 32, 48, 64, 128, 256};
// The sizes also written as 32-bit Targa files, which the program carries as its X11 window's
// icon (src/app/window_icons.cmake says why these).
constexpr int WINDOW_ICON_SIZES_PIXELS[] = {16, 32, 64, 128};

// R,G,B,A bytes, top row first, `sizePixels` squared, in straight (not premultiplied) alpha.
std::vector<unsigned char> makeIcon(int sizePixels);
