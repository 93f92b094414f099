// Finding the program's window on an X display and asking it to close, through plain Xlib.
#pragma once

// Include this after gtest where both are used: Xlib's Bool and None macros break its templates.
#include <X11/Xlib.h>

#include <set>
#include <string>
#include <sys/types.h>
#include <utility>
#include <vector>

// The children of the root window: without a window manager, the applications' own windows.
std::set<Window> topLevelWindows(Display* display);

// Every window below the root at any depth, parents first. Depth matters under a window
// manager, which reparents each application window into a frame of its own.
std::vector<Window> allWindows(Display* display);

// WM_NAME, where the toolkit puts the caption; empty when unset.
std::string windowName(Display* display, Window window);

// The process id of the client that created `window`, as the X server knows it through its
// X-Resource extension; -1 when the server cannot tell. Toolkits set _NET_WM_PID only when a
// window manager runs, so without one this is the only way to tell two programs' windows apart.
pid_t windowOwnerPid(Display* display, Window window);

// WM_CLASS's two strings, the instance and the class; empty when unset.
std::pair<std::string, std::string> windowClassHint(Display* display, Window window);

// WM_CLIENT_MACHINE, the host the window's process runs on; empty when unset.
std::string windowMachine(Display* display, Window window);

// A property of 32-bit items (CARDINAL[], as _NET_WM_PID and _NET_WM_ICON are), one long each as
// Xlib hands them over; empty when unset or of another format.
std::vector<unsigned long> windowCardinals(Display* display, Window window, const char* property);

// The `size` x `size` image of an _NET_WM_ICON value as R,G,B,A bytes, top row first; empty
// when the value holds none of that size.
std::vector<unsigned char> iconImage(const std::vector<unsigned long>& cardinals, int size);

// Sends WM_DELETE_WINDOW, as a window manager's close button does; true if the event went out.
bool requestClose(Display* display, Window window);

// The share of the window's pixels, 0 to 1, with a channel brighter than `level` (0 to 255), as
// the server holds them now; -1 when it cannot read them back. Over a black sky, the feathers'.
double windowLitShare(Display* display, Window window, int level);
