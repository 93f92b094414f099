#include "scene/strip.h"

#include "platform.h"

namespace {

constexpr int STRIP_ROWS = 8;
// The curve parameter steps by an eighth, so the last row stops at 0.875, short of the ends,
// while the texture row still reaches 1 there.
constexpr float CURVE_STEP = 0.125f;

// The curve weights and texture row of one row depend on the row alone: worked out once, at
// compile time, not for every feather in every frame.
struct StripRow {
    float w0;
    float w1;
    float w2;
    float v;
};

constexpr StripRow stripRow(int row) {
    const float u = row * CURVE_STEP;
    const double rest = 1.0 - u;
    return {static_cast<float>(rest * rest), static_cast<float>(2.0 * u * rest),
            static_cast<float>(static_cast<double>(u) * u),
            static_cast<float>(row / static_cast<double>(STRIP_ROWS - 1))};
}

constexpr StripRow STRIP_ROW_TABLE[STRIP_ROWS] = {stripRow(0), stripRow(1), stripRow(2),
                                                  stripRow(3), stripRow(4), stripRow(5),
                                                  stripRow(6), stripRow(7)};

// w0 p0 + w1 p1 + w2 p2, summed in double and rounded to float once.
void emitCurvePoint(const StripRow& row, const Vec3& p0, const Vec3& p1, const Vec3& p2) {
    const double w0 = row.w0;
    const double w1 = row.w1;
    const double w2 = row.w2;
    glVertex3f(static_cast<float>(w0 * p0.x + w1 * p1.x + w2 * p2.x),
               static_cast<float>(w0 * p0.y + w1 * p1.y + w2 * p2.y),
               static_cast<float>(w0 * p0.z + w1 * p1.z + w2 * p2.z));
}

} // namespace

void drawCurvedStrip(Vec3 a0, Vec3 a1, Vec3 a2, Vec3 b0, Vec3 b1, Vec3 b2) {
    glBegin(GL_TRIANGLE_STRIP);
    for (const StripRow& row : STRIP_ROW_TABLE) {
        glTexCoord2f(0.0f, row.v);
        emitCurvePoint(row, a0, a1, a2);
        glTexCoord2f(1.0f, row.v);
        emitCurvePoint(row, b0, b1, b2);
    }
    glEnd();
}
