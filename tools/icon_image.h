// plume's icon: its feather across its sky, on a square with rounded corners.
#pragma once

#include <vector>

// The sizes the icon is drawn at, in pixels a side: those that desktops and Windows ask for.
constexpr int ICON_SIZES_PIXELS[] = {16, 32, 48, 64, 128, 256};

// R,G,B,A bytes, top row first, `sizePixels` squared, in straight (not premultiplied) alpha.
std::vector<unsigned char> makeIcon(int sizePixels);
