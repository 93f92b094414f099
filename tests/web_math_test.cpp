// The browser layer's matrices and triangles against real OpenGL: the same calls must give the
// same matrices, and the triangles the same pixels as the primitives they stand for.
#include "gl_test_support.h"
#include "web/gl/matrices.h"
#include "web/gl/vertices.h"

#include <tuple>

namespace {

// A perspective, then a translation, rotations about an uneven axis, about x past a turn and
// about z by an axis to be normalised, and an uneven scaling, on both.
TEST(WebLayerMatrices, TheSameAsOpenGLs) {
    ensureGlWindow();
    glMatrixMode(GL_MODELVIEW), glLoadIdentity();
    gluPerspective(65.0, 640.0 / 480.0, 0.1, 200.0), glTranslatef(3, -2, 1);
    glRotatef(73, 1, 2, 3), glScalef(2, -1, 0.5f), glRotatef(400, 1, 0, 0), glRotatef(-10, 0, 0, 4);
    MatrixStack stack;
    resetStack(stack);
    for (const Matrix4& step :
         {perspectiveMatrix(65.0, 640.0 / 480.0, 0.1, 200.0), translationMatrix(3, -2, 1),
          rotationMatrix(73, 1, 2, 3), scalingMatrix(2, -1, 0.5f), rotationMatrix(400, 1, 0, 0),
          rotationMatrix(-10, 0, 0, 4)})
        multiplyTop(stack, step);
    GLfloat gl[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, gl), glLoadIdentity();
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(topMatrix(stack).m[i], gl[i], 1e-5 * (1.0 + std::fabs(gl[i])))
            << "element " << i;
}

TEST(WebLayerMatrices, StackFullAndEmptyWhereOpenGLsIs) {
    ensureGlWindow();
    GLint depth = 0;
    glGetIntegerv(GL_MAX_MODELVIEW_STACK_DEPTH, &depth);
    MatrixStack stack;
    resetStack(stack);
    int pushes = 0, pops = 0;
    while (pushMatrix(stack))
        ++pushes;
    while (popMatrix(stack))
        ++pops;
    EXPECT_EQ(std::pair(pushes, pops), std::pair(depth - 1, depth - 1)) << depth << " deep";
}

struct Primitive {
    PrimitiveShape shape;
    std::vector<GatheredVertex> corners;
};

// The primitives as OpenGL draws them, or as the layer's triangles; the window's pixels.
RgbImage drawn(const std::vector<Primitive>& primitives, bool gathered) {
    clearGathered(), glClear(GL_COLOR_BUFFER_BIT);
    for (const auto& [shape, corners] : primitives) {
        gathered ? beginGathering()
                 : glBegin(shape == PrimitiveShape::Quads ? GL_QUADS : GL_TRIANGLE_STRIP);
        for (const GatheredVertex& v : corners)
            gathered ? void(gatherVertex(v))
                     : (glColor3f(v.r, v.g, v.b), glVertex3f(v.x, v.y, v.z));
        gathered ? void(endGathering(shape)) : glEnd();
    }
    glEnableClientState(GL_VERTEX_ARRAY), glEnableClientState(GL_COLOR_ARRAY);
    glVertexPointer(3, GL_FLOAT, sizeof(GatheredVertex), &gatheredVertices()->x);
    glColorPointer(3, GL_FLOAT, sizeof(GatheredVertex), &gatheredVertices()->r);
    glDrawElements(GL_TRIANGLES, gatheredIndexCount(), GL_UNSIGNED_SHORT, gatheredIndices());
    glDisableClientState(GL_COLOR_ARRAY), glDisableClientState(GL_VERTEX_ARRAY);
    return readFrame(WINDOW_WIDTH, WINDOW_HEIGHT);
}

// Overlapping, in shaded colours, with a quad's stray fifth corner and a strip too short to
// draw, which OpenGL ignores: the triangles must cover the same pixels in the same order.
TEST(WebLayerVertices, TrianglesDrawWhatThePrimitivesDraw) {
    const GatheredVertex a{-0.9f, -0.8f, 0, 0, 0, 1, 0, 0}, b{0.7f, -0.9f, 0, 0, 0, 0, 1, 0};
    const GatheredVertex c{0.8f, 0.6f, 0, 0, 0, 0, 0, 1}, d{-0.6f, 0.9f, 0, 0, 0, 1, 1, 0};
    const GatheredVertex e{-0.2f, -0.3f, 0, 0, 0, 0, 1, 1}, f{0.3f, 0.1f, 0, 0, 0, 1, 0, 1};
    const std::vector<Primitive> primitives = {{PrimitiveShape::Quads, {a, b, c, d, e}},
                                               {PrimitiveShape::TriangleStrip, {e, f, d, a, b, f}},
                                               {PrimitiveShape::TriangleStrip, {c, a}},
                                               {PrimitiveShape::Quads, {f, c, d, e, a, b, c, d}}};
    ensureGlWindow();
    glMatrixMode(GL_PROJECTION), glLoadIdentity(), glMatrixMode(GL_MODELVIEW), glLoadIdentity();
    glDisable(GL_DEPTH_TEST), glDisable(GL_TEXTURE_2D);
    const RgbImage immediate = drawn(primitives, false), gathered = drawn(primitives, true);
    EXPECT_EQ(gatheredIndexCount(), (2 + 4 + 0 + 4) * 3); // triangles of each primitive
    std::size_t differing = 0;
    for (std::size_t i = 0; i < immediate.pixels.size(); ++i)
        differing += std::abs(immediate.pixels[i] - gathered.pixels[i]) > 1;
    EXPECT_EQ(differing, 0u);
}

// A frame fuller than the sixteen-bit indices reach drops the primitive that does not fit,
// whole, and keeps every index inside the frame's vertices.
TEST(WebLayerVertices, APrimitiveBeyondTheFrameIsDroppedWhole) {
    const GatheredVertex corner{0, 0, 0, 0, 0, 1, 1, 1};
    clearGathered(), beginGathering();
    for (int i = 0; i < MAX_FRAME_VERTICES - 2; ++i)
        ASSERT_TRUE(gatherVertex(corner));
    EXPECT_TRUE(endGathering(PrimitiveShape::TriangleStrip));
    const int indices = gatheredIndexCount();
    EXPECT_EQ(indices, (MAX_FRAME_VERTICES - 4) * 3);
    beginGathering();
    int accepted = 0;
    for (int i = 0; i < 4; ++i)
        accepted += gatherVertex(corner);
    EXPECT_FALSE(accepted == 4 || endGathering(PrimitiveShape::Quads)) << accepted << " corners";
    EXPECT_EQ(std::pair(gatheredVertexCount(), gatheredIndexCount()),
              std::pair(MAX_FRAME_VERTICES - 2, indices));
    EXPECT_EQ(*std::max_element(gatheredIndices(), gatheredIndices() + indices),
              MAX_FRAME_VERTICES - 3);
    clearGathered();
    EXPECT_EQ(gatheredVertexCount() + gatheredIndexCount(), 0);
}

} // namespace
