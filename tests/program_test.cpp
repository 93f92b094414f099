// The real executable under the test's X server, observed and driven through plain Xlib.
#include "app/captions.h"
#include "app/clock.h"
#include "app/frame.h"
#include "gl_test_support.h"

#include <gtest/gtest.h>

// After gtest: Xlib's Bool and None macros would break its templates.
#include "x11_window.h"
#include <X11/Xutil.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <optional>
#include <regex>
#include <set>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

// Polls `done` every 20 ms until it holds or 20 s pass; true if it held.
template <typename Condition> bool pollUntil(Condition done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

// N from "<credit>   -=[ FPS:N ]=-"; nothing unless the whole caption has that form.
std::optional<long> captionFps(const std::string& caption) {
    const std::string credit = CAPTION_CREDIT;
    static const std::regex rest(R"(   -=\[ FPS:(\d{1,9}) \]=-)");
    std::smatch match;
    const std::string tail = caption.substr(std::min(caption.size(), credit.size()));
    if (caption.compare(0, credit.size(), credit) != 0 || !std::regex_match(tail, match, rest)) {
        return std::nullopt;
    }
    return std::stol(match[1]);
}

// The program started in a working directory of our choosing, its window found on a connection
// of our own; killed and reaped whatever the test does.
struct RunningProgram {
    // A window can vanish between listing and querying it; that is not the test's failure.
    XErrorHandler previousHandler = XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    Display* display = XOpenDisplay(nullptr);
    pid_t pid = -1;
    std::optional<int> status; // the raw wait status once it has ended
    Window window = 0;

    explicit RunningProgram(const std::string& workingDirectory) {
        const std::set<Window> before = display ? topLevelWindows(display) : std::set<Window>();
        pid = fork();
        if (pid == 0) {
            char* argv[] = {const_cast<char*>(PLUME_EXE), nullptr};
            if (chdir(workingDirectory.c_str()) == 0) {
                execv(PLUME_EXE, argv);
            }
            _exit(127);
        }
        // Tests running alongside open windows of the same name on this display, so the owner
        // decides. Only a server that cannot name owners leaves it to `before`, which can be
        // fooled: the server hands a closed connection's window ids to the next client.
        pollUntil([&] {
            for (Window candidate : display ? topLevelWindows(display) : std::set<Window>()) {
                const std::string caption = windowName(display, candidate);
                const pid_t owner = windowOwnerPid(display, candidate);
                if ((owner == pid || (owner == -1 && before.count(candidate) == 0)) &&
                    (caption == WINDOW_CAPTION || captionFps(caption))) {
                    window = candidate;
                }
            }
            return window != 0 || !running();
        });
    }
    ~RunningProgram() {
        if (running()) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        if (display != nullptr) {
            XCloseDisplay(display);
        }
        XSetErrorHandler(previousHandler);
    }
    bool running() {
        int raw = 0;
        if (!status && pid > 0 && waitpid(pid, &raw, WNOHANG) == pid) {
            status = raw;
        }
        return pid > 0 && !status;
    }
    XWindowAttributes attributes() {
        XWindowAttributes attributes{};
        XGetWindowAttributes(display, window, &attributes);
        return attributes;
    }
    // The frame rate of the next FPS caption the program writes, or nothing within the limit.
    // Another client may set the caption too: marking it first shows the program rewrote it.
    std::optional<long> nextFps() {
        XStoreName(display, window, "waiting");
        XSync(display, False);
        std::optional<long> fps;
        pollUntil([&] {
            fps = captionFps(windowName(display, window));
            return fps || !running();
        });
        return fps;
    }
};

// The share of non-black pixels in the part of the window beyond the first 640x480.
double litShareBeyondFirstSize(Display* display, Window window, int width, int height) {
    const int right = width - WINDOW_WIDTH;
    const int below = height - WINDOW_HEIGHT;
    XImage* image =
        XGetImage(display, window, WINDOW_WIDTH, WINDOW_HEIGHT, right, below, AllPlanes, ZPixmap);
    if (image == nullptr) {
        return 0.0;
    }
    int lit = 0;
    for (int i = 0; i < right * below; ++i) {
        lit += (XGetPixel(image, i % right, i / right) & 0xFFFFFF) != 0 ? 1 : 0;
    }
    XDestroyImage(image);
    return static_cast<double>(lit) / (right * below);
}

} // namespace

TEST(ProgramTest, OpensA640x480WindowWithFpsCaptionAndClosesWithStatusZero) {
    RunningProgram program(PLUME_DATA_DIR);
    ASSERT_NE(program.display, nullptr) << "no X display";
    ASSERT_NE(program.window, 0u) << "no window of the program appeared";
    ASSERT_TRUE(pollUntil([&] { return program.attributes().map_state == IsViewable; }));
    EXPECT_EQ(program.attributes().width, WINDOW_WIDTH);
    EXPECT_EQ(program.attributes().height, WINDOW_HEIGHT);
    const auto fps = program.nextFps();
    ASSERT_TRUE(fps) << "caption: " << windowName(program.display, program.window);
    EXPECT_GT(*fps, 0);

    ASSERT_TRUE(requestClose(program.display, program.window));
    ASSERT_TRUE(pollUntil([&] { return !program.running(); }))
        << "still running after the close request";
    ASSERT_TRUE(WIFEXITED(*program.status)) << "ended by signal " << WTERMSIG(*program.status);
    EXPECT_EQ(WEXITSTATUS(*program.status), 0);
}

TEST(ProgramTest, RunsOnWithoutAnyTextureFile) {
    TempDir empty;
    RunningProgram program(empty.path());
    ASSERT_NE(program.window, 0u);
    // A second caption proves frames still come after the first hundred.
    ASSERT_TRUE(program.nextFps());
    EXPECT_TRUE(program.nextFps());
    EXPECT_TRUE(program.running());
}

TEST(ProgramTest, KeepsDrawingAfterResizesDownToOneRow) {
    RunningProgram program(PLUME_DATA_DIR);
    ASSERT_NE(program.window, 0u);
    ASSERT_TRUE(program.nextFps());
    for (const auto& [width, height] : {std::pair{800, 600}, std::pair{800, 1}}) {
        XResizeWindow(program.display, program.window, width, height);
        ASSERT_TRUE(pollUntil([&, w = width, h = height] {
            return program.attributes().width == w && program.attributes().height == h;
        }));
        // nextFps counts only a caption written after the new size took effect.
        ASSERT_TRUE(program.nextFps()) << "no new caption at " << width << "x" << height;
        EXPECT_TRUE(program.running());
        if (height > WINDOW_HEIGHT) {
            EXPECT_GT(litShareBeyondFirstSize(program.display, program.window, width, height), 0.9)
                << "the sky stops at the old size: the viewport did not follow";
        }
    }
}
