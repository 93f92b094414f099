// The hack's window and its GLX context: a window handed over by the screen saver (or the root),
// drawn with that window's own visual, or a window of its own to try the hack in.
#pragma once

#include <GL/glx.h>
#include <X11/Xlib.h>

struct SaverWindow {
    Display* display = nullptr;
    Window window = 0;
    GLXContext context = nullptr;
    bool doubleBuffered = true;
    bool own = false;      // made here; named and closable, unlike a window handed over
    bool shown = false;    // mapped and not wholly covered: worth drawing into
    Atom deleteWindow = 0; // WM_DELETE_WINDOW, for a window of its own
    int width = 0;
    int height = 0;
};

// Makes a context for `window` from its own visual, current on it, and follows its size and
// visibility from then on. False, with nothing left to release, if the window is gone or its
// visual has no OpenGL.
bool adoptWindow(Display* display, Window window, SaverWindow& saver);

// A WIDTH x HEIGHT window of its own, captioned `caption`, that the window manager can close.
bool openOwnWindow(Display* display, int width, int height, const char* caption,
                   SaverWindow& saver);

// Applies one event to the window's size, visibility and life; false when it asks the hack to
// end (the window destroyed, or closed by the window manager).
bool followEvent(SaverWindow& saver, const XEvent& event);

// Shows the frame just drawn: a swap, or for a single-buffered visual the end of its drawing.
void presentFrame(const SaverWindow& saver);

// Releases the context (and a window of its own); the display stays open.
void closeSaverWindow(SaverWindow& saver);
