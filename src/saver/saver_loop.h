// What both screen savers do between their windows' events: a frame of the core while someone
// can see the window, at most one per refresh of the display, and nothing at all while nobody can.
#pragma once

#include "app/frame.h"

// How long a window nobody sees waits for an event before it looks again.
constexpr int UNSEEN_WAIT_MS = 100;
// The refresh rate taken where the display's own cannot be had.
constexpr double DEFAULT_REFRESH_HZ = 60.0;

// A saver's window as the loop sees it; each saver fills it in from its own window system.
struct SaverHost {
    // Applies the events that are waiting; false once the saver must end.
    bool (*handleEvents)();
    // Whether anyone can see the window: mapped, not minimised, not wholly covered.
    bool (*seen)();
    // Returns after `milliseconds`, or sooner when an event arrives.
    void (*waitForEvents)(int milliseconds);
    // Shows the frame just drawn.
    void (*present)();
    // The display's refresh rate: no more frames than this are drawn in a second.
    double refreshHz;
    // Where each frame is drawn: the views of a window over several monitors, or, with a count of
    // 0, the whole window.
    const FrameView* views;
    int viewCount;
};

// Runs frames until handleEvents says to end.
void runSaverFrames(const SaverHost& host);

// Waits, through host.waitForEvents, until a frame period after the previous frame's end, so
// that a swap that returns at once (no swap control, or a driver told to ignore it) does not
// draw faster than the display shows. After a swap that waited, or a slow frame, it returns at
// once: a late frame is not caught up on.
void paceFrame(const SaverHost& host);
