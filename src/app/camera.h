// The camera turns steadily about the vertical, swings its pitch and roll, and dollies the
// feather field back and forth, all driven by the frame clock.
#pragma once

constexpr double YAW_DEGREES_PER_SECOND = 15.0;
// Pitch swings about -25 degrees, between -75 and +25.
constexpr double PITCH_RADIANS_PER_SECOND = 0.27;
constexpr double PITCH_SWING_DEGREES = 50.0;
constexpr double PITCH_CENTRE_DEGREES = -25.0;
constexpr double ROLL_RADIANS_PER_SECOND = 0.18;
constexpr double ROLL_SWING_DEGREES = 45.0;
// The feather field's centre moves between 10 units behind the viewer and 10 in front.
constexpr double DOLLY_RADIANS_PER_SECOND = 0.2;
constexpr double DOLLY_SWING_UNITS = 10.0;

// Degrees, kept in [0, 360) so that a frame's small step never falls below the float's spacing.
extern float g_yaw;

void advanceYaw(double deltaSeconds);
float cameraPitchAt(double seconds);
float cameraRollAt(double seconds);
float cameraDollyAt(double seconds);

// Pitch about x, then the yaw about y, then roll about z.
void rotateCamera(float pitch, float roll);
