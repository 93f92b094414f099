// Feather 0's strip where its curves put it, told by its tint 0.25, 1, 0.5, the feather unturned,
// unscaled, five units ahead of the eye: row r of eight at u = r / 8 on both edges and texture row
// r / 7; the left edge at s = x = 0, the right at s = 1, x = 0.5; y = 2u - 1, bowed towards the eye
// by bend * 2u(1 - u). How many of its triangles' vertices lie off it; -1 unless they are its 14
// triangles', at all 16 of its vertices.
#pragma once

#include "web/gl/vertices.h"

#include <algorithm>
#include <cmath>
#include <vector>

inline int offTheStrip(const std::vector<GatheredVertex>& vertices, double bend) {
    int count = 0, off = 0, reached = 0;
    for (const GatheredVertex& v : vertices) {
        const int row = std::clamp(static_cast<int>(std::lround(v.t * 7.0)), 0, 7),
                  side = v.s > 0.5f;
        const double u = row / 8.0;
        if (v.r == 0.25f && v.g == 1.0f && v.b == 0.5f) {
            ++count, reached |= 1 << (2 * row + side);
            off += std::abs(v.t - row / 7.0) > 1e-6 || v.s != side ||
                   std::abs(v.x - 0.5 * side) > 1e-4 || std::abs(v.y - (2.0 * u - 1.0)) > 1e-4 ||
                   std::abs(v.z - (-5.0 + bend * 2.0 * u * (1.0 - u))) > 1e-4;
        }
    }
    return count == 14 * 3 && reached == 0xFFFF ? off : -1;
}
