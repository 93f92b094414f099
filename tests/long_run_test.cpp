#include "app/camera.h"
#include "app/clock.h"
#include "gl_test_support.h"
#include "scene/feather_pass.h"
#include "scene/feathers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

constexpr std::int64_t NANOSECONDS_PER_SECOND = 1000000000;
constexpr std::int64_t NANOSECONDS_PER_MILLISECOND = 1000000;
std::int64_t nanoseconds = 0;
std::int64_t readNanoseconds() {
    return nanoseconds;
}

// What one frame does to the clock, the camera and the feathers, without drawing.
void runFrameAt(std::int64_t ticks) {
    nanoseconds = ticks;
    updateClock();
    advanceYaw(g_deltaTime);
    const Wind wind = windAt(g_time);
    for (int i = 0; i < FEATHER_COUNT; ++i) {
        advanceFeather(i, wind, g_deltaTime);
    }
}

double turnedDegrees(float before, float after) {
    double turned = std::fmod(static_cast<double>(after) - before, 360.0);
    if (turned > 180.0) {
        turned -= 360.0;
    } else if (turned < -180.0) {
        turned += 360.0;
    }
    return turned;
}

// Runs one second at a thousand frames a second from `startTicks`, and checks that the camera
// and every feather turn at their own speed while the clock stays on whole milliseconds.
void expectOneSecondAtFullSpeed(std::int64_t startTicks) {
    const float yawBefore = g_yaw;
    const std::vector<Vec3> anglesBefore(featherAngle, featherAngle + FEATHER_COUNT);
    const double timeBefore = g_time;
    for (int frame = 1; frame <= 1000; ++frame) {
        runFrameAt(startTicks + frame * NANOSECONDS_PER_MILLISECOND + 123);
        ASSERT_NEAR(g_deltaTime, 0.001, 1e-8);
    }
    EXPECT_EQ(g_time, timeBefore + 1.0) << "time stays exact to the millisecond";
    // A step's rounding is at most half a float's spacing below 360, 1.5e-5 degrees.
    constexpr double TOLERANCE_DEGREES = 0.02;
    EXPECT_NEAR(turnedDegrees(yawBefore, g_yaw), YAW_DEGREES_PER_SECOND, TOLERANCE_DEGREES);
    for (int i = 0; i < FEATHER_COUNT; ++i) {
        const Vec3& spin = featherSpin[i];
        ASSERT_NEAR(turnedDegrees(anglesBefore[i].x, featherAngle[i].x), spin.x, TOLERANCE_DEGREES);
        ASSERT_NEAR(turnedDegrees(anglesBefore[i].y, featherAngle[i].y), spin.y, TOLERANCE_DEGREES);
        ASSERT_NEAR(turnedDegrees(anglesBefore[i].z, featherAngle[i].z), spin.z, TOLERANCE_DEGREES);
    }
}

bool allFinite(const Vec3& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

} // namespace

TEST(LongRun, TwoHundredDaysOfNanosecondTicksKeepTimeAndMotion) {
    ensureGlWindow(); // the caption goes to a real window every 100 frames
    randomState = RANDOM_START_STATE;
    createFeathers();
    g_yaw = 0.0f;
    setCounter(readNanoseconds, NANOSECONDS_PER_SECOND);
    nanoseconds = 987654321;
    startClock();
    const std::int64_t start = nanoseconds;

    expectOneSecondAtFullSpeed(start);

    // Two hundred days in ten-minute steps, past the 106 days after which ticks * 1000 overflows.
    constexpr std::int64_t STEP = 600 * NANOSECONDS_PER_SECOND;
    constexpr std::int64_t DAYS = 200;
    const std::int64_t end = start + DAYS * 86400 * NANOSECONDS_PER_SECOND;
    for (std::int64_t ticks = start + STEP; ticks <= end; ticks += STEP) {
        runFrameAt(ticks);
    }
    EXPECT_EQ(g_time, DAYS * 86400.0);
    expectOneSecondAtFullSpeed(end);

    EXPECT_TRUE(std::isfinite(g_yaw));
    for (int i = 0; i < FEATHER_COUNT; ++i) {
        ASSERT_TRUE(allFinite(featherPosition[i])) << "feather " << i;
        ASSERT_TRUE(allFinite(featherAngle[i])) << "feather " << i;
    }
    const Wind wind = windAt(g_time);
    EXPECT_TRUE(std::isfinite(wind.x) && std::isfinite(wind.y) && std::isfinite(wind.z) &&
                std::isfinite(wind.gust));
    useSteadyClock();
}
