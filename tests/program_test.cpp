// The real executable under the test's X server, observed and driven through plain Xlib.
#include "app/captions.h"
#include "app/frame.h"
#include "gl_test_support.h"

#include <gtest/gtest.h>

// After gtest: Xlib's Bool and None macros would break its templates.
#include "x11_window.h"

#include <chrono>
#include <csignal>
#include <regex>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

// Polls `done` every 20 ms until it holds or 20 s pass; true if it held.
template <typename Condition> bool pollUntil(Condition done) {
    for (int poll = 0; poll < 1000; ++poll) {
        if (done()) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return done();
}

// The program started in data/, killed and reaped whatever the test does.
struct RunningProgram {
    pid_t pid = fork();
    int status = -1; // the raw wait status once it has ended

    RunningProgram() {
        if (pid == 0) {
            if (chdir(PLUME_DATA_DIR) == 0) {
                execl(PLUME_EXE, PLUME_EXE, static_cast<char*>(nullptr));
            }
            _exit(127);
        }
    }
    ~RunningProgram() {
        if (running()) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }
    bool running() { return status == -1 && waitpid(pid, &status, WNOHANG) == 0; }
};

} // namespace

TEST(ProgramTest, OpensA640x480WindowWithFpsCaptionAndClosesWithStatusZero) {
    // A window can vanish between listing and querying it; that is not the test's failure.
    const XErrorHandler previous = XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    Display* display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr) << "no X display";
    RunningProgram program;
    // Other tests open windows of the same caption on this display, so the owner decides.
    Window window = 0;
    ASSERT_TRUE(pollUntil([&] {
        for (Window candidate : topLevelWindows(display)) {
            window = windowOwnerPid(display, candidate) == program.pid ? candidate : window;
        }
        return window != 0;
    })) << "no window of the program appeared";
    XWindowAttributes attributes{};
    ASSERT_TRUE(pollUntil([&] {
        XGetWindowAttributes(display, window, &attributes);
        return attributes.map_state == IsViewable;
    }));
    EXPECT_EQ(attributes.width, 640);
    EXPECT_EQ(attributes.height, 480);

    const std::regex caption(std::string(CAPTION_CREDIT) + R"(   -=\[ FPS:([1-9]\d{0,8}) \]=-)");
    EXPECT_TRUE(pollUntil([&] { return std::regex_match(windowName(display, window), caption); }))
        << "caption: " << windowName(display, window);

    ASSERT_TRUE(requestClose(display, window));
    ASSERT_TRUE(pollUntil([&] { return !program.running(); })) << "running after the request";
    EXPECT_TRUE(WIFEXITED(program.status) && WEXITSTATUS(program.status) == 0) << program.status;
    XCloseDisplay(display);
    XSetErrorHandler(previous);
}
