#include "bench_passes.h"

#include "app/camera.h"
#include "app/clock.h"
#include "app/frame.h"
#include "app/glut_window.h"
#include "frame_stats.h"
#include "platform_glut.h"
#include "scene/feathers.h"

#include <algorithm>

namespace {

Vec3 startPosition[FEATHER_COUNT];
Vec3 startAngle[FEATHER_COUNT];

// One frame of a pass, swap included.
void drawPassFrame(BenchPass pass) {
    switch (pass) {
    case BenchPass::Floor:
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glutSwapBuffers();
        return;
    case BenchPass::Sky:
        updateClock();
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        advanceYaw(g_deltaTime);
        drawSkyPass(cameraPitchAt(g_time), cameraRollAt(g_time));
        glutSwapBuffers();
        return;
    case BenchPass::Full:
        display();
        return;
    }
}

} // namespace

const char* benchPassName(BenchPass pass) {
    switch (pass) {
    case BenchPass::Floor:
        return "floor";
    case BenchPass::Sky:
        return "sky";
    case BenchPass::Full:
        return "full";
    }
    return "?";
}

void saveStartState() {
    std::copy(featherPosition, featherPosition + FEATHER_COUNT, startPosition);
    std::copy(featherAngle, featherAngle + FEATHER_COUNT, startAngle);
}

void restoreStartState() {
    std::copy(startPosition, startPosition + FEATHER_COUNT, featherPosition);
    std::copy(startAngle, startAngle + FEATHER_COUNT, featherAngle);
    g_yaw = 0.0f;
    startClock();
}

// No glFinish after the swap. Under llvmpipe the swap itself waits for the rasteriser threads
// to finish the frame before it hands the image to the X server, so a glFinish would add only
// a call; on a GPU it would drain the queue that the program's own loop keeps full. The time
// from one swap's return to the next is the frame as the program runs it.
int runFrames(BenchPass pass, double seconds, double* frameMs, int capacity) {
    const Clock::time_point start = Clock::now();
    const Clock::time_point end = start + std::chrono::duration_cast<Clock::duration>(
                                              Milliseconds(seconds * MILLISECONDS_PER_SECOND));
    Clock::time_point previous = start;
    int count = 0;
    while (previous < end && count < capacity) {
        drawPassFrame(pass);
        const Clock::time_point now = Clock::now();
        frameMs[count++] = Milliseconds(now - previous).count();
        previous = now;
    }
    return count;
}
