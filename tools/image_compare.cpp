#include "image_compare.h"

#include <cstdlib>

ImageDifference compareImages(const RgbImage& a, const RgbImage& b) {
    ImageDifference difference;
    difference.sameSize = a.width == b.width && a.height == b.height && !a.pixels.empty() &&
                          a.pixels.size() == b.pixels.size();
    if (!difference.sameSize) {
        return difference;
    }
    double total = 0.0;
    double overLimit = 0.0;
    for (std::size_t i = 0; i < a.pixels.size(); ++i) {
        const int levels = std::abs(a.pixels[i] - b.pixels[i]);
        total += levels;
        overLimit += levels > DIFFERENCE_LIMIT_LEVELS ? 1.0 : 0.0;
    }
    difference.meanLevels = total / a.pixels.size();
    difference.shareOverLimit = overLimit / a.pixels.size();
    return difference;
}

bool sameFrame(const ImageDifference& difference) {
    return difference.sameSize && difference.meanLevels < 1.0 && difference.shareOverLimit <= 0.005;
}

double iconDifferenceLevels(const std::vector<unsigned char>& a,
                            const std::vector<unsigned char>& b) {
    if (a.size() != b.size() || a.empty() || a.size() % 4 != 0) {
        return -1.0;
    }
    double total = 0.0;
    for (std::size_t pixel = 0; pixel < a.size(); pixel += 4) {
        const int alphaA = a[pixel + 3], alphaB = b[pixel + 3];
        total += std::abs(alphaA - alphaB);
        for (int channel = 0; channel < 3; ++channel) {
            total += std::abs(a[pixel + channel] * alphaA - b[pixel + channel] * alphaB) / 255.0;
        }
    }
    return total / a.size();
}
