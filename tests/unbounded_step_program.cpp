// The program with its frame step unbounded, as it was before: the control that shows what one
// long gap between frames did to the feathers.
#include "app/clock.h"
#include "app/frame.h"
#include "app/glut_window.h"
#include "platform_glut.h"

#include <limits>

int main(int argc, char** argv) {
    setMaxFrameStep(std::numeric_limits<std::int64_t>::max());
    openWindow(&argc, argv, WINDOW_WIDTH, WINDOW_HEIGHT);
    startScene(WINDOW_WIDTH, WINDOW_HEIGHT);
    glutMainLoop();
    return 0;
}
