#include "scene/feathers.h"

#include "scene/pi.h"

#include <cmath>

Vec3 featherPosition[FEATHER_COUNT];
Vec3 featherAngle[FEATHER_COUNT];
Vec3 featherSpin[FEATHER_COUNT];
Vec3 featherColor[FEATHER_COUNT];
float featherScale[FEATHER_COUNT];
float featherBend[FEATHER_COUNT];

std::uint32_t randomState = RANDOM_START_STATE;

namespace {

constexpr float SPIN_RANGE_DEGREES_PER_SECOND = 150.0f;
constexpr float SPIN_OFFSET_DEGREES_PER_SECOND = 75.0f;

Vec3 randomVec3(float max, double offset) {
    // Three separate statements keep the draws in x, y, z order.
    const float x = static_cast<float>(randomFloat(max) + offset);
    const float y = static_cast<float>(randomFloat(max) + offset);
    const float z = static_cast<float>(randomFloat(max) + offset);
    return {x, y, z};
}

Vec3 randomPositionInBall() {
    const float theta = static_cast<float>(randomFloat(FIELD_PI));
    const float phi = static_cast<float>(randomFloat(FIELD_TWO_PI));
    const float jitter = static_cast<float>(randomFloat(FIELD_RADIUS_JITTER));
    const float radius = static_cast<float>(randomFloat(FIELD_INNER_RADIUS) + jitter);
    // The float angles widened first: std::cos of a float is the float overload, a step coarser.
    const double t = theta;
    const double p = phi;
    return {static_cast<float>(std::cos(t) * radius),
            static_cast<float>(std::sin(t) * std::cos(p) * radius),
            static_cast<float>(std::sin(t) * std::sin(p) * radius)};
}

} // namespace

int nextRandom() {
    randomState = randomState * 214013u + 2531011u;
    return static_cast<int>((randomState >> 16) & 0x7FFFu);
}

double randomFloat(float max) {
    return nextRandom() / 32768.0 * max;
}

void createFeathers() {
    for (int i = 0; i < FEATHER_COUNT; ++i) {
        featherPosition[i] = randomPositionInBall();
        featherAngle[i] = randomVec3(360.0f, 0.0);
        featherSpin[i] = randomVec3(SPIN_RANGE_DEGREES_PER_SECOND, -SPIN_OFFSET_DEGREES_PER_SECOND);
        featherColor[i] = randomVec3(0.15f, 0.85);
        featherScale[i] = static_cast<float>(randomFloat(0.4f) + 0.8);
        featherBend[i] = static_cast<float>(randomFloat(0.5f) + 0.25);
    }
}
