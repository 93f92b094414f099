// The field afresh as tests/reference/feather_field.txt holds it: each feather's bits in hex.
#pragma once

#include "scene/feathers.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

inline std::string featherTable() {
    randomState = RANDOM_START_STATE;
    createFeathers();
    std::string table;
    char word[16];
    for (int i = 0; i < FEATHER_COUNT; ++i) {
        const Vec3 &p = featherPosition[i], &a = featherAngle[i], &s = featherSpin[i];
        const Vec3& c = featherColor[i];
        for (const float value : {p.x, p.y, p.z, a.x, a.y, a.z, s.x, s.y, s.z, c.x, c.y, c.z,
                                  featherScale[i], featherBend[i]}) {
            std::uint32_t bits = 0;
            std::memcpy(&bits, &value, sizeof bits);
            std::snprintf(word, sizeof word, "%08x ", static_cast<unsigned>(bits));
            table += word;
        }
        table.back() = '\n';
    }
    return table;
}
