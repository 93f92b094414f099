#include "scene/feather_pass.h"

#include "app/frame_time.h"
#include "platform.h"
#include "scene/degrees.h"
#include "scene/feathers.h"
#include "scene/pi.h"
#include "scene/scene_textures.h"
#include "scene/strip.h"

#include <cmath>

namespace {

constexpr float FEATHER_HALF_LENGTH = 1.0f;
constexpr float FEATHER_WIDTH = 0.5f;
// Not 180: the drift swings through two periods per turn of the feather.
constexpr double DRIFT_DEGREES_DIVISOR = 90.0;

// The drift's sine repeats every 180 degrees and the rotation every 360, so keeping the angle
// within a turn leaves the motion as it was.
float advanceAngle(float degrees, float degreesPerSecond, double deltaSeconds) {
    return wrapDegrees(degrees + degreesPerSecond * deltaSeconds);
}

float drift(float position, float angle, float windFactor, float gust, double deltaSeconds) {
    const double s = std::sin(angle * DRIFT_PI / DRIFT_DEGREES_DIVISOR);
    return static_cast<float>(position + (s + (s + 1.0) * gust * windFactor) * deltaSeconds);
}

void drawFeather(int index) {
    const Vec3& color = featherColor[index];
    const Vec3& position = featherPosition[index];
    const Vec3& angle = featherAngle[index];
    const float scale = featherScale[index];

    glColor3f(color.x, color.y, color.z);
    glPushMatrix();
    glTranslatef(position.x, position.y, position.z);
    glRotatef(angle.x, 1.0f, 0.0f, 0.0f);
    glRotatef(angle.y, 0.0f, 1.0f, 0.0f);
    glRotatef(angle.z, 0.0f, 0.0f, 1.0f);
    glScalef(scale, scale, scale);
    // Half a unit wide and two long, bowed towards +z in its middle by its bend.
    const float bend = featherBend[index];
    drawCurvedStrip({0.0f, -FEATHER_HALF_LENGTH, 0.0f}, {0.0f, 0.0f, bend},
                    {0.0f, FEATHER_HALF_LENGTH, 0.0f}, {FEATHER_WIDTH, -FEATHER_HALF_LENGTH, 0.0f},
                    {FEATHER_WIDTH, 0.0f, bend}, {FEATHER_WIDTH, FEATHER_HALF_LENGTH, 0.0f});
    glPopMatrix();
}

} // namespace

Wind windAt(double seconds) {
    const double t = seconds;
    return {static_cast<float>(std::sin(t)), static_cast<float>(std::cos(0.8 * t) * 0.25),
            static_cast<float>(std::sin(0.5 * t) + std::cos(1.2 * t) * 0.5),
            static_cast<float>((std::sin(0.6 * t) + std::sin(2.3 * t) * 0.2) * 1.65)};
}

void advanceFeather(int index, const Wind& wind, double deltaSeconds) {
    Vec3& angle = featherAngle[index];
    const Vec3& spin = featherSpin[index];
    angle.x = advanceAngle(angle.x, spin.x, deltaSeconds);
    angle.y = advanceAngle(angle.y, spin.y, deltaSeconds);
    angle.z = advanceAngle(angle.z, spin.z, deltaSeconds);

    // The drift follows the orientation just advanced.
    Vec3& position = featherPosition[index];
    position.x = drift(position.x, angle.x, wind.x, wind.gust, deltaSeconds);
    position.y = drift(position.y, angle.y, wind.y, wind.gust, deltaSeconds);
    position.z = drift(position.z, angle.z, wind.z, wind.gust, deltaSeconds);
}

namespace {

void drawFeatherField(bool advance) {
    const Wind wind = windAt(g_time);
    // Texturing was enabled by the sky pass and is never turned off.
    featherTexture.bind();
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    for (int i = 0; i < FEATHER_COUNT; ++i) {
        // Drawn where it stood at the start of the frame; the advance shows in the next one.
        drawFeather(i);
        if (advance) {
            advanceFeather(i, wind, g_deltaTime);
        }
    }
    glDisable(GL_BLEND);
}

} // namespace

void drawFeathers() {
    drawFeatherField(true);
}

void drawFeathersInPlace() {
    drawFeatherField(false);
}

void advanceFeathers() {
    const Wind wind = windAt(g_time);
    for (int i = 0; i < FEATHER_COUNT; ++i) {
        advanceFeather(i, wind, g_deltaTime);
    }
}
