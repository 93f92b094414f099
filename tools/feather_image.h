// The feather's image: a white quill and vanes on a clear ground, its alpha shaping the strip.
#pragma once

#include <vector>

constexpr int FEATHER_WIDTH_TEXELS = 64;
constexpr int FEATHER_HEIGHT_TEXELS = 256;

// R,G,B,A bytes, row 0 first: the quill at row 0, the tip at the last row.
std::vector<unsigned char> makeFeather();
