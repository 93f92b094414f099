// The browser layer's matrices and index bound; its triangles, through the recording WebGL.
#include "gl_test_support.h"
#include "web/gl/matrices.h"
#include "web/gl/vertices.h"

#include <tuple>

namespace {

// Each call on both, with uneven and unnormalised axes, an angle past a turn and uneven scaling.
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

// Past what sixteen-bit indices reach, the primitive that does not fit is dropped whole.
TEST(WebLayerVertices, APrimitiveBeyondTheFrameIsDroppedWhole) {
    const GatheredVertex corner{0, 0, 0, 0, 0, 1, 1, 1};
    clearGathered(), beginGathering();
    for (int i = 0; i < MAX_FRAME_VERTICES - 2; ++i)
        ASSERT_TRUE(gatherVertex(corner));
    EXPECT_TRUE(endGathering(PrimitiveShape::TriangleStrip));
    const int indices = gatheredIndexCount();
    beginGathering();
    int accepted = 0;
    for (int i = 0; i < 4; ++i)
        accepted += gatherVertex(corner);
    EXPECT_FALSE(accepted == 4 || endGathering(PrimitiveShape::Quads)) << accepted << " corners";
    EXPECT_EQ(std::pair(gatheredVertexCount(), gatheredIndexCount()),
              std::pair(MAX_FRAME_VERTICES - 2, indices));
    EXPECT_EQ(*std::max_element(gatheredIndices(), gatheredIndices() + indices),
              MAX_FRAME_VERTICES - 3);
}

} // namespace
