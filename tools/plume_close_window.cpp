// Asks the program's windows to close, as a window manager would, so that the program leaves
// through exit() and its at-exit checks run.
//   plume-close-window [PID]   only the windows of process PID; without it, every window that
//                              shows one of the program's captions
// Exit status: 0 if at least one window was asked, 1 if none was found, 2 on a usage or display
// error.
#include "app/captions.h"
#include "options.h"
#include "x11_window.h"

#include <cstdio>
#include <limits>
#include <string>

namespace {

bool isProgramCaption(const std::string& name) {
    return name == WINDOW_CAPTION || name.rfind(CAPTION_CREDIT, 0) == 0;
}

} // namespace

int main(int argc, char** argv) {
    long pid = -1;
    std::string error;
    CommandLine line = parseOperands(argc, argv, 0, 1, error);
    if (line == CommandLine::Run && argc == 2 &&
        !parseWholeNumber(argv[1], 1, std::numeric_limits<long>::max(), pid)) {
        error = std::string("not a process id: ") + argv[1];
        line = CommandLine::Refused;
    }
    if (line != CommandLine::Run) {
        return usageStatus(line, "plume-close-window", error, "usage: plume-close-window [PID]\n");
    }
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "plume-close-window: cannot open the X display\n");
        return EXIT_USAGE;
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
