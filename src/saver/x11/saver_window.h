// The hack's window and its GLX context: a window handed over by the screen saver (or the root),
// drawn with that window's own visual, or a window of its own to try the hack in.
#pragma once

#include <GL/glx.h>
#include <X11/Xlib.h>

struct SaverWindow {
    Display* display = nullptr;
    Window window = 0;
    GLXContext context = nullptr;
    Colormap colormap = 0; // of a window of its own
    bool doubleBuffered = true;
    bool own = false;      // made here; named and closable, unlike a window handed over
    bool shown = false;    // mapped and not wholly covered: worth drawing into
    bool lost = false;     // destroyed by someone else while the hack drew into it
    Atom deleteWindow = 0; // WM_DELETE_WINDOW, for a window of its own
    int width = 0;
    int height = 0;
};

// Why a window could not be drawn into.
enum class SaverFailure {
    Adopted,
    NoWindow,   // the id names no window, or it went while the hack took it over
    NoGlVisual, // the window's visual, or any of the screen's for a window of its own, has no GL
    NoContext,  // GLX made no context for it, or could not make it current
};

// Makes a context for `window` from its own visual, current on it, and follows its size and
// visibility from then on. On failure nothing is left to release.
SaverFailure adoptWindow(Display* display, Window window, SaverWindow& saver);

// A WIDTH x HEIGHT window of its own, captioned `caption`, that the window manager can close.
SaverFailure openOwnWindow(Display* display, int width, int height, const char* caption,
                           SaverWindow& saver);

// Applies one event to the window's size, visibility and life; false when it asks the hack to
// end (the window destroyed, or closed by the window manager).
bool followEvent(SaverWindow& saver, const XEvent& event);

// Shows the frame just drawn: a swap, or for a single-buffered visual the end of its drawing.
void presentFrame(const SaverWindow& saver);

// Releases the context, and a window of its own with its colormap; the display stays open.
void closeSaverWindow(SaverWindow& saver);

// X errors are caught only around the requests whose failure the hack handles: from
// catchXErrors, which first takes in every earlier request's errors with the handler that was
// there, to the XSync of caughtXError, which puts that handler back and returns the first error
// code caught (0 for none).
void catchXErrors(Display* display);
int caughtXError(Display* display);
// Whether an error has been caught since catchXErrors, among the replies and events read so far.
bool xErrorSoFar();
