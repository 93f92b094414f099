#pragma once

#include <X11/Xlib.h>

// The refresh rate, in frames a second, of the monitor that shows the middle of `window`, as
// XRandR gives it; DEFAULT_REFRESH_HZ where the server has no XRandR or its mode has no rate.
double refreshRateHz(Display* display, Window window, int width, int height);
