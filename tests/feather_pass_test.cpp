#include "app/clock.h"
#include "gl_test_support.h"
#include "scene/feather_pass.h"
#include "scene/feathers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

namespace {

constexpr float FAR_AWAY = 1.0e5f; // beyond the far plane

// One feather at `position` with the given angle about x, no spin; the rest far away, so that
// feedback and pixels see only feather 0.
void isolateFeatherZero(Vec3 position, float angleX) {
    randomState = RANDOM_START_STATE;
    createFeathers();
    for (int i = 1; i < FEATHER_COUNT; ++i) {
        featherPosition[i] = {FAR_AWAY, FAR_AWAY, FAR_AWAY};
    }
    featherPosition[0] = position;
    featherAngle[0] = {angleX, 0.0f, 0.0f};
    featherSpin[0] = {0.0f, 0.0f, 0.0f};
    featherScale[0] = 1.0f;
}

double driftSpeedAlongX(float angleX, float windX, float gust) {
    isolateFeatherZero({0.0f, 0.0f, 0.0f}, angleX);
    advanceFeather(0, {windX, 0.0f, 0.0f, gust}, 0.5);
    return featherPosition[0].x / 0.5;
}

} // namespace

TEST(FeatherPass, WindAtTheStartIsTheKnownOne) {
    const Wind wind = windAt(0.0);
    EXPECT_EQ(wind.x, 0.0f);
    EXPECT_EQ(wind.y, 0.25f);
    EXPECT_EQ(wind.z, 0.5f);
    EXPECT_EQ(wind.gust, 0.0f);
}

TEST(FeatherPass, DriftFollowsTwiceTheFeathersAngle) {
    EXPECT_EQ(driftSpeedAlongX(0.0f, 0.0f, 0.7f), 0.0);
    EXPECT_NEAR(driftSpeedAlongX(45.0f, 0.0f, 0.7f), 1.0, 1e-6);
    EXPECT_NEAR(driftSpeedAlongX(45.0f, 1.0f, 0.0f), 1.0, 1e-6);
    // At 135 degrees s = -1, and the wind's factor s + 1 vanishes whatever the wind.
    EXPECT_NEAR(driftSpeedAlongX(135.0f, 0.9f, 1.6f), -1.0, 1e-6);
    // At 0 degrees with wind the gust pushes at (s + 1) * gust * wind.
    EXPECT_NEAR(driftSpeedAlongX(0.0f, 0.5f, 1.2f), 0.6, 1e-6);
}

TEST(FeatherPass, ZeroDeltaMovesAndTurnsNothingButDrawsAll) {
    ensureGlWindow();
    randomState = RANDOM_START_STATE;
    createFeathers();
    std::vector<Vec3> positions(featherPosition, featherPosition + FEATHER_COUNT);
    std::vector<Vec3> angles(featherAngle, featherAngle + FEATHER_COUNT);
    g_time = 3.0;
    g_deltaTime = 0.0;
    drawFeathers();
    EXPECT_EQ(std::memcmp(positions.data(), featherPosition, sizeof featherPosition), 0);
    EXPECT_EQ(std::memcmp(angles.data(), featherAngle, sizeof featherAngle), 0);

    g_deltaTime = 0.016;
    drawFeathers();
    EXPECT_NE(std::memcmp(positions.data(), featherPosition, sizeof featherPosition), 0);
    EXPECT_NE(std::memcmp(angles.data(), featherAngle, sizeof featherAngle), 0);
}

TEST(FeatherPass, BlendsOnlyDuringThePass) {
    ensureGlWindow();
    glDisable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ZERO);
    g_deltaTime = 0.0;
    drawFeathers();
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    GLint source = 0;
    GLint destination = 0;
    glGetIntegerv(GL_BLEND_SRC, &source);
    glGetIntegerv(GL_BLEND_DST, &destination);
    EXPECT_EQ(source, GL_SRC_ALPHA);
    EXPECT_EQ(destination, GL_ONE_MINUS_SRC_ALPHA);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST(FeatherPass, EachFeatherIsDrawnWhereItStoodThenAdvanced) {
    ensureGlWindow();
    isolateFeatherZero({0.0f, 0.0f, -5.0f}, 45.0f);
    featherSpin[0] = {60.0f, 0.0f, 0.0f};
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-10, 10, -10, 10, -10, 10);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glViewport(0, 0, 20, 20);

    std::vector<GLfloat> buffer(4096);
    glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_3D, buffer.data());
    glRenderMode(GL_FEEDBACK);
    g_time = 0.0;
    g_deltaTime = 1.0;
    drawFeathers();
    ASSERT_GT(glRenderMode(GL_RENDER), 0);

    // The first vertex is (0, -1, 0) turned 45 degrees about x from (0, 0, -5): the angle and
    // place before this frame's advance, which moved the feather by a whole unit along x.
    ASSERT_EQ(buffer[0], GL_POLYGON_TOKEN);
    EXPECT_NEAR(buffer[2] - 10.0f, 0.0f, 1e-4);
    EXPECT_NEAR(buffer[3] - 10.0f, -std::cos(M_PI / 4), 1e-4);
    EXPECT_NEAR(featherAngle[0].x, 105.0f, 1e-4);
    EXPECT_NEAR(featherPosition[0].x, std::sin(105.0 * DRIFT_PI / 90.0), 1e-6);
}

TEST(FeatherPass, WrappedAnglesKeepTurningAndDriftingAfterHours) {
    isolateFeatherZero({0.0f, 0.0f, 0.0f}, 0.0f);
    featherSpin[0] = {75.0f, -75.0f, 5.0f};
    const Wind calm = {0.0f, 0.0f, 0.0f, 0.0f};
    // Ten hours at a thousand frames a second.
    constexpr long FRAMES = 36000000;
    for (long frame = 0; frame < FRAMES; ++frame) {
        advanceFeather(0, calm, 0.001);
    }
    const Vec3 before = featherAngle[0];
    for (int frame = 0; frame < 1000; ++frame) {
        advanceFeather(0, calm, 0.001);
    }
    const Vec3 after = featherAngle[0];
    EXPECT_NEAR(std::fmod(after.x - before.x + 360.0, 360.0), 75.0, 0.1);
    EXPECT_NEAR(std::fmod(before.y - after.y + 360.0, 360.0), 75.0, 0.1);
    EXPECT_NEAR(std::fmod(after.z - before.z + 360.0, 360.0), 5.0, 0.25) << "a slow spin too";
    for (float angle : {after.x, after.y, after.z}) {
        EXPECT_GE(angle, 0.0f);
        EXPECT_LT(angle, 360.0f);
    }
}
