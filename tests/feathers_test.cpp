#include "app/frame_time.h"
#include "feather_strip.h"
#include "feather_table.h"
#include "gl_test_support.h"
#include "scene/feather_pass.h"
#include "scene/feathers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

namespace {

// Feather 0 alone at `position`, turned by `angle`, not spinning; the rest far out of any view.
void isolateFeatherZero(Vec3 position, Vec3 angle) {
    randomState = RANDOM_START_STATE;
    createFeathers();
    std::fill(featherPosition, featherPosition + FEATHER_COUNT, Vec3{1.0e5f, 1.0e5f, 1.0e5f});
    featherPosition[0] = position;
    featherAngle[0] = angle;
    featherSpin[0] = {0.0f, 0.0f, 0.0f};
    featherScale[0] = 1.0f;
}

} // namespace

// tests/reference/feather_field.py computes the field on its own, from the generator up; every
// stored value must carry the very same bits.
TEST(FeatherField, EveryValueMatchesTheIndependentReferenceBitForBit) {
    std::ifstream reference(std::string(PLUME_TESTS_DIR) + "/reference/feather_field.txt");
    std::istringstream ours(featherTable());
    std::string line, expected;
    for (int feather = 0; std::getline(reference, expected); ++feather) {
        ASSERT_TRUE(std::getline(ours, line) && line == expected)
            << "feather " << feather << ": " << line;
    }
    EXPECT_FALSE(std::getline(ours, line)) << "the field holds more feathers than the table";
}

TEST(FeatherPass, WindDriftAndSpinFollowTheirFormulas) {
    // {t, x, y, z, gust}, worked out by hand.
    for (const auto& w : {std::array{0.0f, 0.0f, 0.25f, 0.5f, 0.0f},
                          std::array{3.14159265f, 0.0f, -0.20225425f, 0.59549150f, 1.8362189f}}) {
        const Wind wind = windAt(w[0]);
        const float got[] = {wind.x, wind.y, wind.z, wind.gust};
        for (int k = 0; k < 4; ++k)
            EXPECT_NEAR(got[k], w[k + 1], 1e-6) << "t " << w[0] << ", x y z gust: " << k;
    }
    // {angle, wind x, gust, speed}. At 135 degrees s = -1, and the wind's factor s + 1 vanishes
    // whatever the wind; at 0 degrees the gust pushes at (s + 1) * gust * wind.
    const float cases[][4] = {{0, 0, 0.7f, 0},
                              {45, 0, 0.7f, 1},
                              {45, 1, 0, 1},
                              {135, 0.9f, 1.6f, -1},
                              {0, 0.5f, 1.2f, 0.6f}};
    for (const auto& c : cases) {
        isolateFeatherZero({0.0f, 0.0f, 0.0f}, {c[0], 0.0f, 0.0f});
        advanceFeather(0, {c[1], 0.0f, 0.0f, c[2]}, 0.5);
        EXPECT_NEAR(featherPosition[0].x / 0.5, c[3], 1e-6) << c[0] << " " << c[1] << " " << c[2];
    }
    // Angles stay within a turn, across 360 and 0 and across several turns in one step.
    // {delta seconds, expected x, y, z} from {359.9, 0.1, 10} spinning at {75, -75, 5}.
    for (const auto& a :
         {std::array{0.01f, 0.65f, 359.35f, 10.05f}, std::array{10.0f, 29.9f, 330.1f, 60.0f}}) {
        isolateFeatherZero({0.0f, 0.0f, 0.0f}, {359.9f, 0.1f, 10.0f});
        featherSpin[0] = {75.0f, -75.0f, 5.0f};
        advanceFeather(0, {0.0f, 0.0f, 0.0f, 0.0f}, a[0]);
        const float got[] = {featherAngle[0].x, featherAngle[0].y, featherAngle[0].z};
        for (int k = 0; k < 3; ++k)
            EXPECT_NEAR(got[k], a[k + 1], 1e-3) << a[0] << " s, x y z: " << k;
    }
}

// Feather 0 five units ahead, unturned, bent by 0.5, drawn in feedback mode under an orthographic
// box of +-10 on a 20-pixel viewport, so window coordinates are object coordinates plus 10.
TEST(FeatherPass, FeatherIsACurvedStripDrawnWhereItStoodThenAdvanced) {
    ensureGlWindow();
    isolateFeatherZero({0.0f, 0.0f, -5.0f}, {0.0f, 0.0f, 0.0f});
    featherSpin[0] = {60.0f, 0.0f, 0.0f};
    featherBend[0] = 0.5f;
    featherColor[0] = {0.25f, 1.0f, 0.5f};
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-10, 10, -10, 10, -10, 10);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glViewport(0, 0, 20, 20);
    glDisable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ZERO);
    std::vector<GLfloat> buffer(4096);
    glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_3D_COLOR_TEXTURE, buffer.data());
    glRenderMode(GL_FEEDBACK);
    g_time = 0.0;
    g_deltaTime = 1.0;
    drawFeathers();
    const GLint used = glRenderMode(GL_RENDER);
    // Blending is off again after the feathers, with their function left as set.
    GLint blend[2] = {0, 0};
    glGetIntegerv(GL_BLEND_SRC, &blend[0]);
    glGetIntegerv(GL_BLEND_DST, &blend[1]);
    EXPECT_EQ(std::tuple(glIsEnabled(GL_BLEND), blend[0], blend[1]),
              std::tuple(GLboolean{GL_FALSE}, GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA));

    std::vector<GatheredVertex> strip;
    for (GLint i = 0; i < used; i += 2 + 3 * 11) {
        ASSERT_EQ(std::tuple(buffer[i], buffer[i + 1]), std::tuple(GL_POLYGON_TOKEN, 3.0f));
        for (const GLfloat* v = &buffer[i + 2]; v < &buffer[i + 2 + 3 * 11]; v += 11) {
            strip.push_back(
                {v[0] - 10, v[1] - 10, (0.5f - v[2]) * 20, v[7], v[8], v[3], v[4], v[5]});
        }
    }
    EXPECT_EQ(offTheStrip(strip, 0.5), 0) << "vertices off the strip (-1: not its triangles)";
    EXPECT_GT(offTheStrip(strip, 0.75), 0) << "control: the same strip judged for another bend";
    // Advanced after drawing: turned by 60 degrees and drifted by sin(120 degrees) along x.
    EXPECT_NEAR(featherAngle[0].x, 60.0f, 1e-4);
    EXPECT_NEAR(featherPosition[0].x, std::sqrt(3.0) / 2.0, 1e-6);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
