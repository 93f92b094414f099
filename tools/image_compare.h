// Whether two pictures show the same frame, as far as renderers can agree: two builds of the
// scene, or two versions of Mesa, may round a few pixels differently, and nothing more.
#pragma once

#include "png_image.h"

struct ImageDifference {
    bool sameSize = false;
    double meanLevels = 0.0;     // the mean absolute difference of the channel values
    double shareOverLimit = 0.0; // the share of channel values more than the limit apart
};

// Channel values further apart than this count against the share.
constexpr int DIFFERENCE_LIMIT_LEVELS = 12;

ImageDifference compareImages(const RgbImage& a, const RgbImage& b);

// The same size, a mean difference under one level, and at most 0.5% of the channel values
// more than the limit apart.
bool sameFrame(const ImageDifference& difference);

// How far apart two R,G,B,A icons of the same size look: the mean absolute difference, in levels,
// of their alpha and of their colour weighted by it (what shows over any background); negative
// for images of different sizes.
double iconDifferenceLevels(const std::vector<unsigned char>& a,
                            const std::vector<unsigned char>& b);

// Two icons within this mean difference are the same icon, as a window system may round it.
constexpr double SAME_ICON_LEVELS = 3.0;
