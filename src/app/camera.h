// The camera turns steadily about the vertical, swings its pitch and roll, and dollies the
// feather field back and forth, all driven by the frame clock.
#pragma once

constexpr double YAW_DEGREES_PER_SECOND = 15.0;

// Degrees, kept in [0, 360) so that a frame's small step never falls below the float's spacing.
extern float g_yaw;

void advanceYaw(double deltaSeconds);
float cameraPitchAt(double seconds);
float cameraRollAt(double seconds);
float cameraDollyAt(double seconds);

// Pitch about x, then the yaw about y, then roll about z.
void rotateCamera(float pitch, float roll);
