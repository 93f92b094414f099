#include "app/camera.h"
#include "app/frame.h"
#include "gl_test_support.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr double PI = 3.14159265358979323846;

class CameraTest : public ::testing::Test {
  protected:
    void SetUp() override { ensureGlWindow(); }
};

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

void expectViewport(int width, int height) {
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[0], 0);
    EXPECT_EQ(viewport[1], 0);
    EXPECT_EQ(viewport[2], width);
    EXPECT_EQ(viewport[3], height);
}

// Where the current model-view matrix puts a point, in eye coordinates.
void transformPoint(const Matrix4& m, const double in[3], double out[3]) {
    for (int row = 0; row < 3; ++row) {
        out[row] = m.m[row] * in[0] + m.m[4 + row] * in[1] + m.m[8 + row] * in[2] + m.m[12 + row];
    }
}

} // namespace

TEST_F(CameraTest, ReshapeKeepsTheFieldOfViewAndFollowsTheAspect) {
    reshape(800, 600);
    expectViewport(800, 600);
    expectMatrixNear(readMatrix(GL_PROJECTION_MATRIX), perspective(65.0, 800.0 / 600.0, 0.1, 200.0),
                     1e-6);
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    Matrix4 identity{};
    identity.m[0] = identity.m[5] = identity.m[10] = identity.m[15] = 1.0;
    expectMatrixNear(readMatrix(GL_MODELVIEW_MATRIX), identity, 0.0);
}

TEST_F(CameraTest, ZeroHeightGivesAFiniteProjection) {
    reshape(640, 0);
    expectViewport(640, 0);
    const Matrix4 projection = readMatrix(GL_PROJECTION_MATRIX);
    for (double value : projection.m) {
        EXPECT_TRUE(std::isfinite(value));
    }
    expectMatrixNear(projection, perspective(65.0, 640.0, 0.1, 200.0), 1e-6);
}

TEST(CameraMotion, PitchRollAndDollyFollowTheClock) {
    EXPECT_EQ(cameraPitchAt(0.0), -25.0f);
    EXPECT_EQ(cameraRollAt(0.0), 0.0f);
    EXPECT_EQ(cameraDollyAt(0.0), 10.0f);
    const double halfDollyPeriod = 5.0 * PI;
    EXPECT_FLOAT_EQ(cameraPitchAt(halfDollyPeriod),
                    static_cast<float>(std::sin(1.35 * PI) * 50 - 25));
    EXPECT_FLOAT_EQ(cameraRollAt(halfDollyPeriod), static_cast<float>(std::sin(0.9 * PI) * 45));
    EXPECT_FLOAT_EQ(cameraDollyAt(halfDollyPeriod), -10.0f);
}

TEST_F(CameraTest, RotationIsPitchThenYawThenRoll) {
    g_yaw = 30.0f;
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    rotateCamera(-25.0f, 40.0f);
    const Matrix4 m = readMatrix(GL_MODELVIEW_MATRIX);
    // The roll turns about the view's own z after pitch and yaw: the z axis of the scene maps to
    // Rx(pitch) Ry(yaw) applied to z, whatever the roll.
    const double zAxis[3] = {0.0, 0.0, 1.0};
    double mapped[3];
    transformPoint(m, zAxis, mapped);
    const double yaw = 30.0 * PI / 180.0;
    const double pitch = -25.0 * PI / 180.0;
    EXPECT_NEAR(mapped[0], std::sin(yaw), 1e-6);
    EXPECT_NEAR(mapped[1], -std::sin(pitch) * std::cos(yaw), 1e-6);
    EXPECT_NEAR(mapped[2], std::cos(pitch) * std::cos(yaw), 1e-6);
    g_yaw = 0.0f;
}

TEST(CameraMotion, YawWrapsIntoAFullTurnAndKeepsItsSpeed) {
    g_yaw = 359.99f;
    advanceYaw(0.002);
    EXPECT_NEAR(g_yaw, 0.02f, 1e-4);
    EXPECT_GE(g_yaw, 0.0f);

    // Ten hours at a thousand frames a second: an unwrapped float would stop turning long before.
    g_yaw = 0.0f;
    constexpr int FRAMES = 36000000;
    for (int frame = 0; frame < FRAMES; ++frame) {
        advanceYaw(0.001);
    }
    const float before = g_yaw;
    for (int frame = 0; frame < 1000; ++frame) {
        advanceYaw(0.001);
        ASSERT_GE(g_yaw, 0.0f);
        ASSERT_LT(g_yaw, 360.0f);
    }
    const double turned = std::fmod(g_yaw - before + 360.0, 360.0);
    EXPECT_NEAR(turned, YAW_DEGREES_PER_SECOND * 1.0, 0.05);
    g_yaw = 0.0f;
}
