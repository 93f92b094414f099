// The page's context events, passed to the layer: a lost context and its restoration, and a
// message on the page when the browser does not give the context back.
#include "web/gl/draws.h"
#include "web/gl/layer.h"
#include "web/gl/restore.h"
#include "web/web_page.h"

#include <emscripten/eventloop.h>
#include <emscripten/html5.h>

namespace {

const char* const CANVAS = "#canvas";
// How long the browser has to give the context back before the page says it has not.
constexpr double RESTORE_WAIT_MS = 5000.0;

bool messageShown = false;

void sayIfStillLost(void*) {
    if (contextIsLost()) {
        showPageMessage("plume lost its WebGL context and the browser has not given it back; "
                        "reloading the page starts plume again.");
        messageShown = true;
    }
}

// Returning true cancels the event's default, which tells the browser that the page will
// rebuild its context; without that it never gives one back.
EM_BOOL onContextLost(int, const void*, void*) {
    loseContext();
    emscripten_set_timeout(sayIfStillLost, RESTORE_WAIT_MS, nullptr);
    return EM_TRUE;
}

EM_BOOL onContextRestored(int, const void*, void*) {
    restoreContext();
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
    startWebGl();
}
