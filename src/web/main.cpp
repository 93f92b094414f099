// The browser's entry: the program as on the desktop, or with `?time=S[&step-ms=N]` in the
// address, the one frame that `plume-snapshot --time S --step-ms N` draws, held still.
#include "app/clock.h"
#include "app/frame.h"
#include "app/glut_window.h"
#include "app/pinned_frame.h"
#include "platform_glut.h"
#include "web/gl/layer.h"
#include "web/web_page.h"

#include <emscripten.h>

#include <cstdint>
#include <string>

namespace {

// Reads the pinned frame's time and step from the address; false if either is malformed.
bool readPinnedFrame(const std::string& timeText, std::int64_t& timeMs, int& stepMs) {
    std::string stepText;
    if (pageParameter("step-ms", stepText) && !parsePinnedStep(stepText.c_str(), stepMs)) {
        return false;
    }
    return parsePinnedTime(timeText.c_str(), timeMs);
}

// The page shows a still of the frame at 0 s while it loads: the clock starts again at the first
// live frame, so that this frame is that one however long the browser took to ask for it.
void firstDisplay() {
    startClock();
    glutDisplayFunc(display);
    display();
}

} // namespace

// The page calls this when the canvas is shown at another size or pixel ratio: the drawing
// buffer takes the new size, and the program's own reshape keeps the field of view.
extern "C" EMSCRIPTEN_KEEPALIVE void plumeResize(int width, int height) {
    glutReshapeWindow(width, height);
}

int main(int argc, char** argv) {
    std::string timeText;
    const bool pinned = pageParameter("time", timeText);
    std::int64_t timeMs = 0;
    int stepMs = DEFAULT_STEP_MS;
    // Checked before the window opens, whose callbacks would otherwise start drawing.
    if (pinned && !readPinnedFrame(timeText, timeMs, stepMs)) {
        showPageMessage("plume: ?time= takes seconds (0 or more) and &step-ms= whole milliseconds "
                        "(1 or more)");
        return 1;
    }
    if (pinned && !pinnedFramesWithinBound(timeMs, stepMs)) {
        showPageMessage("plume: ?time= and &step-ms= ask for more than a million frames; take a "
                        "longer step or an earlier time");
        return 1;
    }
    openWindow(&argc, argv, WINDOW_WIDTH, WINDOW_HEIGHT);
    startGlLayer();
    if (!pinned) {
        startScene(WINDOW_WIDTH, WINDOW_HEIGHT);
        glutDisplayFunc(firstDisplay);
        followPageWindow();
        // Hands the loop to the browser, which then draws a frame on each display refresh.
        glutMainLoop();
        return 0;
    }
    useManualClock();
    startScene(WINDOW_WIDTH, WINDOW_HEIGHT);
    drawFramesUntil(timeMs, stepMs);
    // Shown as a live frame is: the swap sends what the layer still holds.
    glutSwapBuffers();
    // The page's GLUT asked for an animation frame when the idle callback was registered; on each
    // it runs the idle callback, then the display callback if a redisplay is due, and asks for the
    // next while there is an idle callback or a redisplay due. With both callbacks gone, that
    // frame runs nothing and asks for no other: nothing draws over this one.
    glutIdleFunc(nullptr);
    glutDisplayFunc(nullptr);
    markFrameReady();
    return 0;
}
