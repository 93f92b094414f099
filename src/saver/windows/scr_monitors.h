// The displays under the saver's window: their extent and refresh rate, and a view of the scene
// for each monitor, which shows it whole at the monitor's own aspect ratio, where one view over
// them all would stretch it across every screen.
#pragma once

#include "app/frame.h"
#include "saver/windows/scr_window.h"

// The virtual screen: every monitor's rectangle, whose origin may be negative.
RECT virtualScreen();

// The primary display's refresh rate, or DEFAULT_REFRESH_HZ where Windows does not know it.
double displayRefreshHz();

// More monitors than one desk holds; beyond it the window is drawn as one view.
constexpr int MAX_MONITOR_VIEWS = 16;

// Each monitor's rectangle in `window`'s client area, counted from its bottom-left corner as
// OpenGL counts it, into `views`; returns how many. 0 for one monitor or more than
// MAX_MONITOR_VIEWS: the whole window is then one view.
int monitorViews(HWND window, FrameView* views);
