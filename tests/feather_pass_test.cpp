#include "app/clock.h"
#include "gl_test_support.h"
#include "scene/feather_pass.h"
#include "scene/feathers.h"
#include "scene/pi.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <tuple>
#include <vector>

namespace {

// One feather at `position` with the given angle about x, no spin; the rest beyond the far
// plane, so that feedback and drift see only feather 0.
void isolateFeatherZero(Vec3 position, float angleX) {
    randomState = RANDOM_START_STATE;
    createFeathers();
    std::fill(featherPosition, featherPosition + FEATHER_COUNT, Vec3{1.0e5f, 1.0e5f, 1.0e5f});
    featherPosition[0] = position;
    featherAngle[0] = {angleX, 0.0f, 0.0f};
    featherSpin[0] = {0.0f, 0.0f, 0.0f};
    featherScale[0] = 1.0f;
}

} // namespace

TEST(FeatherPass, WindAtTheStartAndDriftFollowingTwiceTheFeathersAngle) {
    const Wind wind = windAt(0.0);
    EXPECT_EQ(std::tie(wind.x, wind.y, wind.z, wind.gust), std::tuple(0.0f, 0.25f, 0.5f, 0.0f));
    // {angle, wind x, gust, speed}. At 135 degrees s = -1, and the wind's factor s + 1 vanishes
    // whatever the wind; at 0 degrees the gust pushes at (s + 1) * gust * wind.
    const float cases[][4] = {{0, 0, 0.7f, 0},
                              {45, 0, 0.7f, 1},
                              {45, 1, 0, 1},
                              {135, 0.9f, 1.6f, -1},
                              {0, 0.5f, 1.2f, 0.6f}};
    for (const auto& c : cases) {
        isolateFeatherZero({0.0f, 0.0f, 0.0f}, c[0]);
        advanceFeather(0, {c[1], 0.0f, 0.0f, c[2]}, 0.5);
        EXPECT_NEAR(featherPosition[0].x / 0.5, c[3], 1e-6) << c[0] << " " << c[1] << " " << c[2];
    }
}

TEST(FeatherPass, ZeroDeltaMovesNothingAndBlendingEndsAsSet) {
    ensureGlWindow();
    randomState = RANDOM_START_STATE;
    createFeathers();
    const auto state = [] {
        std::vector<Vec3> s(featherPosition, featherPosition + FEATHER_COUNT);
        s.insert(s.end(), featherAngle, featherAngle + FEATHER_COUNT);
        return s;
    };
    const std::vector<Vec3> start = state();
    glDisable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ZERO);
    g_time = 3.0;
    for (double delta : {0.0, 0.016}) { // the moving frame shows the check can fail
        g_deltaTime = delta;
        drawFeathers();
        EXPECT_EQ(std::memcmp(start.data(), state().data(), start.size() * sizeof(Vec3)) == 0,
                  delta == 0.0);
    }
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    GLint blend[2] = {0, 0};
    glGetIntegerv(GL_BLEND_SRC, &blend[0]);
    glGetIntegerv(GL_BLEND_DST, &blend[1]);
    EXPECT_EQ(std::tuple(blend[0], blend[1]), std::tuple(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA));
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

TEST(FeatherPass, WrappedAnglesKeepTurningAfterHours) {
    isolateFeatherZero({0.0f, 0.0f, 0.0f}, 0.0f);
    featherSpin[0] = {75.0f, -75.0f, 5.0f};
    Vec3 before{};
    for (long frame = 0; frame < 36001000; ++frame) { // ten hours at a thousand frames a second
        before = frame == 36000000 ? featherAngle[0] : before;
        advanceFeather(0, {0.0f, 0.0f, 0.0f, 0.0f}, 0.001);
    }
    const Vec3 after = featherAngle[0];
    EXPECT_NEAR(std::fmod(after.x - before.x + 360.0, 360.0), 75.0, 0.1);
    EXPECT_NEAR(std::fmod(before.y - after.y + 360.0, 360.0), 75.0, 0.1);
    EXPECT_NEAR(std::fmod(after.z - before.z + 360.0, 360.0), 5.0, 0.25) << "a slow spin too";
    for (float angle : {after.x, after.y, after.z}) {
        EXPECT_TRUE(angle >= 0.0f && angle < 360.0f) << angle;
    }
}
