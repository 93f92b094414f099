#include "app/camera.h"

#include "platform.h"
#include "scene/degrees.h"

#include <cmath>

float g_yaw = 0.0f;

void advanceYaw(double deltaSeconds) {
    g_yaw = wrapDegrees(g_yaw + deltaSeconds * YAW_DEGREES_PER_SECOND);
}

float cameraPitchAt(double seconds) {
    return static_cast<float>(std::sin(PITCH_RADIANS_PER_SECOND * seconds) * PITCH_SWING_DEGREES +
                              PITCH_CENTRE_DEGREES);
}

float cameraRollAt(double seconds) {
    return static_cast<float>(std::sin(ROLL_RADIANS_PER_SECOND * seconds) * ROLL_SWING_DEGREES);
}

float cameraDollyAt(double seconds) {
    return static_cast<float>(std::cos(DOLLY_RADIANS_PER_SECOND * seconds) * DOLLY_SWING_UNITS);
}

void rotateCamera(float pitch, float roll) {
    glRotatef(pitch, 1.0f, 0.0f, 0.0f);
    glRotatef(g_yaw, 0.0f, 1.0f, 0.0f);
    glRotatef(roll, 0.0f, 0.0f, 1.0f);
}
