// The saver's own window, in Win32 and WGL, drawing the program's frames until it is ended.
#pragma once

#define WIN32_LEAN_AND_MEAN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

// /s: a topmost popup over the whole virtual screen, the pointer hidden, until a key, a button,
// a move away or the loss of activation. Returns the exit status.
int runSaver(HINSTANCE instance);

// /p: a child filling `parent`'s client area, which ignores input and ends when it is destroyed
// (or its parent is gone). Exit status 2 when `parent` names no window.
int runPreview(HINSTANCE instance, HWND parent);
