#pragma once

// Asks the window system to wait for `frames` of the display's refreshes at each swap (0: not to
// wait), where it offers a way to ask; elsewhere it does nothing. Needs the window's context to
// be current.
void setSwapInterval(int frames);

// The program's frames are drawn back to back: setSwapInterval(0).
void disableSwapInterval();

// True when `name` is one of the space-separated words of `extensions`.
bool hasExtension(const char* extensions, const char* name);
