// Draws the feathers and moves them on: each turns by its spin and drifts in a wind that is the
// same for all in a frame but weighted by each feather's own orientation.
#pragma once

#include "scene/strip.h"

constexpr double DRIFT_PI = 3.14159265;
// Not 180: the drift swings through two periods per turn of the feather.
constexpr double DRIFT_DEGREES_DIVISOR = 90.0;

struct Wind {
    float x;
    float y;
    float z;
    float gust;
};

Wind windAt(double seconds);

// The strip of a feather with the given bend: the same vertices as the curved strip through the
// feather's control points, a0 = (0, -1, 0), a1 = (0, 0, bend), a2 = (0, 1, 0), and the right
// edge half a unit along x.
StripVertices featherStripVertices(float bend);

// Turns feather `index` by its spin and moves it by the wind over `deltaSeconds`.
void advanceFeather(int index, const Wind& wind, double deltaSeconds);

// Draws every feather where it stands, then advances it by the frame's delta.
void drawFeathers();
