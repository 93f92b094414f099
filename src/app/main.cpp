#include "app/frame.h"
#include "app/glut_window.h"
#include "platform_glut.h"

int main(int argc, char** argv) {
    openWindow(&argc, argv, WINDOW_WIDTH, WINDOW_HEIGHT);
    startScene(WINDOW_WIDTH, WINDOW_HEIGHT);
    glutMainLoop();
    return 0;
}
