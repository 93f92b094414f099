#include "app/frame.h"

#include "app/camera.h"
#include "app/captions.h"
#include "app/clock.h"
#include "app/swap_interval.h"
#include "app/window_identity.h"
#include "platform.h"
#include "scene/feather_pass.h"
#include "scene/feathers.h"
#include "scene/scene_textures.h"
#include "scene/skybox.h"

void openWindow(int* argc, char** argv, int width, int height) {
    glutInit(argc, argv);
    glutInitWindowPosition(0, 0);
    glutInitWindowSize(width, height);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutCreateWindow(WINDOW_CAPTION);
    setWindowIdentity();
    glutDisplayFunc(display);
    glutIdleFunc(idle);
    glutReshapeFunc(reshape);
    // Frames are drawn back to back; the display's refresh rate must not hold them.
    disableSwapInterval();
}

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

void reshape(int width, int height) {
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    // A minimised window reports a height of 0; its aspect ratio is taken as if it were 1.
    const int aspectHeight = height > 0 ? height : 1;
    gluPerspective(FIELD_OF_VIEW_DEGREES, static_cast<double>(width) / aspectHeight, NEAR_PLANE,
                   FAR_PLANE);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
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

void drawFeatherPass(float pitch, float roll) {
    // Translating first makes the field turn about its own centre, which the dolly moves.
    glTranslatef(0.0f, 0.0f, cameraDollyAt(g_time));
    rotateCamera(pitch, roll);
    drawFeathers();
}

} // namespace

void drawFrame() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    advanceYaw(g_deltaTime);
    const float pitch = cameraPitchAt(g_time);
    const float roll = cameraRollAt(g_time);

    glPushMatrix();
    drawSkyPass(pitch, roll);
    drawFeatherPass(pitch, roll);
    glPopMatrix();
}

void display() {
    updateClock();
    drawFrame();
    glutSwapBuffers();
}

void idle() {
    glutPostRedisplay();
}
