#include "noise.h"

#include "image_maths.h"

#include <cmath>

std::uint32_t mixHash(std::uint32_t h) {
    h ^= h >> 16;
    h *= 0x7feb352du;
    h ^= h >> 15;
    h *= 0x846ca68bu;
    h ^= h >> 16;
    return h;
}

namespace {

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

constexpr double NOISE_LACUNARITY = 2.03; // not 2, so the octaves' lattices never line up
constexpr double NOISE_GAIN = 0.5;
constexpr double NOISE_AMPLITUDE_SUM = 1.96875; // of all octaves: 1 + 1/2 + ... + 1/32

} // namespace

double fractalNoise(double x, double y, double z, double footprint, int octaves) {
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
