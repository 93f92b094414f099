#include "app/camera.h"
#include "app/frame.h"
#include "gl_test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

namespace {

constexpr double PI = 3.14159265358979323846;

// gluPerspective's matrix, written out from its definition.
Matrix4 perspective(double fovyDegrees, double aspect, double zNear, double zFar) {
    const double f = 1.0 / std::tan(fovyDegrees * PI / 360.0);
    Matrix4 m{};
    m.m[0] = f / aspect;
    m.m[5] = f;
    m.m[10] = (zFar + zNear) / (zNear - zFar);
    m.m[11] = -1.0;
    m.m[14] = 2.0 * zFar * zNear / (zNear - zFar);
    return m;
}

void expectMatrixNear(const Matrix4& actual, const Matrix4& expected, double tolerance) {
    for (int i = 0; i < 16; ++i) {
        EXPECT_NEAR(actual.m[i], expected.m[i], tolerance) << "element " << i;
    }
}

} // namespace

TEST(Camera, ReshapeSetsViewportAndPerspectiveEvenAtZeroHeight) {
    ensureGlWindow();
    // Height 0 must not divide by zero: the aspect falls back to the width over one.
    for (const auto& [width, height, aspect] :
         {std::tuple{800, 600, 800.0 / 600.0}, std::tuple{640, 0, 640.0}}) {
        reshape(width, height);
        GLint viewport[4];
        glGetIntegerv(GL_VIEWPORT, viewport);
        EXPECT_EQ(viewport[2], width);
        EXPECT_EQ(viewport[3], height);
        expectMatrixNear(readMatrix(GL_PROJECTION_MATRIX), perspective(65.0, aspect, 0.1, 200.0),
                         1e-6);
    }
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
}

TEST(Camera, PitchRollAndDollyFollowTheClock) {
    EXPECT_EQ(cameraPitchAt(0.0), -25.0f);
    EXPECT_EQ(cameraRollAt(0.0), 0.0f);
    EXPECT_EQ(cameraDollyAt(0.0), 10.0f);
    EXPECT_FLOAT_EQ(cameraPitchAt(5 * PI), static_cast<float>(std::sin(1.35 * PI) * 50 - 25));
    EXPECT_FLOAT_EQ(cameraRollAt(5 * PI), static_cast<float>(std::sin(0.9 * PI) * 45));
    EXPECT_FLOAT_EQ(cameraDollyAt(5 * PI), -10.0f);
}

TEST(Camera, RotationIsPitchThenYawThenRoll) {
    ensureGlWindow();
    g_yaw = 30.0f;
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    rotateCamera(-25.0f, 40.0f);
    g_yaw = 0.0f;
    // Roll turns about the view's own z last, so the scene's z axis maps to Rx(pitch) Ry(yaw) z
    // whatever the roll: the matrix's third column.
    const Matrix4 m = readMatrix(GL_MODELVIEW_MATRIX);
    const double yaw = 30.0 * PI / 180.0;
    const double pitch = -25.0 * PI / 180.0;
    EXPECT_NEAR(m.m[8], std::sin(yaw), 1e-6);
    EXPECT_NEAR(m.m[9], -std::sin(pitch) * std::cos(yaw), 1e-6);
    EXPECT_NEAR(m.m[10], std::cos(pitch) * std::cos(yaw), 1e-6);
}

TEST(Camera, YawWrapsIntoAFullTurnAndKeepsItsSpeed) {
    g_yaw = 359.99f;
    advanceYaw(0.002);
    EXPECT_NEAR(g_yaw, 0.02f, 1e-4);
    // Ten hours at a thousand frames a second: an unwrapped float would stop turning long before.
    g_yaw = 0.0f;
    for (int frame = 0; frame < 36000000; ++frame) {
        advanceYaw(0.001);
    }
    const float before = g_yaw;
    for (int frame = 0; frame < 1000; ++frame) {
        advanceYaw(0.001);
        ASSERT_GE(g_yaw, 0.0f);
        ASSERT_LT(g_yaw, 360.0f);
    }
    EXPECT_NEAR(std::fmod(g_yaw - before + 360.0, 360.0), YAW_DEGREES_PER_SECOND, 0.05);
    g_yaw = 0.0f;
}
