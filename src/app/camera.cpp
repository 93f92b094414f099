#include "app/camera.h"

#include "platform.h"
#include "scene/degrees.h"

#include <cmath>

float g_yaw = 0.0f;

void advanceYaw(double deltaSeconds) {
    g_yaw = wrapDegrees(g_yaw + deltaSeconds * YAW_DEGREES_PER_SECOND);
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
