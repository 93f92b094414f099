// The browser's entry: the program as on the desktop, which the page pauses and plays; with
// `?at=S` in the address, paused at that moment; with `?time=S[&step-ms=N]`, the one frame that
// `plume-snapshot --time S --step-ms N` draws, held still.
#include "app/captions.h"
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

// Whether the scene moves, as the page last asked; until the first frame is drawn, only what
// that frame does next.
bool playing = true;
bool firstDrawn = false;

// Reads the pinned frame's time and step from the address; false if either is malformed.
bool readPinnedFrame(const std::string& timeText, std::int64_t& timeMs, int& stepMs) {
    std::string stepText;
    if (pageParameter("step-ms", stepText) && !parsePinnedStep(stepText.c_str(), stepMs)) {
        return false;
    }
    return parsePinnedTime(timeText.c_str(), timeMs);
}

// A paused picture drawn again as it stands: at a new size of the window.
void heldDisplay() {
    drawHeldFrame();
    glutSwapBuffers();
    markFrameReady();
}

// With no idle callback the page's GLUT asks for no more animation frames: nothing is drawn
// until play, or a new size.
void hold() {
    pauseClock();
    glutIdleFunc(nullptr);
    glutDisplayFunc(heldDisplay);
    showPageMoment(g_time);
}

void play() {
    resumeClock();
    glutDisplayFunc(display);
    glutIdleFunc(idle);
}

void goOn() {
    firstDrawn = true;
    if (playing) {
        play();
    } else {
        hold();
    }
}

// The page shows a still of the frame at 0 s while it loads: the clock starts again at the first
// live frame, so that this frame is that one however long the browser took to ask for it.
void firstDisplay() {
    startClock();
    display();
    goOn();
    // Opened paused, this frame is the picture that holds.
    if (!playing) {
        markFrameReady();
    }
}

// Said in place of the picture, before the window opens, whose callbacks would start drawing.
bool refused(bool readable, std::int64_t timeMs, int stepMs, const char* unreadable,
             const char* tooMany) {
    if (!readable || !pinnedFramesWithinBound(timeMs, stepMs)) {
        showPageMessage(readable ? tooMany : unreadable);
        return true;
    }
    return false;
}

// The frame `plume-snapshot --time` draws at the moment, held; the scene goes on from it.
void openMoment(std::int64_t timeMs) {
    useManualClock();
    startScene(WINDOW_WIDTH, WINDOW_HEIGHT);
    skipFramesUntil(timeMs, DEFAULT_STEP_MS);
    // The frames passed over were never drawn: the caption is the window's first again.
    glutSetWindowTitle(WINDOW_CAPTION);
    useSteadyClock();
    startClockAt(timeMs);
    goOn();
}

void drawPinnedFrame(std::int64_t timeMs, int stepMs) {
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
}

} // namespace

// The page calls this when the canvas is shown at another size or pixel ratio: the drawing
// buffer takes the new size, and the program's own reshape keeps the field of view.
extern "C" EMSCRIPTEN_KEEPALIVE void plumeResize(int width, int height) {
    glutReshapeWindow(width, height);
}

// The page's pause and play.
extern "C" EMSCRIPTEN_KEEPALIVE void plumePlay(int shouldPlay) {
    if (playing == (shouldPlay != 0)) {
        return;
    }
    playing = shouldPlay != 0;
    if (firstDrawn) {
        goOn();
    }
}

int main(int argc, char** argv) {
    std::string timeText;
    std::string momentText;
    const bool pinned = pageParameter("time", timeText);
    const bool moment = !pinned && pageParameter("at", momentText);
    std::int64_t timeMs = 0;
    int stepMs = DEFAULT_STEP_MS;
    if (pinned && refused(readPinnedFrame(timeText, timeMs, stepMs), timeMs, stepMs,
                          "plume: ?time= takes seconds (0 or more) and &step-ms= whole "
                          "milliseconds (1 or more)",
                          "plume: ?time= and &step-ms= ask for more than a million frames; take "
                          "a longer step or an earlier time")) {
        return 1;
    }
    // A moment takes the pinned frames' steps, and their bound.
    if (moment && refused(parsePinnedTime(momentText.c_str(), timeMs), timeMs, stepMs,
                          "plume: ?at= takes the seconds of a moment, 0 or more, such as 12.5",
                          "plume: ?at= is later than plume can reach: a million frames of 16 ms, "
                          "about 4 hours 26 minutes")) {
        return 1;
    }
    playing = !pageStartsPaused();
    openWindow(&argc, argv, WINDOW_WIDTH, WINDOW_HEIGHT);
    startGlLayer();
    if (pinned) {
        drawPinnedFrame(timeMs, stepMs);
        return 0;
    }
    if (moment) {
        openMoment(timeMs);
    } else {
        startScene(WINDOW_WIDTH, WINDOW_HEIGHT);
        glutDisplayFunc(firstDisplay);
    }
    followPageWindow();
    // Hands the loop to the browser, which then draws a frame on each display refresh.
    glutMainLoop();
    return 0;
}
