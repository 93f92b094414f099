#include "scene/strip.h"

#include "platform.h"

namespace {

// The curve parameter steps by an eighth, so the last row stops at 0.875, short of the ends,
// while the texture row still reaches 1 there.
constexpr float CURVE_STEP = 0.125f;

constexpr StripRow stripRow(int row) {
    const float u = row * CURVE_STEP;
    const double rest = 1.0 - u;
    return {static_cast<float>(rest * rest), static_cast<float>(2.0 * u * rest),
            static_cast<float>(static_cast<double>(u) * u),
            static_cast<float>(row / static_cast<double>(STRIP_ROWS - 1))};
}

} // namespace

const StripRow STRIP_ROW_TABLE[STRIP_ROWS] = {stripRow(0), stripRow(1), stripRow(2), stripRow(3),
                                              stripRow(4), stripRow(5), stripRow(6), stripRow(7)};

Vec3 curvePoint(const StripRow& row, const Vec3& p0, const Vec3& p1, const Vec3& p2) {
    const double w0 = row.w0;
    const double w1 = row.w1;
    const double w2 = row.w2;
    return {static_cast<float>(w0 * p0.x + w1 * p1.x + w2 * p2.x),
            static_cast<float>(w0 * p0.y + w1 * p1.y + w2 * p2.y),
            static_cast<float>(w0 * p0.z + w1 * p1.z + w2 * p2.z)};
}

StripVertices curvedStripVertices(const Vec3& a0, const Vec3& a1, const Vec3& a2, const Vec3& b0,
                                  const Vec3& b1, const Vec3& b2) {
    StripVertices vertices;
    for (int row = 0; row < STRIP_ROWS; ++row) {
        vertices.left[row] = curvePoint(STRIP_ROW_TABLE[row], a0, a1, a2);
        vertices.right[row] = curvePoint(STRIP_ROW_TABLE[row], b0, b1, b2);
    }
    return vertices;
}

void emitStrip(const StripVertices& vertices) {
    glBegin(GL_TRIANGLE_STRIP);
    for (int row = 0; row < STRIP_ROWS; ++row) {
        const Vec3& left = vertices.left[row];
        const Vec3& right = vertices.right[row];
        glTexCoord2f(0.0f, STRIP_ROW_TABLE[row].v);
        glVertex3f(left.x, left.y, left.z);
        glTexCoord2f(1.0f, STRIP_ROW_TABLE[row].v);
        glVertex3f(right.x, right.y, right.z);
    }
    glEnd();
}

void drawCurvedStrip(Vec3 a0, Vec3 a1, Vec3 a2, Vec3 b0, Vec3 b1, Vec3 b2) {
    emitStrip(curvedStripVertices(a0, a1, a2, b0, b1, b2));
}
