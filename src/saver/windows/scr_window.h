// The saver's own window, in Win32 and WGL, drawing the program's frames until it is ended.
#pragma once

#define WIN32_LEAN_AND_MEAN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

// /s: a topmost popup over the whole virtual screen, a view of the scene on each monitor, the
// pointer hidden, until a key, a button, a move away or the loss of activation. Returns the exit
// status.
int runSaver(HINSTANCE instance);

// /p: a child filling `parent`'s client area, which ignores input and ends when it is destroyed
// (or its parent is gone). Exit status SCR_NO_PARENT_STATUS when `parent` names no window.
int runPreview(HINSTANCE instance, HWND parent);

// Says in one line to a debugger (OutputDebugStringW) what the saver could not do, through which
// call and with Windows' error code; returns `status`, the failure's own exit status.
int reportFailure(int status, const wchar_t* what, const wchar_t* call);
