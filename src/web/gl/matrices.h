// The fixed-function matrices as the browser's layer keeps them: column-major 4x4 floats, as
// OpenGL stores them, and the two stacks that the matrix calls work on. No OpenGL here, so the
// desktop's tests can hold it against a real one.
#pragma once

struct Matrix4 {
    float m[16]; // column-major: m[column * 4 + row]
};

// What OpenGL guarantees at least for the model-view stack; the projection stack gets as many.
constexpr int MATRIX_STACK_DEPTH = 32;

struct MatrixStack {
    Matrix4 levels[MATRIX_STACK_DEPTH];
    int top = 0;
};

Matrix4 identityMatrix();
// a · b, as glMultMatrix applies b to the current matrix a.
Matrix4 multiplyMatrices(const Matrix4& a, const Matrix4& b);
Matrix4 translationMatrix(float x, float y, float z);
// The rotation glRotatef defines: `degrees` about the axis (x, y, z), normalised first.
Matrix4 rotationMatrix(float degrees, float x, float y, float z);
Matrix4 scalingMatrix(float x, float y, float z);
// gluPerspective's matrix, computed in double precision as GLU does.
Matrix4 perspectiveMatrix(double fovyDegrees, double aspect, double zNear, double zFar);

// (x, y, z, 1) through `matrix`, whose last row is (0, 0, 0, 1): translations, rotations and
// scalings keep it so, and the model-view matrix is made of nothing else.
void transformPoint(const Matrix4& matrix, float x, float y, float z, float out[3]);

// The current matrix of a stack, and its operations; push and pop return false where OpenGL
// would raise a stack overflow or underflow, leaving the stack as it was.
Matrix4& topMatrix(MatrixStack& stack);
void resetStack(MatrixStack& stack);
bool pushMatrix(MatrixStack& stack);
bool popMatrix(MatrixStack& stack);
void multiplyTop(MatrixStack& stack, const Matrix4& by);
