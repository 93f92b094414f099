// A WebGL context that the browser takes away (a GPU reset, a driver update, too many tabs)
// comes back empty: no textures, buffers or program. The layer keeps all it gave WebGL, and
// on restoration gives it again and draws the last frame again, so the picture returns even on
// a page whose frame is held still. The program itself runs on throughout, unaware.
#include "web/layer.h"
#include "web/web_page.h"

#include <emscripten/eventloop.h>
#include <emscripten/html5.h>

#include <cstdio>

namespace {

const char* const CANVAS = "#canvas";
// How long the browser has to give the context back before the page says it has not.
constexpr double RESTORE_WAIT_MS = 5000.0;
constexpr int MAX_REPORTS = 32;

bool lost = false;
bool messageShown = false;
const char* reported[MAX_REPORTS];
int reportCount = 0;

void sayIfStillLost(void*) {
    if (lost) {
        showPageMessage("plume lost its WebGL context and the browser has not given it back; "
                        "reloading the page starts plume again.");
        messageShown = true;
    }
}

// Returning true cancels the event's default, which tells the browser that the page will
// rebuild its context; without that it never gives one back.
EM_BOOL onContextLost(int, const void*, void*) {
    lost = true;
    emscripten_set_timeout(sayIfStillLost, RESTORE_WAIT_MS, nullptr);
    return EM_TRUE;
}

EM_BOOL onContextRestored(int, const void*, void*) {
    lost = false;
    createPipeline();
    rebuildTexturesAndState();
    replayFrame();
    if (messageShown) {
        hidePageMessage();
        messageShown = false;
    }
    return EM_TRUE;
}

} // namespace

void startGlLayer() {
    emscripten_set_webglcontextlost_callback(CANVAS, nullptr, EM_FALSE, onContextLost);
    emscripten_set_webglcontextrestored_callback(CANVAS, nullptr, EM_FALSE, onContextRestored);
    createPipeline();
}

bool contextIsLost() {
    return lost;
}

void reportUnsupported(const char* what) {
    for (int i = 0; i < reportCount; ++i) {
        if (reported[i] == what) {
            return;
        }
    }
    if (reportCount < MAX_REPORTS) {
        reported[reportCount++] = what;
    }
    std::fprintf(stderr, "plume: the browser's OpenGL layer does not support %s\n", what);
}
