// Asks the program's windows to close, as a window manager would, so that the program leaves
// through exit() and its at-exit checks run.
//   plume-close-window [PID]   only the windows of process PID; without it, every window that
//                              shows one of the program's captions
// Exit status: 0 if at least one window was asked, 1 if none was found, 2 on a usage or display
// error.
#include "app/captions.h"
#include "x11_window.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

bool isProgramCaption(const std::string& name) {
    return name == WINDOW_CAPTION || name.rfind(CAPTION_CREDIT, 0) == 0;
}

} // namespace

int main(int argc, char** argv) {
    long pid = -1;
    if (argc > 2 || (argc == 2 && (pid = std::strtol(argv[1], nullptr, 10)) <= 0)) {
        std::fprintf(stderr, "usage: plume-close-window [PID]\n");
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "plume-close-window: cannot open the X display\n");
        return 2;
    }
    int asked = 0;
    for (Window window : allWindows(display)) {
        const bool chosen = pid > 0 ? windowOwnerPid(display, window) == pid
                                    : isProgramCaption(windowName(display, window));
        // A toolkit's window has children of its own; only the named top one is asked.
        if (chosen && !windowName(display, window).empty() && requestClose(display, window)) {
            ++asked;
        }
    }
    XCloseDisplay(display);
    return asked > 0 ? 0 : 1;
}
