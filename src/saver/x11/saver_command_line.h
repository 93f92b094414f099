// What the hack's command line and environment ask for: which window to draw into, or to end
// after answering --help or refusing the line. Platform-free, so the unit tests hold it anywhere.
#pragma once

// XIDs are 32-bit values on the wire; a larger number names no window.
constexpr unsigned long MAX_WINDOW_ID = 0xFFFFFFFFul;
// The status the hack ends with after refusing its command line or environment.
constexpr int SAVER_EXIT_USAGE = 2;

enum class SaverTarget {
    OwnWindow,   // none given: a window of its own, to try it
    GivenWindow, // $XSCREENSAVER_WINDOW or --window-id
    RootWindow,  // --root without $XSCREENSAVER_WINDOW
};

enum class SaverOutcome { Run, Help, Refused };

struct SaverCommand {
    SaverOutcome outcome = SaverOutcome::Run;
    SaverTarget target = SaverTarget::OwnWindow;
    unsigned long window = 0; // for GivenWindow
};

// A window id as XScreenSaver writes one (0x and hex digits) or as decimal digits, the whole of
// `text`, not 0 and at most MAX_WINDOW_ID; false, leaving `id` alone, for anything else.
bool parseWindowId(const char* text, unsigned long& id);

// Reads `--root`, `--window-id ID` and `--help`, with one dash or two. `environmentWindow` is
// $XSCREENSAVER_WINDOW (nullptr when unset), which the daemon sets and which wins over both.
SaverCommand parseSaverCommand(int argc, const char* const* argv, const char* environmentWindow);

constexpr const char* SAVER_USAGE = "usage: plume-saver [--root | --window-id ID]\n";
