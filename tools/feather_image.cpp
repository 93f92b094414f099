#include "feather_image.h"

#include "image_maths.h"
#include "noise.h"

#include <algorithm>
#include <cmath>

namespace {

// u runs across the image (0 at the left edge), v along it (0 at the first row, the quill end).

constexpr double QUILL_START_V = 0.015;
constexpr double QUILL_ROUNDING_V = 0.012; // the length over which the quill's end rounds off
constexpr double VANE_START_V = 0.16;
constexpr double TIP_V = 0.975;
constexpr double SHAFT_END_V = 0.955;
constexpr double SHAFT_HALF_WIDTH_BASE_U = 0.042;
constexpr double SHAFT_HALF_WIDTH_TIP_U = 0.008;
constexpr double VANE_HALF_WIDTH_LEFT_U = 0.40;
constexpr double VANE_HALF_WIDTH_RIGHT_U = 0.45;
constexpr double VANE_RISE = 0.5;           // exponents of the vane's outline: a fast rise ...
constexpr double VANE_FALL = 0.75;          // ... and a long taper to the tip
constexpr double BARB_SLOPE_V_PER_U = 0.35; // barbs lean toward the tip
constexpr double BARBS_PER_V = 62.0;
constexpr double BARB_CONTRAST = 0.16;
constexpr double BARB_RAGGEDNESS = 0.06; // how unevenly the barbs end
constexpr double DOWN_LENGTH_V = 0.14;   // the soft, thin down at the base of the vanes
constexpr double DOWN_TRANSPARENCY = 0.45;
constexpr int FEATHER_SUBSAMPLES = 4; // per side of a texel, for soft edges
const Colour FEATHER_WHITE = {1.0, 1.0, 1.0};
const Colour SHAFT_COLOUR = {0.97, 0.96, 0.93};

// A split opens where neighbouring barbs have parted, widening toward the vane's edge.
struct VaneSplit {
    int side; // -1 left, +1 right
    double barbV;
    double halfWidthV; // at the edge
    double depth;      // fraction of the vane's width, from the edge
};

const VaneSplit VANE_SPLITS[] = {
    {+1, 0.36, 0.010, 0.75}, {-1, 0.47, 0.008, 0.60}, {+1, 0.63, 0.007, 0.55},
    {-1, 0.29, 0.009, 0.85}, {-1, 0.71, 0.006, 0.45},
};

double shaftHalfWidth(double v) {
    if (v < QUILL_START_V || v > SHAFT_END_V) {
        return 0.0;
    }
    const double along = (v - QUILL_START_V) / (SHAFT_END_V - QUILL_START_V);
    const double rounding = std::sqrt(clamp01((v - QUILL_START_V) / QUILL_ROUNDING_V));
    return lerp(SHAFT_HALF_WIDTH_BASE_U, SHAFT_HALF_WIDTH_TIP_U, along) * rounding;
}

// The vane's half width at v, as a fraction of its widest.
double vaneProfile(double v) {
    const double x = (v - VANE_START_V) / (TIP_V - VANE_START_V);
    if (x <= 0.0 || x >= 1.0) {
        return 0.0;
    }
    const double peakX = VANE_RISE / (VANE_RISE + VANE_FALL);
    const double peak = std::pow(peakX, VANE_RISE) * std::pow(1.0 - peakX, VANE_FALL);
    return std::pow(x, VANE_RISE) * std::pow(1.0 - x, VANE_FALL) / peak;
}

double unitHash(int n) {
    return mixHash(static_cast<std::uint32_t>(n) * HASH_X) / 4294967295.0;
}

bool inSplit(int side, double across, double halfWidth, double barb) {
    for (const VaneSplit& split : VANE_SPLITS) {
        const double opening = split.halfWidthV * across / halfWidth;
        if (split.side == side && across > halfWidth * (1.0 - split.depth) &&
            std::fabs(barb - split.barbV) < opening) {
            return true;
        }
    }
    return false;
}

// The opacity of the vanes at one point: 0 outside them.
double vaneAlpha(double u, double v) {
    const int side = u < 0.5 ? -1 : 1;
    const double across = std::fabs(u - 0.5);
    const double barb = v - BARB_SLOPE_V_PER_U * across; // constant along a barb
    const double widest = side < 0 ? VANE_HALF_WIDTH_LEFT_U : VANE_HALF_WIDTH_RIGHT_U;
    const int barbIndex = static_cast<int>(std::floor(barb * BARBS_PER_V)) * 2 + (side > 0);
    // The down at the base is wispier: its barbs end more unevenly.
    const double down = smoothstep(VANE_START_V + DOWN_LENGTH_V, VANE_START_V, v);
    const double ragged = BARB_RAGGEDNESS * (1.0 + 3.0 * down) * unitHash(barbIndex);
    const double halfWidth = widest * vaneProfile(v) * (1.0 - ragged);
    if (across >= halfWidth || inSplit(side, across, halfWidth, barb)) {
        return 0.0;
    }
    const double stripe = 0.5 + 0.5 * std::cos(4.0 * QUARTER_TURN_RADIANS * barb * BARBS_PER_V);
    const double thinEdge = 0.85 + 0.15 * (1.0 - across / halfWidth);
    return (1.0 - BARB_CONTRAST * stripe) * (1.0 - DOWN_TRANSPARENCY * down) * thinEdge;
}

// R,G,B,A of one texel, averaged over subsamples so that every edge is antialiased.
void featherTexel(int column, int row, unsigned char rgba[4]) {
    double alphaSum = 0.0;
    double shaftSum = 0.0;
    for (int j = 0; j < FEATHER_SUBSAMPLES; ++j) {
        for (int i = 0; i < FEATHER_SUBSAMPLES; ++i) {
            const double u = (column + (i + 0.5) / FEATHER_SUBSAMPLES) / FEATHER_WIDTH_TEXELS;
            const double v = (row + (j + 0.5) / FEATHER_SUBSAMPLES) / FEATHER_HEIGHT_TEXELS;
            const bool shaft = std::fabs(u - 0.5) < shaftHalfWidth(v);
            shaftSum += shaft ? 1.0 : 0.0;
            alphaSum += shaft ? 1.0 : vaneAlpha(u, v);
        }
    }
    const double samples = FEATHER_SUBSAMPLES * FEATHER_SUBSAMPLES;
    const Colour colour = mix(FEATHER_WHITE, SHAFT_COLOUR, shaftSum / samples);
    rgba[0] = toByte(colour.r);
    rgba[1] = toByte(colour.g);
    rgba[2] = toByte(colour.b);
    rgba[3] = toByte(alphaSum / samples);
}

} // namespace

std::vector<unsigned char> makeFeather() {
    std::vector<unsigned char> pixels(static_cast<std::size_t>(FEATHER_WIDTH_TEXELS) *
                                      FEATHER_HEIGHT_TEXELS * 4);
    unsigned char* out = pixels.data();
    for (int row = 0; row < FEATHER_HEIGHT_TEXELS; ++row) {
        for (int column = 0; column < FEATHER_WIDTH_TEXELS; ++column) {
            featherTexel(column, row, out);
            out += 4;
        }
    }
    return pixels;
}
