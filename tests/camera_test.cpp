#include "app/camera.h"
#include "app/frame.h"
#include "gl_test_support.h"

#include <gtest/gtest.h>

#include <array>
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

} // namespace

TEST(Camera, ReshapeSetsViewportPerspectiveAndAFreshModelviewEvenAtZeroHeight) {
    ensureGlWindow();
    // Height 0 must not divide by zero: the aspect falls back to the width over one.
    for (const auto& [width, height, aspect] :
         {std::tuple{800, 600, 800.0 / 600.0}, std::tuple{640, 0, 640.0}}) {
        glMatrixMode(GL_MODELVIEW);
        glTranslatef(1.0f, 2.0f, 3.0f);
        reshape(width, height);
        GLint viewport[4], mode = 0;
        glGetIntegerv(GL_VIEWPORT, viewport);
        glGetIntegerv(GL_MATRIX_MODE, &mode);
        EXPECT_EQ(std::tuple(viewport[2], viewport[3], mode),
                  std::tuple(width, height, GL_MODELVIEW));
        const Matrix4 projection = readMatrix(GL_PROJECTION_MATRIX);
        const Matrix4 expected = perspective(65.0, aspect, 0.1, 200.0);
        const Matrix4 modelview = readMatrix(GL_MODELVIEW_MATRIX);
        for (int i = 0; i < 16; ++i) {
            EXPECT_NEAR(projection.m[i], expected.m[i], 1e-6) << "element " << i;
            EXPECT_EQ(modelview.m[i], i % 5 == 0 ? 1.0 : 0.0) << "element " << i;
        }
    }
}

TEST(Camera, PitchRollAndDollyFollowTheClock) {
    // {t, pitch, roll, dolly}, worked out by hand.
    for (const auto& c :
         {std::array{0.0, -25.0, 0.0, 10.0}, std::array{2.0, 0.70679958, 15.852340, 9.2106099},
          std::array{10.0, -3.6310060, 43.823143, -4.1614684}}) {
        EXPECT_NEAR(cameraPitchAt(c[0]), c[1], 1e-5) << c[0];
        EXPECT_NEAR(cameraRollAt(c[0]), c[2], 1e-5) << c[0];
        EXPECT_NEAR(cameraDollyAt(c[0]), c[3], 1e-5) << c[0];
    }
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

TEST(Camera, YawTurnsAtItsSpeedAndStaysWithinATurn) {
    // {start, seconds, expected}: across 360, and across several turns in one step.
    for (const auto& c : {std::array{0.0f, 1.0f, 15.0f}, std::array{359.99f, 0.002f, 0.02f},
                          std::array{350.0f, 100.0f, 50.0f}}) {
        g_yaw = c[0];
        advanceYaw(c[1]);
        EXPECT_NEAR(g_yaw, c[2], 1e-3) << c[0] << " + " << c[1] << " s";
    }
    g_yaw = 0.0f;
}
