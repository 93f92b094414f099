#include "app/camera.h"

#include "platform.h"

#include <cmath>

float g_yaw = 0.0f;

void advanceYaw(double deltaSeconds) {
    double yaw = g_yaw + deltaSeconds * YAW_DEGREES_PER_SECOND;
    yaw -= 360.0 * std::floor(yaw / 360.0);
    g_yaw = static_cast<float>(yaw);
    // A value just below 360 can round up to it as a float.
    if (g_yaw >= 360.0f) {
        g_yaw = 0.0f;
    }
}

float cameraPitchAt(double seconds) {
    return static_cast<float>(std::sin(0.27 * seconds) * 50.0 - 25.0);
}

float cameraRollAt(double seconds) {
    return static_cast<float>(std::sin(0.18 * seconds) * 45.0);
}

float cameraDollyAt(double seconds) {
    return static_cast<float>(std::cos(0.2 * seconds) * 10.0);
}

void rotateCamera(float pitch, float roll) {
    glRotatef(pitch, 1.0f, 0.0f, 0.0f);
    glRotatef(g_yaw, 0.0f, 1.0f, 0.0f);
    glRotatef(roll, 0.0f, 0.0f, 1.0f);
}
