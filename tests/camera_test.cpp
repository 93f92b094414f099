#include "app/camera.h"
#include "app/frame.h"
#include "gl_test_support.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <tuple>

TEST(Camera, ReshapeSetsViewportPerspectiveAndAFreshModelviewEvenAtZeroHeight) {
    ensureGlWindow();
    // {width, height, x scale}: 65 degrees tall, so the y scale is 1 / tan(32.5 degrees); height
    // 0 must not divide by zero, and the aspect falls back to the width over one.
    for (const auto& c :
         {std::array{800.0, 600.0, 1.17726418}, std::array{640.0, 0.0, 0.00245263371}}) {
        glMatrixMode(GL_MODELVIEW);
        glTranslatef(1.0f, 2.0f, 3.0f);
        reshape(static_cast<int>(c[0]), static_cast<int>(c[1]));
        GLint viewport[4], mode = 0;
        glGetIntegerv(GL_VIEWPORT, viewport);
        glGetIntegerv(GL_MATRIX_MODE, &mode);
        EXPECT_EQ(std::tuple(viewport[2], viewport[3], mode),
                  std::tuple(int(c[0]), int(c[1]), GL_MODELVIEW));
        // The projection, two columns a line, for planes at 0.1 and 200.
        const GLdouble expected[16] = {c[2], 0, 0,          0,    0, 1.56968558, 0,           0,
                                       0,    0, -1.0010005, -1.0, 0, 0,          -0.20010005, 0};
        GLdouble actual[16], modelview[16];
        glGetDoublev(GL_PROJECTION_MATRIX, actual);
        glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
        for (int i = 0; i < 16; ++i) {
            EXPECT_NEAR(actual[i], expected[i], 1e-7) << "element " << i;
            EXPECT_EQ(modelview[i], i % 5 == 0 ? 1.0 : 0.0) << "element " << i;
        }
    }
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
