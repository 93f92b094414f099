#include "saver/x11/refresh_rate.h"

#include "saver/saver_loop.h"

#include <X11/extensions/Xrandr.h>

namespace {

// A mode's rate: its dot clock over the pixels of one whole frame, blanking included.
double modeRateHz(const XRRScreenResources& resources, RRMode id) {
    for (int i = 0; i < resources.nmode; ++i) {
        const XRRModeInfo& mode = resources.modes[i];
        if (mode.id == id && mode.hTotal != 0 && mode.vTotal != 0) {
            return static_cast<double>(mode.dotClock) / (mode.hTotal * mode.vTotal);
        }
    }
    return 0.0;
}

bool holds(const XRRCrtcInfo& crtc, int x, int y) {
    return crtc.mode != None && x >= crtc.x && y >= crtc.y &&
           x < crtc.x + static_cast<int>(crtc.width) && y < crtc.y + static_cast<int>(crtc.height);
}

} // namespace

double refreshRateHz(Display* display, Window window, int width, int height) {
    int eventBase = 0, errorBase = 0;
    const Window root = DefaultRootWindow(display);
    int x = 0, y = 0;
    Window child = 0;
    if (!XRRQueryExtension(display, &eventBase, &errorBase) ||
        !XTranslateCoordinates(display, window, root, width / 2, height / 2, &x, &y, &child)) {
        return DEFAULT_REFRESH_HZ;
    }
    XRRScreenResources* resources = XRRGetScreenResourcesCurrent(display, root);
    double rate = 0.0;
    for (int i = 0; resources != nullptr && i < resources->ncrtc && rate <= 0.0; ++i) {
        XRRCrtcInfo* crtc = XRRGetCrtcInfo(display, resources, resources->crtcs[i]);
        if (crtc != nullptr && holds(*crtc, x, y)) {
            rate = modeRateHz(*resources, crtc->mode);
        }
        XRRFreeCrtcInfo(crtc);
    }
    XRRFreeScreenResources(resources);
    return rate > 0.0 ? rate : DEFAULT_REFRESH_HZ;
}
