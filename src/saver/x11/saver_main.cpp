// plume as an X screen saver's hack: the scene drawn into the window the saver hands over
// ($XSCREENSAVER_WINDOW, --window-id, or the root with --root), or into a window of its own.
#include "app/captions.h"
#include "app/clock.h"
#include "app/frame.h"
#include "app/swap_interval.h"
#include "saver/saver_loop.h"
#include "saver/x11/saver_command_line.h"
#include "saver/x11/saver_images.h"
#include "saver/x11/saver_window.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <poll.h>

namespace {

volatile std::sig_atomic_t g_stopRequested = 0;
SaverWindow g_saver;

void requestStop(int) {
    g_stopRequested = 1;
}

// No SA_RESTART: a wait for events ends at once on the daemon's SIGTERM.
void endOnSignals() {
    struct sigaction action {};
    action.sa_handler = requestStop;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

// The clock's frame rate goes into the caption of a window of its own only; a window handed
// over is the saver's to name.
void writeOwnCaption(const char* caption) {
    XStoreName(g_saver.display, g_saver.window, caption);
}

bool openTarget(Display* display, const SaverCommand& command) {
    switch (command.target) {
    case SaverTarget::GivenWindow:
        return adoptWindow(display, command.window, g_saver);
    case SaverTarget::RootWindow:
        return adoptWindow(display, DefaultRootWindow(display), g_saver);
    case SaverTarget::OwnWindow:
        break;
    }
    return openOwnWindow(display, WINDOW_WIDTH, WINDOW_HEIGHT, WINDOW_CAPTION, g_saver);
}

// Until an event arrives, `milliseconds` pass, or a signal asks the hack to stop.
void waitForEvents(int milliseconds) {
    pollfd connection{ConnectionNumber(g_saver.display), POLLIN, 0};
    poll(&connection, 1, milliseconds);
}

bool handleEvents() {
    while (!g_stopRequested && XPending(g_saver.display) > 0) {
        XEvent event;
        XNextEvent(g_saver.display, &event);
        g_stopRequested = !followEvent(g_saver, event);
    }
    return !g_stopRequested;
}

bool windowShown() {
    return g_saver.shown;
}

void presentSaverFrame() {
    presentFrame(g_saver);
}

} // namespace

int main(int argc, char** argv) {
    const SaverCommand command = parseSaverCommand(argc, argv, std::getenv("XSCREENSAVER_WINDOW"));
    if (command.outcome != SaverOutcome::Run) {
        const bool help = command.outcome == SaverOutcome::Help;
        std::fputs(SAVER_USAGE, help ? stdout : stderr);
        return help ? 0 : SAVER_EXIT_USAGE;
    }
    endOnSignals();
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        return 1;
    }
    if (!openTarget(display, command)) {
        XCloseDisplay(display);
        return 1;
    }
    setCaptionWriter(g_saver.own ? writeOwnCaption : nullptr);
    setSwapInterval(1);
    startScene(g_saver.width, g_saver.height, imageFolder());
    runSaverFrames({handleEvents, windowShown, waitForEvents, presentSaverFrame, DEFAULT_REFRESH_HZ,
                    nullptr, 0});
    closeSaverWindow(g_saver);
    XCloseDisplay(display);
    return 0;
}
