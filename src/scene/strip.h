// A feather's ribbon: a triangle strip between two quadratic Bezier curves.
#pragma once

#include "scene/vec3.h"

constexpr int STRIP_ROWS = 8;

// The curve weights and the texture row of one row of the strip. They depend on the row alone,
// so they are worked out once, not for every feather in every frame.
struct StripRow {
    float w0;
    float w1;
    float w2;
    float v;
};

extern const StripRow STRIP_ROW_TABLE[STRIP_ROWS];

// w0 * p0 + w1 * p1 + w2 * p2, summed in double and rounded to float once.
Vec3 curvePoint(const StripRow& row, const Vec3& p0, const Vec3& p1, const Vec3& p2);

// The strip's vertices, row by row: the left edge has texture s = 0, the right edge s = 1.
struct StripVertices {
    Vec3 left[STRIP_ROWS];
    Vec3 right[STRIP_ROWS];
};

// a0, a1, a2 shape the left edge, b0, b1, b2 the right edge.
StripVertices curvedStripVertices(const Vec3& a0, const Vec3& a1, const Vec3& a2, const Vec3& b0,
                                  const Vec3& b1, const Vec3& b2);

// Emits the vertices as one triangle strip, with texture row v from row 0 to 1.
void emitStrip(const StripVertices& vertices);

void drawCurvedStrip(Vec3 a0, Vec3 a1, Vec3 a2, Vec3 b0, Vec3 b1, Vec3 b2);
