// plume as an X screen saver's hack: the scene drawn into the window the saver hands over
// ($XSCREENSAVER_WINDOW, --window-id, or the root with --root), or into a window of its own.
#include "app/captions.h"
#include "app/clock.h"
#include "app/frame.h"
#include "app/swap_interval.h"
#include "saver/saver_loop.h"
#include "saver/x11/refresh_rate.h"
#include "saver/x11/saver_command_line.h"
#include "saver/x11/saver_images.h"
#include "saver/x11/saver_window.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <poll.h>

namespace {

// The status of a hack that could not draw, or stopped drawing, and said why.
constexpr int SAVER_EXIT_FAILURE = 1;
constexpr int ERROR_TEXT_SIZE = 160;

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

SaverFailure openTarget(Display* display, const SaverCommand& command) {
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

// One line on standard error, as an X program says why it gave up, and the status to end with.
int saverFailed(SaverFailure failure, unsigned long window) {
    switch (failure) {
    case SaverFailure::NoWindow:
        std::fprintf(stderr, "plume-saver: window 0x%lx does not exist\n", window);
        break;
    case SaverFailure::NoGlVisual:
        std::fprintf(stderr, "plume-saver: the X server offers no OpenGL visual%s (has it GLX?)\n",
                     window != 0 ? " for this window" : "");
        break;
    case SaverFailure::NoContext:
        std::fprintf(stderr, "plume-saver: GLX made no context for window 0x%lx\n", window);
        break;
    case SaverFailure::Adopted:
        return 0;
    }
    return SAVER_EXIT_FAILURE;
}

// Until an event arrives, `milliseconds` pass, or a signal asks the hack to stop.
void waitForEvents(int milliseconds) {
    pollfd connection{ConnectionNumber(g_saver.display), POLLIN, 0};
    poll(&connection, 1, milliseconds);
}

// The frames' own requests (the swap above all) fail once the window is gone: their errors end
// the hack, before or with the window's DestroyNotify.
bool handleEvents() {
    while (!g_stopRequested && XPending(g_saver.display) > 0) {
        XEvent event;
        XNextEvent(g_saver.display, &event);
        g_stopRequested = !followEvent(g_saver, event);
    }
    return !g_stopRequested && !xErrorSoFar();
}

// 0 when the hack was asked to stop; else one line on why its frames ended.
int endStatus(Window window, int error) {
    if (error != 0) {
        char text[ERROR_TEXT_SIZE] = {};
        XGetErrorText(g_saver.display, error, text, sizeof text);
        std::fprintf(stderr, "plume-saver: drawing into window 0x%lx failed: %s\n", window, text);
        return SAVER_EXIT_FAILURE;
    }
    if (g_saver.lost) {
        std::fprintf(stderr, "plume-saver: window 0x%lx was destroyed while it drew\n", window);
        return SAVER_EXIT_FAILURE;
    }
    return 0;
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
        std::fprintf(stderr, "plume-saver: cannot open display \"%s\"\n", XDisplayName(nullptr));
        return SAVER_EXIT_FAILURE;
    }
    const SaverFailure failure = openTarget(display, command);
    if (failure != SaverFailure::Adopted) {
        XCloseDisplay(display);
        return saverFailed(failure, g_saver.window);
    }
    const Window window = g_saver.window;
    setCaptionWriter(g_saver.own ? writeOwnCaption : nullptr);
    setSwapInterval(1);
    startScene(g_saver.width, g_saver.height, imageFolder());
    catchXErrors(display);
    runSaverFrames({handleEvents, windowShown, waitForEvents, presentSaverFrame,
                    refreshRateHz(display, window, g_saver.width, g_saver.height), nullptr, 0});
    const int status = endStatus(window, caughtXError(display));
    closeSaverWindow(g_saver);
    XCloseDisplay(display);
    return status;
}
