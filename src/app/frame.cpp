#include "app/frame.h"

#include "app/camera.h"
#include "app/clock.h"
#include "platform.h"
#include "scene/feather_pass.h"
#include "scene/feathers.h"
#include "scene/scene_textures.h"
#include "scene/skybox.h"

void initScene(const std::string& dataDirectory) {
    loadSceneTextures(dataDirectory);
    createFeathers();
}

void startScene(int width, int height, const std::string& dataDirectory) {
    initScene(dataDirectory);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glEnable(GL_DEPTH_TEST);
    // Taken after the loads, so that reading the images does not count as frame time.
    startClock();
    reshape(width, height);
}

void setView(const FrameView& view) {
    glViewport(view.x, view.y, view.width, view.height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    // A minimised window reports a height of 0; its aspect ratio is taken as if it were 1.
    const int aspectHeight = view.height > 0 ? view.height : 1;
    gluPerspective(FIELD_OF_VIEW_DEGREES, static_cast<double>(view.width) / aspectHeight,
                   NEAR_PLANE, FAR_PLANE);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void reshape(int width, int height) {
    setView({0, 0, width, height});
}

void drawSkyPass(float pitch, float roll) {
    glPushMatrix();
    rotateCamera(pitch, roll);
    // The sky is drawn without depth, so feathers at any distance cover it.
    glColor3f(1.0f, 1.0f, 1.0f);
    glDisable(GL_DEPTH_TEST);
    drawSkybox();
    glEnable(GL_DEPTH_TEST);
    glPopMatrix();
}

namespace {

// The sky and the feathers under the frame's camera; the feathers move on only where `advance`
// says, which the last of a frame's views does.
void drawViewPasses(float pitch, float roll, bool advance) {
    glPushMatrix();
    drawSkyPass(pitch, roll);
    // Translating first makes the field turn about its own centre, which the dolly moves.
    glTranslatef(0.0f, 0.0f, cameraDollyAt(g_time));
    rotateCamera(pitch, roll);
    if (advance) {
        drawFeathers();
    } else {
        drawFeathersInPlace();
    }
    glPopMatrix();
}

// The frame's views under the camera as it stands; the feathers move on only where `advance`.
void drawViews(const FrameView* views, int count, bool advance) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    const float pitch = cameraPitchAt(g_time);
    const float roll = cameraRollAt(g_time);
    // No views: once, into the viewport that reshape left.
    const int passes = count > 0 ? count : 1;
    for (int i = 0; i < passes; ++i) {
        if (count > 0) {
            setView(views[i]);
        }
        drawViewPasses(pitch, roll, advance && i == passes - 1);
    }
}

} // namespace

void drawFrame() {
    drawFrameViews(nullptr, 0);
}

void drawFrameViews(const FrameView* views, int count) {
    advanceYaw(g_deltaTime);
    drawViews(views, count, true);
}

void drawHeldFrame() {
    drawViews(nullptr, 0, false);
}

void advanceScene() {
    advanceYaw(g_deltaTime);
    advanceFeathers();
}

void stepFrame(const FrameView* views, int count) {
    updateClock();
    drawFrameViews(views, count);
}
