#include "icon_image.h"

#include "feather_image.h"
#include "image_maths.h"
#include "sky_image.h"

#include <algorithm>
#include <cmath>

namespace {

// The icon, in units of its side, y down: a rounded square a little inside its edges.
constexpr double ICON_MARGIN = 1.0 / 32.0;
constexpr double CORNER_RADIUS = 0.19;
// The view of the sky behind the feather: the sun up and to the left, clear of the feather.
constexpr double DEGREES_TO_RADIANS = QUARTER_TURN_RADIANS / 90.0;
constexpr double FIELD_RADIANS = 44.0 * DEGREES_TO_RADIANS; // across and down the icon
constexpr double SUN_ACROSS = 0.24;                         // where the sun is, across ...
constexpr double SUN_DOWN = 0.34;                           // ... and down the icon
// The feather lies from the lower left (its quill) to the upper right (its tip), centred.
constexpr double FEATHER_LENGTH = 1.18;
constexpr double FEATHER_WIDTH = FEATHER_LENGTH * FEATHER_WIDTH_TEXELS / FEATHER_HEIGHT_TEXELS;
// A soft shadow below and to the right sets the white feather off the pale sky; the feather is
// drawn more opaque than in the scene so that it reads at 16 pixels.
constexpr double SHADOW_OFFSET = 0.022;
constexpr double SHADOW_DARKNESS = 0.30;
constexpr double FEATHER_OPACITY_GAIN = 1.5;
constexpr double HALF_SQRT2 = 0.70710678118654752;
constexpr int ICON_SUBSAMPLES = 4; // per side of a pixel, for soft edges

struct Rgba {
    double r, g, b, a; // premultiplied
};

// Whether the point lies on the rounded square.
bool insideRoundedSquare(double x, double y) {
    const double low = ICON_MARGIN + CORNER_RADIUS;
    const double high = 1.0 - ICON_MARGIN - CORNER_RADIUS;
    const double dx = std::max({low - x, x - high, 0.0});
    const double dy = std::max({low - y, y - high, 0.0});
    return x >= ICON_MARGIN && x <= 1.0 - ICON_MARGIN && y >= ICON_MARGIN &&
           y <= 1.0 - ICON_MARGIN && dx * dx + dy * dy <= CORNER_RADIUS * CORNER_RADIUS;
}

Colour skyBehind(double x, double y, const SkyDirection& sun) {
    const double sunPitch = std::asin(sun.y);
    const double sunYaw = std::atan2(sun.x, -sun.z);
    const double pitch = sunPitch + (SUN_DOWN - y) * FIELD_RADIANS;
    const double yaw = sunYaw + (x - SUN_ACROSS) * FIELD_RADIANS;
    return cloudlessSkyColour(
        {std::cos(pitch) * std::sin(yaw), std::sin(pitch), -std::cos(pitch) * std::cos(yaw)});
}

// The feather's texel, premultiplied; clear outside the image.
Rgba featherTexel(const std::vector<unsigned char>& feather, int column, int row) {
    if (column < 0 || row < 0 || column >= FEATHER_WIDTH_TEXELS || row >= FEATHER_HEIGHT_TEXELS) {
        return {0.0, 0.0, 0.0, 0.0};
    }
    const unsigned char* t =
        &feather[(static_cast<std::size_t>(row) * FEATHER_WIDTH_TEXELS + column) * 4];
    const double a = t[3] / 255.0;
    return {t[0] / 255.0 * a, t[1] / 255.0 * a, t[2] / 255.0 * a, a};
}

// The feather at a point of the icon, bilinearly filtered.
Rgba featherAt(const std::vector<unsigned char>& feather, double x, double y) {
    const double along = ((x - 0.5) - (y - 0.5)) * HALF_SQRT2 / FEATHER_LENGTH;
    const double across = ((x - 0.5) + (y - 0.5)) * HALF_SQRT2 / FEATHER_WIDTH;
    // Row 0 is the quill, at the lower left.
    const double row = (0.5 + along) * FEATHER_HEIGHT_TEXELS - 0.5;
    const double column = (0.5 + across) * FEATHER_WIDTH_TEXELS - 0.5;
    const int row0 = static_cast<int>(std::floor(row));
    const int column0 = static_cast<int>(std::floor(column));
    const double fr = row - row0;
    const double fc = column - column0;
    Rgba sum = {0.0, 0.0, 0.0, 0.0};
    const double weights[4] = {(1 - fc) * (1 - fr), fc * (1 - fr), (1 - fc) * fr, fc * fr};
    for (int i = 0; i < 4; ++i) {
        const Rgba t = featherTexel(feather, column0 + i % 2, row0 + i / 2);
        sum = {sum.r + weights[i] * t.r, sum.g + weights[i] * t.g, sum.b + weights[i] * t.b,
               sum.a + weights[i] * t.a};
    }
    return sum;
}

} // namespace

std::vector<unsigned char> makeIcon(int sizePixels) {
    const std::vector<unsigned char> feather = makeFeather();
    const SkyDirection sun = skySunDirection();
    std::vector<unsigned char> pixels(static_cast<std::size_t>(sizePixels) * sizePixels * 4);
    unsigned char* out = pixels.data();
    for (int row = 0; row < sizePixels; ++row) {
        for (int column = 0; column < sizePixels; ++column) {
            Rgba sum = {0.0, 0.0, 0.0, 0.0};
            for (int j = 0; j < ICON_SUBSAMPLES; ++j) {
                for (int i = 0; i < ICON_SUBSAMPLES; ++i) {
                    const double x = (column + (i + 0.5) / ICON_SUBSAMPLES) / sizePixels;
                    const double y = (row + (j + 0.5) / ICON_SUBSAMPLES) / sizePixels;
                    if (!insideRoundedSquare(x, y)) {
                        continue;
                    }
                    const double shadow =
                        featherAt(feather, x - SHADOW_OFFSET, y - SHADOW_OFFSET).a;
                    const Colour sky =
                        times(skyBehind(x, y, sun), 1.0 - SHADOW_DARKNESS * std::min(shadow, 1.0));
                    Rgba f = featherAt(feather, x, y);
                    const double gain = f.a > 0.0 ? std::min(FEATHER_OPACITY_GAIN, 1.0 / f.a) : 1.0;
                    f = {f.r * gain, f.g * gain, f.b * gain, f.a * gain};
                    sum = {sum.r + f.r + sky.r * (1.0 - f.a), sum.g + f.g + sky.g * (1.0 - f.a),
                           sum.b + f.b + sky.b * (1.0 - f.a), sum.a + 1.0};
                }
            }
            const double cover = sum.a / (ICON_SUBSAMPLES * ICON_SUBSAMPLES);
            const double unpremultiply = sum.a > 0.0 ? 1.0 / sum.a : 0.0;
            out[0] = toByte(sum.r * unpremultiply);
            out[1] = toByte(sum.g * unpremultiply);
            out[2] = toByte(sum.b * unpremultiply);
            out[3] = toByte(cover);
            out += 4;
        }
    }
    return pixels;
}
