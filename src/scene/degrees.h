#pragma once

#include <cmath>

// An angle brought into [0, 360) and stored as a float. An angle that only grew would, within
// hours at high frame rates, lose steps smaller than its spacing and stop turning on fast
// machines only.
inline float wrapDegrees(double degrees) {
    // A frame's step seldom crosses more than one turn, so the division is seldom needed.
    if (degrees >= 360.0) {
        degrees -= 360.0;
    } else if (degrees < 0.0) {
        degrees += 360.0;
    }
    if (degrees < 0.0 || degrees >= 360.0) {
        degrees -= 360.0 * std::floor(degrees / 360.0);
    }
    // A value just below 360 can round up to it as a float.
    const float stored = static_cast<float>(degrees);
    return stored < 360.0f ? stored : 0.0f;
}
