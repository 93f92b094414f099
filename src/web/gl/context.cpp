// The page's context events, passed to the layer: a lost context and its restoration, and a
// message on the page when the browser does not give the context back.
#include "web/gl/draws.h"
#include "web/gl/layer.h"
#include "web/gl/restore.h"
#include "web/web_page.h"

#include <emscripten.h>
#include <emscripten/eventloop.h>

namespace {

// How long the browser has to give the context back before the page says it has not.
constexpr double RESTORE_WAIT_MS = 5000.0;

bool messageShown = false;
// The wait of the latest loss. A restoration ends it, so that a later loss has its own full wait
// rather than the rest of an earlier one's.
long restoreWait = 0;

void sayIfStillLost(void*) {
    if (contextIsLost()) {
        showPageMessage("plume lost its WebGL context and the browser has not given it back; "
                        "reloading the page starts plume again.");
        messageShown = true;
    }
}

} // namespace

// Cancelling the lost event's default tells the browser that the program will rebuild its
// context; without that it never gives one back. The canvas is the module's own, on the page or
// in a Worker, where no selector reaches it.
EM_JS(void, watchContext, (), {
    Module.canvas.addEventListener(
        'webglcontextlost', function(event) {
            event.preventDefault();
            _plumeContextLost();
        });
    Module.canvas.addEventListener(
        'webglcontextrestored', function() { _plumeContextRestored(); });
});

extern "C" EMSCRIPTEN_KEEPALIVE void plumeContextLost() {
    loseContext();
    restoreWait = emscripten_set_timeout(sayIfStillLost, RESTORE_WAIT_MS, nullptr);
}

extern "C" EMSCRIPTEN_KEEPALIVE void plumeContextRestored() {
    restoreContext();
    emscripten_clear_timeout(restoreWait);
    if (messageShown) {
        hidePageMessage();
        messageShown = false;
    }
}

void startGlLayer() {
    watchContext();
    startWebGl();
}
