// The browser layer's matrices and gathered triangles, held against the desktop's real OpenGL:
// the same calls must give the same matrices, and the triangles the same pixels as the
// primitives they stand for.
#include "gl_test_support.h"
#include "web/gl/matrices.h"
#include "web/gl/vertices.h"

namespace {

struct MatrixStep {
    char kind; // t translate, r rotate, s scale, p perspective
    float a, b, c, d;
};

// Applies the step to OpenGL's current matrix and returns the layer's matrix for it.
Matrix4 appliedToBoth(const MatrixStep& s) {
    switch (s.kind) {
    case 't':
        return glTranslatef(s.a, s.b, s.c), translationMatrix(s.a, s.b, s.c);
    case 'r':
        return glRotatef(s.a, s.b, s.c, s.d), rotationMatrix(s.a, s.b, s.c, s.d);
    case 's':
        return glScalef(s.a, s.b, s.c), scalingMatrix(s.a, s.b, s.c);
    default:
        return gluPerspective(s.a, s.b, s.c, s.d), perspectiveMatrix(s.a, s.b, s.c, s.d);
    }
}

TEST(WebLayerMatrices, TheSameAsOpenGLs) {
    const std::vector<std::vector<MatrixStep>> cases = {
        {{'r', -25.0f, 1, 0, 0}, {'r', 137.5f, 0, 1, 0}, {'r', 30.0f, 0, 0, 1}},
        {{'t', 0, 0, -9.5f, 0},
         {'r', 400.0f, 1, 0, 0},
         {'t', 3, -2, 1, 0},
         {'s', 0.7f, 0.7f, 0.7f, 0}},
        {{'r', 73.0f, 1, 2, 3}, {'s', 2, -1, 0.5f, 0}, {'r', -10.0f, 0, 0, 4}},
        {{'p', 65.0f, 640.0f / 480.0f, 0.1f, 200.0f}, {'t', 1, 2, 3, 0}}};
    ensureGlWindow();
    for (const auto& steps : cases) {
        MatrixStack stack;
        glMatrixMode(GL_MODELVIEW), glLoadIdentity(), resetStack(stack);
        for (const MatrixStep& step : steps)
            multiplyTop(stack, appliedToBoth(step));
        GLfloat gl[16];
        glGetFloatv(GL_MODELVIEW_MATRIX, gl);
        for (int i = 0; i < 16; ++i)
            EXPECT_NEAR(topMatrix(stack).m[i], gl[i], 1e-5 * (1.0 + std::fabs(gl[i])))
                << "element " << i << " after " << steps.size() << " steps";
    }
    glLoadIdentity();
}

TEST(WebLayerMatrices, StackFullAndEmptyWhereOpenGLsIs) {
    ensureGlWindow();
    glMatrixMode(GL_MODELVIEW);
    while (glGetError() != GL_NO_ERROR)
        continue;
    MatrixStack stack;
    resetStack(stack);
    int glPushes = 0, layerPushes = 0;
    while (glPushes < 100 && (glPushMatrix(), glGetError() != GL_STACK_OVERFLOW))
        ++glPushes;
    while (pushMatrix(stack))
        ++layerPushes;
    EXPECT_EQ(layerPushes, glPushes);
    for (int i = 0; i < glPushes; ++i) {
        glPopMatrix();
        EXPECT_TRUE(popMatrix(stack));
    }
    EXPECT_FALSE(popMatrix(stack));
    EXPECT_EQ(glGetError(), GL_NO_ERROR);
}

struct Primitive {
    PrimitiveShape shape;
    std::vector<GatheredVertex> corners;
};

// The primitives as OpenGL draws them, or as the layer's triangles; the window's pixels.
RgbImage drawn(const std::vector<Primitive>& primitives, bool gathered) {
    clearGathered();
    glClear(GL_COLOR_BUFFER_BIT);
    for (const Primitive& primitive : primitives) {
        if (gathered)
            beginGathering();
        else
            glBegin(primitive.shape == PrimitiveShape::Quads ? GL_QUADS : GL_TRIANGLE_STRIP);
        for (const GatheredVertex& v : primitive.corners)
            gathered ? void(gatherVertex(v))
                     : (glColor3f(v.r, v.g, v.b), glVertex3f(v.x, v.y, v.z));
        gathered ? void(endGathering(primitive.shape)) : glEnd();
    }
    if (gathered) {
        glEnableClientState(GL_VERTEX_ARRAY), glEnableClientState(GL_COLOR_ARRAY);
        glVertexPointer(3, GL_FLOAT, sizeof(GatheredVertex), &gatheredVertices()->x);
        glColorPointer(3, GL_FLOAT, sizeof(GatheredVertex), &gatheredVertices()->r);
        glDrawElements(GL_TRIANGLES, gatheredIndexCount(), GL_UNSIGNED_SHORT, gatheredIndices());
        glDisableClientState(GL_COLOR_ARRAY), glDisableClientState(GL_VERTEX_ARRAY);
    }
    return readFrame(WINDOW_WIDTH, WINDOW_HEIGHT);
}

// Overlapping, in shaded colours, with a quad's stray fifth corner and a strip too short to
// draw, which OpenGL ignores: the triangles must cover the same pixels in the same order.
TEST(WebLayerVertices, TrianglesDrawWhatThePrimitivesDraw) {
    const GatheredVertex a{-0.9f, -0.8f, 0, 0, 0, 1, 0, 0}, b{0.7f, -0.9f, 0, 0, 0, 0, 1, 0};
    const GatheredVertex c{0.8f, 0.6f, 0, 0, 0, 0, 0, 1}, d{-0.6f, 0.9f, 0, 0, 0, 1, 1, 0};
    const GatheredVertex e{-0.2f, -0.3f, 0, 0, 0, 0, 1, 1}, f{0.3f, 0.1f, 0, 0, 0, 1, 0, 1};
    const std::vector<Primitive> primitives = {
        {PrimitiveShape::Quads, {a, b, c, d, e}},
        {PrimitiveShape::TriangleStrip, {e, f, d, a, b, f}},
        {PrimitiveShape::TriangleStrip, {c, a}},
        {PrimitiveShape::Quads, {f, c, d, e, a, b, c, d}},
    };
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
    clearGathered();
    beginGathering();
    for (int i = 0; i < MAX_FRAME_VERTICES - 2; ++i)
        ASSERT_TRUE(gatherVertex(corner));
    EXPECT_TRUE(endGathering(PrimitiveShape::TriangleStrip));
    const int indices = gatheredIndexCount();
    EXPECT_EQ(indices, (MAX_FRAME_VERTICES - 4) * 3);
    beginGathering();
    bool accepted = true;
    for (int i = 0; i < 4; ++i)
        accepted = gatherVertex(corner) && accepted;
    EXPECT_FALSE(accepted);
    EXPECT_FALSE(endGathering(PrimitiveShape::Quads));
    EXPECT_EQ(gatheredVertexCount(), MAX_FRAME_VERTICES - 2);
    EXPECT_EQ(gatheredIndexCount(), indices);
    for (int i = 0; i < indices; ++i)
        ASSERT_LT(gatheredIndices()[i], MAX_FRAME_VERTICES - 2);
    clearGathered();
    EXPECT_EQ(gatheredVertexCount() + gatheredIndexCount(), 0);
}

} // namespace
