#pragma once

// Positions, angles in degrees, angular velocities in degrees per second, and RGB colours.
struct Vec3 {
    float x;
    float y;
    float z;
};
