#include "web/gl/matrices.h"

#include <cmath>

namespace {

const double DEGREES_TO_RADIANS = 3.14159265358979323846 / 180.0;
// Where x, y and z go: the last column's top three, or the diagonal's first three.
const int TRANSLATION_ELEMENTS[3] = {12, 13, 14};
const int DIAGONAL_ELEMENTS[3] = {0, 5, 10};

Matrix4 identityWith(const int (&elements)[3], float x, float y, float z) {
    Matrix4 matrix = identityMatrix();
    matrix.m[elements[0]] = x;
    matrix.m[elements[1]] = y;
    matrix.m[elements[2]] = z;
    return matrix;
}

} // namespace

Matrix4 identityMatrix() {
    Matrix4 identity{};
    identity.m[0] = identity.m[5] = identity.m[10] = identity.m[15] = 1.0f;
    return identity;
}

Matrix4 multiplyMatrices(const Matrix4& a, const Matrix4& b) {
    Matrix4 product{};
    for (int column = 0; column < 4; ++column) {
        for (int row = 0; row < 4; ++row) {
            float sum = 0.0f;
            for (int k = 0; k < 4; ++k) {
                sum += a.m[k * 4 + row] * b.m[column * 4 + k];
            }
            product.m[column * 4 + row] = sum;
        }
    }
    return product;
}

Matrix4 translationMatrix(float x, float y, float z) {
    return identityWith(TRANSLATION_ELEMENTS, x, y, z);
}

Matrix4 rotationMatrix(float degrees, float x, float y, float z) {
    const double length = std::sqrt(double(x) * x + double(y) * y + double(z) * z);
    if (length == 0.0) {
        return identityMatrix();
    }
    const double ux = x / length, uy = y / length, uz = z / length;
    const double c = std::cos(degrees * DEGREES_TO_RADIANS);
    const double s = std::sin(degrees * DEGREES_TO_RADIANS);
    const double t = 1.0 - c;
    const double rows[3][3] = {{ux * ux * t + c, ux * uy * t - uz * s, ux * uz * t + uy * s},
                               {uy * ux * t + uz * s, uy * uy * t + c, uy * uz * t - ux * s},
                               {ux * uz * t - uy * s, uy * uz * t + ux * s, uz * uz * t + c}};
    Matrix4 rotation = identityMatrix();
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column) {
            rotation.m[column * 4 + row] = static_cast<float>(rows[row][column]);
        }
    }
    return rotation;
}

Matrix4 scalingMatrix(float x, float y, float z) {
    return identityWith(DIAGONAL_ELEMENTS, x, y, z);
}

Matrix4 perspectiveMatrix(double fovyDegrees, double aspect, double zNear, double zFar) {
    const double halfAngle = fovyDegrees / 2.0 * DEGREES_TO_RADIANS;
    const double cotangent = std::cos(halfAngle) / std::sin(halfAngle);
    const double depth = zFar - zNear;
    Matrix4 perspective{};
    perspective.m[0] = static_cast<float>(cotangent / aspect);
    perspective.m[5] = static_cast<float>(cotangent);
    perspective.m[10] = static_cast<float>(-(zFar + zNear) / depth);
    perspective.m[11] = -1.0f;
    perspective.m[14] = static_cast<float>(-2.0 * zNear * zFar / depth);
    return perspective;
}

void transformPoint(const Matrix4& matrix, float x, float y, float z, float out[3]) {
    const float* m = matrix.m;
    for (int row = 0; row < 3; ++row) {
        out[row] = m[row] * x + m[4 + row] * y + m[8 + row] * z + m[12 + row];
    }
}

Matrix4& topMatrix(MatrixStack& stack) {
    return stack.levels[stack.top];
}

void resetStack(MatrixStack& stack) {
    stack.top = 0;
    stack.levels[0] = identityMatrix();
}

bool pushMatrix(MatrixStack& stack) {
    if (stack.top + 1 >= MATRIX_STACK_DEPTH) {
        return false;
    }
    stack.levels[stack.top + 1] = stack.levels[stack.top];
    ++stack.top;
    return true;
}

bool popMatrix(MatrixStack& stack) {
    if (stack.top == 0) {
        return false;
    }
    --stack.top;
    return true;
}

void multiplyTop(MatrixStack& stack, const Matrix4& by) {
    topMatrix(stack) = multiplyMatrices(topMatrix(stack), by);
}
