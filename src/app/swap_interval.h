#pragma once

// Asks the window system not to wait for the display's refresh at each swap, where it offers a
// way to ask; elsewhere it does nothing. Needs the window's context to be current.
void disableSwapInterval();

// True when `name` is one of the space-separated words of `extensions`.
bool hasExtension(const char* extensions, const char* name);
