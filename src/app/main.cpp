#include "app/frame.h"
#include "platform.h"

int main(int argc, char** argv) {
    openWindow(&argc, argv, WINDOW_WIDTH, WINDOW_HEIGHT);
    startScene(WINDOW_WIDTH, WINDOW_HEIGHT);
    glutMainLoop();
    return 0;
}
