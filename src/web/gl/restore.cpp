#include "web/gl/restore.h"
#include "web/gl/draws.h"
#include "web/gl/textures.h"
#include "web/gl/webgl.h"

namespace {

float clearColor[4] = {0, 0, 0, 0};
int viewport[4] = {0, 0, 0, 0};
bool viewportSet = false;
unsigned lastClear = 0;

} // namespace

void startWebGl() {
    startDraws();
}

void keepClearColor(float red, float green, float blue, float alpha) {
    clearColor[0] = red;
    clearColor[1] = green;
    clearColor[2] = blue;
    clearColor[3] = alpha;
}

void sendViewport(int x, int y, int width, int height) {
    viewport[0] = x;
    viewport[1] = y;
    viewport[2] = width;
    viewport[3] = height;
    viewportSet = true;
    webglViewport(x, y, width, height);
}

void sendClear(unsigned mask) {
    lastClear = mask;
    webglClear(mask, clearColor);
}

void loseContext() {
    setContextLost(true);
}

void restoreContext() {
    setContextLost(false);
    startDraws();
    resendTextures();
    if (viewportSet) {
        webglViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
    }
    webglClear(lastClear, clearColor);
    replayDraws();
}
