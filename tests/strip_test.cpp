#include "gl_test_support.h"
#include "scene/strip.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

namespace {

// One vertex as OpenGL's feedback mode reports it, mapped back to object coordinates.
struct FedVertex {
    double x, y, z;
    double s, t;
};

constexpr double ORTHO_HALF = 4.0;
constexpr int FLOATS_PER_VERTEX = 3 + 4 + 4; // position, colour, texture coordinates

// Draws the strip in feedback mode under an orthographic box of +-4 and returns the triangles'
// vertices in the order OpenGL reports them.
std::vector<std::vector<FedVertex>> feedbackTriangles(Vec3 a0, Vec3 a1, Vec3 a2, Vec3 b0, Vec3 b1,
                                                      Vec3 b2) {
    ensureGlWindow();
    glViewport(0, 0, 8, 8);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-ORTHO_HALF, ORTHO_HALF, -ORTHO_HALF, ORTHO_HALF, -ORTHO_HALF, ORTHO_HALF);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();

    std::vector<GLfloat> buffer(4096);
    glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_3D_COLOR_TEXTURE, buffer.data());
    glRenderMode(GL_FEEDBACK);
    drawCurvedStrip(a0, a1, a2, b0, b1, b2);
    const GLint used = glRenderMode(GL_RENDER);

    std::vector<std::vector<FedVertex>> triangles;
    for (GLint i = 0; i < used;) {
        EXPECT_EQ(buffer[i], GL_POLYGON_TOKEN);
        const int count = static_cast<int>(buffer[i + 1]);
        i += 2;
        std::vector<FedVertex> polygon;
        for (int v = 0; v < count; ++v, i += FLOATS_PER_VERTEX) {
            const GLfloat* f = &buffer[i];
            // Window x = x + 4 with an 8-pixel viewport; depth is flipped and halved by glOrtho.
            polygon.push_back({f[0] - ORTHO_HALF, f[1] - ORTHO_HALF,
                               (0.5 - f[2]) * 2.0 * ORTHO_HALF, f[7], f[8]});
        }
        triangles.push_back(polygon);
    }
    return triangles;
}

} // namespace

TEST(CurvedStrip, IsSixteenVerticesStoppingShortOfTheCurveEnds) {
    const auto triangles = feedbackTriangles({0, -1, 0}, {0, 0, 0.5f}, {0, 1, 0}, {0.5f, -1, 0},
                                             {0.5f, 0, 0.5f}, {0.5f, 1, 0});
    ASSERT_EQ(triangles.size(), 14u) << "a strip of 16 vertices makes 14 triangles";

    // Every vertex lies on its edge's curve at u = row / 8, with texture row v = row / 7.
    for (const auto& triangle : triangles) {
        ASSERT_EQ(triangle.size(), 3u);
        for (const FedVertex& v : triangle) {
            const double row = (v.y + 1.0) * 4.0; // the curve's y is 2u - 1
            EXPECT_NEAR(row, std::round(row), 1e-4);
            const double u = std::round(row) / 8.0;
            EXPECT_NEAR(v.z, 2.0 * u * (1.0 - u) * 0.5, 1e-4);
            EXPECT_NEAR(v.t, std::round(row) / 7.0, 1e-6);
            EXPECT_EQ(v.s, v.x < 0.25 ? 0.0 : 1.0);
            EXPECT_NEAR(v.x, v.s * 0.5, 1e-4);
        }
    }
    const FedVertex& first = triangles.front()[0];
    EXPECT_NEAR(first.x, 0.0, 1e-4);
    EXPECT_NEAR(first.y, -1.0, 1e-4);
    EXPECT_NEAR(first.z, 0.0, 1e-4);
    EXPECT_EQ(first.t, 0.0);

    // The last left vertex: u = 0.875, not 1.
    bool foundLastLeft = false;
    for (const FedVertex& v : triangles.back()) {
        if (v.s == 0.0 && v.t == 1.0) {
            foundLastLeft = true;
            EXPECT_NEAR(v.x, 0.0, 1e-4);
            EXPECT_NEAR(v.y, 0.75, 1e-4);
            EXPECT_NEAR(v.z, 0.109375, 1e-4);
        }
    }
    EXPECT_TRUE(foundLastLeft);
}
