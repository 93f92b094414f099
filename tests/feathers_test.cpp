#include "app/frame_time.h"
#include "feather_strip.h"
#include "feather_table.h"
#include "gl_test_support.h"
#include "scene/feather_pass.h"

#include <fstream>
#include <iterator>
#include <tuple>

// Every stored value carries the bits tests/reference/feather_field.py computes independently.
TEST(FeatherField, EveryValueMatchesTheIndependentReferenceBitForBit) {
    std::ifstream reference(std::string(PLUME_TESTS_DIR) + "/reference/feather_field.txt");
    const std::string expected{std::istreambuf_iterator<char>(reference), {}};
    EXPECT_EQ(featherTable(), expected); // a failure shows the differing lines
}

// Feather 0 alone, bent by 0.5, spinning about x, in feedback mode under an orthographic box of
// +-10 on a 20-pixel viewport, so window coordinates are object coordinates plus 10.
TEST(FeatherPass, FeatherIsACurvedStripDrawnWhereItStoodThenAdvanced) {
    ensureGlWindow();
    randomState = RANDOM_START_STATE, createFeathers();
    std::fill(featherPosition, featherPosition + FEATHER_COUNT, Vec3{1.0e5f, 1.0e5f, 1.0e5f});
    featherPosition[0] = {0.0f, 0.0f, -5.0f}, featherAngle[0] = {0.0f, 0.0f, 0.0f};
    featherSpin[0] = {60.0f, 0.0f, 0.0f}, featherScale[0] = 1.0f, featherBend[0] = 0.5f;
    featherColor[0] = {0.25f, 1.0f, 0.5f};
    glMatrixMode(GL_PROJECTION), glLoadIdentity(), glOrtho(-10, 10, -10, 10, -10, 10);
    glMatrixMode(GL_MODELVIEW), glLoadIdentity(), glViewport(0, 0, 20, 20);
    glDisable(GL_BLEND), glBlendFunc(GL_ONE, GL_ZERO);
    std::vector<GLfloat> buffer(4096);
    glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_3D_COLOR_TEXTURE, buffer.data());
    glRenderMode(GL_FEEDBACK), g_time = 0.0, g_deltaTime = 1.0, drawFeathers();
    const GLint used = glRenderMode(GL_RENDER);
    // Blending is off again after the feathers, with their function left as set.
    GLint blend[2] = {0, 0};
    glGetIntegerv(GL_BLEND_SRC, &blend[0]), glGetIntegerv(GL_BLEND_DST, &blend[1]);
    EXPECT_EQ(std::tuple(glIsEnabled(GL_BLEND), blend[0], blend[1]),
              std::tuple(GLboolean{GL_FALSE}, GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA));

    std::vector<GatheredVertex> strip;
    for (GLint i = 0; i < used; i += 2 + 3 * 11) {
        ASSERT_EQ(std::tuple(buffer[i], buffer[i + 1]), std::tuple(GL_POLYGON_TOKEN, 3.0f));
        for (const GLfloat* v = &buffer[i + 2]; v < &buffer[i + 2 + 3 * 11]; v += 11)
            strip.push_back(
                {v[0] - 10, v[1] - 10, (0.5f - v[2]) * 20, v[7], v[8], v[3], v[4], v[5]});
    }
    EXPECT_EQ(offTheStrip(strip, 0.5), 0) << "vertices off the strip (-1: not its triangles)";
    EXPECT_GT(offTheStrip(strip, 0.75), 0) << "control: the same strip judged for another bend";
    // Advanced after drawing: turned by 60 degrees and drifted by sin(120 degrees) along x.
    EXPECT_NEAR(featherAngle[0].x, 60.0f, 1e-4);
    EXPECT_NEAR(featherPosition[0].x, std::sqrt(3.0) / 2.0, 1e-6);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
