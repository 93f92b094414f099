#include "sky_images.h"

#include "scene/scene_textures.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <memory>

// Every value below comes from integer hashes, double arithmetic and the C library's maths
// functions (products and sums rounded apart: the build forbids fused multiply-adds), so a given
// machine produces the same bytes from any build of this file.

namespace {

// ---- Targa files ----

constexpr int TGA_HEADER_BYTES = 18;
constexpr unsigned char TGA_TRUE_COLOUR = 2;
constexpr unsigned char TGA_GREYSCALE = 3;
constexpr unsigned char TGA_ALPHA_BITS_32 = 8;
constexpr std::size_t TGA_MAX_IDENTIFICATION_BYTES = 255;
constexpr int TGA_MAX_SIDE = 65535;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

void putLittleEndian16(unsigned char* bytes, int value) {
    bytes[0] = static_cast<unsigned char>(value & 0xff);
    bytes[1] = static_cast<unsigned char>((value >> 8) & 0xff);
}

bool writeTgaHeader(std::FILE* file, int width, int height, int bitsPerPixel,
                    const std::string& identification) {
    unsigned char header[TGA_HEADER_BYTES] = {};
    header[0] = static_cast<unsigned char>(identification.size());
    header[2] = bitsPerPixel == 8 ? TGA_GREYSCALE : TGA_TRUE_COLOUR;
    putLittleEndian16(header + 12, width);
    putLittleEndian16(header + 14, height);
    header[16] = static_cast<unsigned char>(bitsPerPixel);
    // Origin bits clear: the first row stored is the bottom one, as OpenGL takes it (t = 0), so
    // image viewers show the faces the way the sky box does.
    header[17] = bitsPerPixel == 32 ? TGA_ALPHA_BITS_32 : 0;
    return std::fwrite(header, 1, TGA_HEADER_BYTES, file) == TGA_HEADER_BYTES &&
           std::fwrite(identification.data(), 1, identification.size(), file) ==
               identification.size();
}

// Targa keeps blue first: each row is reordered into `row` before it is written.
bool writeTgaRows(std::FILE* file, int width, int height, int bytesPerPixel,
                  const unsigned char* pixels) {
    const std::size_t rowBytes = static_cast<std::size_t>(width) * bytesPerPixel;
    std::vector<unsigned char> row(rowBytes);
    for (int y = 0; y < height; ++y) {
        const unsigned char* source = pixels + rowBytes * y;
        for (std::size_t i = 0; i < rowBytes; i += bytesPerPixel) {
            for (int c = 0; c < bytesPerPixel; ++c) {
                row[i + c] = source[i + c];
            }
            if (bytesPerPixel >= 3) {
                row[i] = source[i + 2];
                row[i + 2] = source[i];
            }
        }
        if (std::fwrite(row.data(), 1, rowBytes, file) != rowBytes) {
            return false;
        }
    }
    return true;
}

// ---- Arithmetic ----

struct Colour {
    double r;
    double g;
    double b;
};

Colour mix(const Colour& a, const Colour& b, double t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Colour plus(const Colour& a, const Colour& b) {
    return {a.r + b.r, a.g + b.g, a.b + b.b};
}

Colour times(const Colour& a, double k) {
    return {a.r * k, a.g * k, a.b * k};
}

double clamp01(double x) {
    return x < 0.0 ? 0.0 : (x > 1.0 ? 1.0 : x);
}

double smoothstep(double edge0, double edge1, double x) {
    const double t = clamp01((x - edge0) / (edge1 - edge0));
    return t * t * (3.0 - 2.0 * t);
}

double lerp(double a, double b, double t) {
    return a + (b - a) * t;
}

unsigned char toByte(double x) {
    return static_cast<unsigned char>(std::lround(clamp01(x) * 255.0));
}

double dot(const SkyDirection& a, const SkyDirection& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

SkyDirection normalised(const SkyDirection& v) {
    const double length = std::sqrt(dot(v, v));
    return {v.x / length, v.y / length, v.z / length};
}

} // namespace

bool writeTga(const std::string& path, int width, int height, int bitsPerPixel,
              const unsigned char* pixels, const std::string& identification) {
    const bool goodDepth = bitsPerPixel == 8 || bitsPerPixel == 24 || bitsPerPixel == 32;
    if (!goodDepth || pixels == nullptr || width < 1 || height < 1 || width > TGA_MAX_SIDE ||
        height > TGA_MAX_SIDE || identification.size() > TGA_MAX_IDENTIFICATION_BYTES) {
        return false;
    }
    FileHandle file(std::fopen(path.c_str(), "wb"));
    if (!file) {
        return false;
    }
    if (!writeTgaHeader(file.get(), width, height, bitsPerPixel, identification) ||
        !writeTgaRows(file.get(), width, height, bitsPerPixel / 8, pixels)) {
        return false;
    }
    // Closing flushes; a full disk may only show here.
    return std::fclose(file.release()) == 0;
}

namespace {

// ---- Gradient noise ----

constexpr std::uint32_t HASH_X = 0x8da6b343u;
constexpr std::uint32_t HASH_Y = 0xd8163841u;
constexpr std::uint32_t HASH_Z = 0xcb1ab31fu;

// Scrambles the sum of a lattice point's per-axis terms, so that neighbouring points look
// unrelated.
std::uint32_t mixHash(std::uint32_t h) {
    h ^= h >> 16;
    h *= 0x7feb352du;
    h ^= h >> 15;
    h *= 0x846ca68bu;
    h ^= h >> 16;
    return h;
}

// The twelve edge directions of a cube, picked by hash: no direction is favoured.
double gradientDot(std::uint32_t hash, double dx, double dy, double dz) {
    static const signed char GRADIENTS[12][3] = {{1, 1, 0}, {-1, 1, 0}, {1, -1, 0}, {-1, -1, 0},
                                                 {1, 0, 1}, {-1, 0, 1}, {1, 0, -1}, {-1, 0, -1},
                                                 {0, 1, 1}, {0, -1, 1}, {0, 1, -1}, {0, -1, -1}};
    const signed char* g = GRADIENTS[hash % 12];
    return g[0] * dx + g[1] * dy + g[2] * dz;
}

// Quintic: the noise's slope and curvature stay continuous across lattice cells.
double fade(double t) {
    return t * t * t * (t * (t * 6.0 - 15.0) + 10.0);
}

double gradientNoise(double x, double y, double z) {
    const double fx = std::floor(x);
    const double fy = std::floor(y);
    const double fz = std::floor(z);
    const int ix = static_cast<int>(fx);
    const int iy = static_cast<int>(fy);
    const int iz = static_cast<int>(fz);
    const double dx = x - fx;
    const double dy = y - fy;
    const double dz = z - fz;
    // Unsigned arithmetic wraps, so negative cells hash as well as positive ones.
    const std::uint32_t hx[2] = {static_cast<std::uint32_t>(ix) * HASH_X,
                                 static_cast<std::uint32_t>(ix + 1) * HASH_X};
    const std::uint32_t hy[2] = {static_cast<std::uint32_t>(iy) * HASH_Y,
                                 static_cast<std::uint32_t>(iy + 1) * HASH_Y};
    const std::uint32_t hz[2] = {static_cast<std::uint32_t>(iz) * HASH_Z,
                                 static_cast<std::uint32_t>(iz + 1) * HASH_Z};
    double corner[8];
    for (int i = 0; i < 8; ++i) {
        const int cx = i & 1;
        const int cy = (i >> 1) & 1;
        const int cz = (i >> 2) & 1;
        const std::uint32_t hash = mixHash(hx[cx] ^ hy[cy] ^ hz[cz]);
        corner[i] = gradientDot(hash, dx - cx, dy - cy, dz - cz);
    }
    const double u = fade(dx);
    const double v = fade(dy);
    const double w = fade(dz);
    const double y0 = lerp(lerp(corner[0], corner[1], u), lerp(corner[2], corner[3], u), v);
    const double y1 = lerp(lerp(corner[4], corner[5], u), lerp(corner[6], corner[7], u), v);
    return lerp(y0, y1, w);
}

constexpr int NOISE_OCTAVES = 6;
constexpr double NOISE_LACUNARITY = 2.03; // not 2, so the octaves' lattices never line up
constexpr double NOISE_GAIN = 0.5;
constexpr double NOISE_AMPLITUDE_SUM = 1.96875; // of all octaves: 1 + 1/2 + ... + 1/32

// Octaves whose waves are finer than `footprint` (the span one texel covers) fade out instead
// of aliasing into speckle. The scale stays that of all octaves, so fading changes no level.
double fractalNoise(double x, double y, double z, double footprint, int octaves = NOISE_OCTAVES) {
    double sum = 0.0;
    double amplitude = 1.0;
    double frequency = 1.0;
    for (int octave = 0; octave < octaves; ++octave) {
        const double detail = clamp01(1.5 - 2.0 * frequency * footprint);
        if (detail <= 0.0) {
            break; // every finer octave would vanish too
        }
        const double offset = 17.31 * octave;
        sum += amplitude * detail *
               gradientNoise(x * frequency + offset, y * frequency - offset, z * frequency);
        amplitude *= NOISE_GAIN;
        frequency *= NOISE_LACUNARITY;
    }
    return sum / NOISE_AMPLITUDE_SUM;
}

// ---- The sky ----

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

constexpr double QUARTER_TURN_RADIANS = 1.5707963267948966;
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

// ---- The feather ----
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

bool writeSceneImages(const std::string& directory) {
    const std::string prefix = directory.empty() ? std::string() : directory + "/";
    for (const SkyFace& face : SKY_FACES) {
        const char* name = sceneTextureFileName(face.texture);
        const std::vector<unsigned char> pixels = makeSkyFace(face);
        if (name == nullptr ||
            !writeTga(prefix + name, SKY_FACE_TEXELS, SKY_FACE_TEXELS, 24, pixels.data())) {
            return false;
        }
    }
    const char* name = sceneTextureFileName(&featherTexture);
    const std::vector<unsigned char> pixels = makeFeather();
    return name != nullptr &&
           writeTga(prefix + name, FEATHER_WIDTH_TEXELS, FEATHER_HEIGHT_TEXELS, 32, pixels.data());
}
