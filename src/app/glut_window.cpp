#include "app/glut_window.h"

#include "app/captions.h"
#include "app/clock.h"
#include "app/frame.h"
#include "app/swap_interval.h"
#include "app/window_identity.h"
#include "platform_glut.h"

namespace {

void writeWindowTitle(const char* caption) {
    glutSetWindowTitle(caption);
}

} // namespace

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
    setCaptionWriter(writeWindowTitle);
    // Frames are drawn back to back; the display's refresh rate must not hold them.
    disableSwapInterval();
}

void display() {
    stepFrame();
    glutSwapBuffers();
}

void idle() {
    glutPostRedisplay();
}
