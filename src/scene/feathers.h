// The 512 feathers: where they are, how they are turned and spin, their tint, size and bend.
#pragma once

#include "scene/vec3.h"

#include <cstdint>

constexpr int FEATHER_COUNT = 512;
constexpr double FIELD_INNER_RADIUS = 40.0;
constexpr double FIELD_RADIUS_JITTER = 2.0;

extern Vec3 featherPosition[FEATHER_COUNT]; // scene units
extern Vec3 featherAngle[FEATHER_COUNT];    // degrees about x, y, z, in [0, 360)
extern Vec3 featherSpin[FEATHER_COUNT];     // degrees per second, in [-75, 75)
extern Vec3 featherColor[FEATHER_COUNT];    // red, green, blue, in [0.85, 1)
extern float featherScale[FEATHER_COUNT];   // in [0.8, 1.2)
extern float featherBend[FEATHER_COUNT];    // depth of the curve, in [0.25, 0.75)

// The generator's state. It starts at 1 and is never reseeded, so the field is the same on
// every run; tests put it back to 1 to create the field afresh.
extern std::uint32_t randomState;
constexpr std::uint32_t RANDOM_START_STATE = 1;

// One draw of the linear congruential generator: an integer from 0 to 32767.
int nextRandom();

// A draw scaled into [0, max), kept in double precision.
double randomFloat(float max);

void createFeathers();
