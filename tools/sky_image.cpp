#include "sky_image.h"

#include "image_maths.h"
#include "noise.h"

#include <algorithm>
#include <cmath>

namespace {

const Colour HORIZON = {0.93, 0.89, 0.82};
const Colour LOW_SKY = {0.62, 0.75, 0.90};
const Colour ZENITH = {0.13, 0.29, 0.62};
const Colour HAZE = {0.66, 0.71, 0.77};
const Colour NADIR = {0.20, 0.24, 0.31};
const Colour SUN_WARMTH = {1.00, 0.80, 0.55};
const Colour SUN_DISC = {1.00, 0.98, 0.92};
const Colour CLOUD_LIT = {1.00, 0.99, 0.97};
const Colour CLOUD_SHADE = {0.62, 0.67, 0.76};

// About 25 degrees up, toward -z and +x.
const SkyDirection SUN = normalised({0.52, 0.4226, -0.742});
constexpr double HORIZON_WARMTH = 0.22;
constexpr double HORIZON_WARMTH_FALLOFF = 5.0; // per unit of y away from the horizon

constexpr double TEXEL_RADIANS = QUARTER_TURN_RADIANS / SKY_FACE_TEXELS; // near a face's centre

Colour clearSky(const SkyDirection& d) {
    const double up = d.y;
    Colour colour;
    if (up >= 0.0) {
        colour = mix(HORIZON, LOW_SKY, smoothstep(0.0, 0.28, std::sqrt(up) * 0.62));
        colour = mix(colour, ZENITH, smoothstep(0.05, 1.0, up));
    } else {
        colour = mix(HORIZON, HAZE, smoothstep(0.0, 0.16, -up));
        colour = mix(colour, NADIR, 1.0 - std::exp(-1.8 * -up));
    }
    // The horizon warms on the sun's side. The tiny term keeps straight up and down defined.
    const double horizontal = std::sqrt(d.x * d.x + d.z * d.z) + 1e-9;
    const double sunSide = clamp01((d.x * SUN.x + d.z * SUN.z) / horizontal);
    const double warmth = HORIZON_WARMTH * sunSide * sunSide * sunSide *
                          std::exp(-HORIZON_WARMTH_FALLOFF * std::fabs(up));
    return mix(colour, SUN_WARMTH, warmth);
}

// Clouds lie on a flat layer overhead, so they shrink and crowd toward the horizon; the lift
// keeps the horizon's distance to the layer finite.
constexpr double CLOUD_LIFT = 0.18;
constexpr double CLOUD_SCALE = 1.4;
constexpr double CLOUD_SUNWARD_STEP = 0.10; // in layer units, for the light on the clouds
constexpr int CLOUD_LIGHT_OCTAVES = 4;      // the light needs only the broad shapes
constexpr double CLOUD_OPACITY = 0.93;
constexpr double CLOUD_LOWEST_UP = -0.05;      // the y of the lowest direction with any cloud
constexpr double CLOUD_HEIGHT_VARIATION = 1.3; // how much the shapes change with elevation too

double cloudDistance(const SkyDirection& d) {
    return 1.0 / ((d.y > 0.0 ? d.y : 0.0) + CLOUD_LIFT);
}

double cloudNoise(const SkyDirection& d, double shiftX, double shiftZ, int octaves) {
    const double distance = cloudDistance(d);
    const double footprint = TEXEL_RADIANS * distance * distance * CLOUD_SCALE;
    return fractalNoise(d.x * distance * CLOUD_SCALE + shiftX, d.y * CLOUD_HEIGHT_VARIATION,
                        d.z * distance * CLOUD_SCALE + shiftZ, footprint, octaves);
}

// More cloud in a band along the horizon than overhead; none a little below it.
double cloudDensity(const SkyDirection& d, double noise) {
    const double band = std::exp(-(d.y * d.y) / (0.25 * 0.25));
    const double threshold = 0.06 - 0.17 * band;
    return smoothstep(threshold, threshold + 0.26, noise) * smoothstep(CLOUD_LOWEST_UP, 0.02, d.y);
}

// Bright where the cloud thins toward the sun, shaded where it thickens.
double cloudLight(const SkyDirection& d, double noise) {
    const double sunHorizontal = std::sqrt(SUN.x * SUN.x + SUN.z * SUN.z);
    const double stepX = SUN.x / sunHorizontal * CLOUD_SUNWARD_STEP;
    const double stepZ = SUN.z / sunHorizontal * CLOUD_SUNWARD_STEP;
    return clamp01(0.62 + 3.0 * (noise - cloudNoise(d, stepX, stepZ, CLOUD_LIGHT_OCTAVES)));
}

Colour cloudColour(const SkyDirection& d, double density, double light, const Colour& sky) {
    const double towardSun = std::max(dot(d, SUN), 0.0);
    Colour colour = mix(CLOUD_SHADE, CLOUD_LIT, light);
    // Thin cloud near the sun glows.
    const double lining = 0.45 * std::pow(towardSun, 14.0) * (1.0 - density);
    colour = plus(colour, times(SUN_WARMTH, lining));
    // Distant clouds fade into the horizon haze.
    const double haze = 0.75 * smoothstep(1.6, 1.0 / CLOUD_LIFT, cloudDistance(d));
    return mix(colour, sky, haze);
}

constexpr double SUN_DISC_INNER_RADIANS = 0.020;
constexpr double SUN_DISC_OUTER_RADIANS = 0.028;

Colour addSun(const SkyDirection& d, const Colour& colour, double density) {
    const double towardSun = std::max(dot(d, SUN), 0.0);
    const double glow = 0.20 * std::pow(towardSun, 5.0) + 0.22 * std::pow(towardSun, 60.0) +
                        0.45 * std::pow(towardSun, 900.0);
    const Colour lit = plus(colour, times(SUN_WARMTH, glow * (1.0 - 0.5 * density)));
    // For small angles, 2 (1 - cos a) is a squared.
    const double angleSquared = 2.0 * (1.0 - dot(d, SUN));
    const double disc = smoothstep(SUN_DISC_OUTER_RADIANS * SUN_DISC_OUTER_RADIANS,
                                   SUN_DISC_INNER_RADIANS * SUN_DISC_INNER_RADIANS, angleSquared);
    return plus(lit, times(SUN_DISC, disc * (1.0 - 0.85 * density)));
}

constexpr double MIST_CONTRAST = 0.22;
constexpr int MIST_OCTAVES = 4; // faint and soft: fine detail would not show

// Below the horizon, a soft deck of mist seen from above, fading into the haze with distance.
Colour addMist(const SkyDirection& d, const Colour& colour) {
    const double depth = -d.y;
    if (depth <= 0.0) {
        return colour;
    }
    const double distance = 1.0 / (depth + CLOUD_LIFT);
    const double footprint = TEXEL_RADIANS * distance * distance * CLOUD_SCALE;
    const double noise =
        fractalNoise(d.x * distance * CLOUD_SCALE + 40.0, depth * CLOUD_HEIGHT_VARIATION + 7.0,
                     d.z * distance * CLOUD_SCALE - 40.0, footprint, MIST_OCTAVES);
    const double amount = MIST_CONTRAST * smoothstep(-0.25, 0.35, noise) *
                          smoothstep(0.0, 0.12, depth) * std::exp(-1.5 * depth);
    return mix(colour, HAZE, amount);
}

} // namespace

SkyDirection skyTexelDirection(const SkyFace& face, int column, int row) {
    // Corners indexed by s + 2 t, as their (s, t) are each 0 or 1.
    SkyDirection corner[4] = {};
    for (const SkyCorner& c : face.corners) {
        corner[(c.s > 0.5f ? 1 : 0) + (c.t > 0.5f ? 2 : 0)] = {c.x, c.y, c.z};
    }
    const double s = (column + 0.5) / SKY_FACE_TEXELS;
    const double t = (row + 0.5) / SKY_FACE_TEXELS;
    const double w[4] = {(1.0 - s) * (1.0 - t), s * (1.0 - t), (1.0 - s) * t, s * t};
    SkyDirection point = {0.0, 0.0, 0.0};
    for (int i = 0; i < 4; ++i) {
        point.x += w[i] * corner[i].x;
        point.y += w[i] * corner[i].y;
        point.z += w[i] * corner[i].z;
    }
    return normalised(point);
}

SkyDirection skySunDirection() {
    return SUN;
}

Colour cloudlessSkyColour(const SkyDirection& direction) {
    return addSun(direction, clearSky(direction), 0.0);
}

void skyColour(const SkyDirection& direction, unsigned char rgb[3]) {
    const Colour sky = clearSky(direction);
    Colour colour = sky;
    const bool cloudy = direction.y > CLOUD_LOWEST_UP;
    const double noise = cloudy ? cloudNoise(direction, 0.0, 0.0, NOISE_OCTAVES) : 0.0;
    const double density = cloudy ? cloudDensity(direction, noise) : 0.0;
    if (density > 0.0) {
        const Colour cloud = cloudColour(direction, density, cloudLight(direction, noise), sky);
        colour = mix(sky, cloud, density * CLOUD_OPACITY);
    }
    colour = addMist(direction, colour);
    colour = addSun(direction, colour, density);
    rgb[0] = toByte(colour.r);
    rgb[1] = toByte(colour.g);
    rgb[2] = toByte(colour.b);
}

std::vector<unsigned char> makeSkyFace(const SkyFace& face) {
    std::vector<unsigned char> pixels(static_cast<std::size_t>(SKY_FACE_TEXELS) * SKY_FACE_TEXELS *
                                      3);
    unsigned char* out = pixels.data();
    for (int row = 0; row < SKY_FACE_TEXELS; ++row) {
        for (int column = 0; column < SKY_FACE_TEXELS; ++column) {
            skyColour(skyTexelDirection(face, column, row), out);
            out += 3;
        }
    }
    return pixels;
}
