// A feather's ribbon: a triangle strip between two quadratic Bezier curves.
#pragma once

#include "scene/vec3.h"

// a0, a1, a2 shape the left edge (texture s = 0), b0, b1, b2 the right edge (s = 1). Eight rows
// of two vertices, in the current transformation, texture and colour; the texture row runs from
// 0 on the first row to 1 on the last.
void drawCurvedStrip(Vec3 a0, Vec3 a1, Vec3 a2, Vec3 b0, Vec3 b1, Vec3 b2);
