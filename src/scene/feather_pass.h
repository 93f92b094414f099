// Draws the feathers and moves them on: each turns by its spin and drifts in a wind that is the
// same for all in a frame but weighted by each feather's own orientation.
#pragma once

struct Wind {
    float x;
    float y;
    float z;
    float gust;
};

Wind windAt(double seconds);

// Turns feather `index` by its spin and moves it by the wind over `deltaSeconds`.
void advanceFeather(int index, const Wind& wind, double deltaSeconds);

// Draws every feather where it stands, then advances it by the frame's delta.
void drawFeathers();

// Draws every feather where it stands and leaves it there: the views of a frame before its last.
void drawFeathersInPlace();

// Moves every feather on by the frame's delta without drawing it.
void advanceFeathers();
