// What Windows asks of a screen saver through its command line, and when the pointer has moved
// far enough to end it. Free of Win32, so that every platform's unit tests cover it.
#pragma once

#include <cstdint>

enum class ScrMode {
    Saver,    // /s: full screen until the user comes back
    Preview,  // /p HWND: inside the Display settings' little monitor
    Settings, // /c, /c:HWND or nothing at all: a box saying there is nothing to set
    Ignored,  // /a HWND: Windows 95's password change, which no later Windows asks for
    Refused,  // anything else: exit status SCR_USAGE_STATUS, the usage line, and no window
};

constexpr int SCR_USAGE_STATUS = 2;
// The exit statuses of the saver's failures, one each, so that a status alone says which step
// failed; each also says so in one line to a debugger (OutputDebugStringW).
constexpr int SCR_NO_PARENT_STATUS = 3;    // /p's handle names no window
constexpr int SCR_WINDOW_CLASS_STATUS = 4; // RegisterClassW
constexpr int SCR_WINDOW_STATUS = 5;       // CreateWindowExW (under Wine: no display)
constexpr int SCR_PIXEL_FORMAT_STATUS = 6; // ChoosePixelFormat, SetPixelFormat (no GL visual)
constexpr int SCR_GL_CONTEXT_STATUS = 7;   // wglCreateContext, wglMakeCurrent

struct ScrCommand {
    ScrMode mode;
    // The window the mode belongs to (the preview's parent, the box's owner); 0 for none.
    std::uintptr_t window;
};

// Reads the arguments as WinMain receives them (without the program's name). Options are a `/`
// or `-` and one letter in either case; a window handle is an unsigned decimal number that
// follows after a space, a colon or nothing.
ScrCommand parseScrCommandLine(const char* arguments);

// The pointer may drift by this much from where it first was without ending the saver: a
// desk's knock or an optical mouse's jitter, but not a hand on the mouse.
constexpr int POINTER_STILL_PIXELS = 10;

// True once the pointer at (x, y) is more than POINTER_STILL_PIXELS from (startX, startY).
bool pointerMovedAway(int startX, int startY, int x, int y);
