// The real executable under the test's X server, observed and driven through plain Xlib.
#include "app/clock.h"
#include "app/frame.h"
#include "gl_test_support.h"

#include <gtest/gtest.h>

// After gtest: Xlib's Bool and None macros would break its templates.
#include "x11_window.h"
#include <X11/Xutil.h>

#include <chrono>
#include <csignal>
#include <optional>
#include <set>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::chrono::seconds WAIT_LIMIT{20};

// Polls `done` every 20 ms until it holds or `limit` passes; true if it held.
template <typename Condition> bool pollUntil(Condition done, std::chrono::seconds limit) {
    const auto deadline = Clock::now() + limit;
    while (!done()) {
        if (Clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

// The program in a working directory of our choosing; killed and reaped whatever the test does.
class Child {
  public:
    explicit Child(const std::string& workingDirectory) {
        pid_ = fork();
        if (pid_ == 0) {
            char* argv[] = {const_cast<char*>(PLUME_EXE), nullptr};
            if (chdir(workingDirectory.c_str()) == 0) {
                execv(PLUME_EXE, argv);
            }
            _exit(127);
        }
    }
    ~Child() {
        if (pid_ > 0 && !status_) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;
    pid_t pid() const { return pid_; }

    // The raw wait status once the process has ended; nothing while it still runs.
    std::optional<int> status() {
        int raw = 0;
        if (!status_ && pid_ > 0 && waitpid(pid_, &raw, WNOHANG) == pid_) {
            status_ = raw;
        }
        return status_;
    }
    bool running() { return pid_ > 0 && !status(); }

  private:
    pid_t pid_ = -1;
    std::optional<int> status_;
};

// A window can vanish between listing and querying it; that is not the test's failure.
int ignoreXError(Display*, XErrorEvent*) {
    return 0;
}

// Another client may set a window's name; the program only shows it rewrote it by overwriting.
void markCaption(Display* display, Window window, const char* mark) {
    XStoreName(display, window, mark);
    XSync(display, False);
}

// N from "<credit>   -=[ FPS:N ]=-"; nothing unless the whole caption has that form.
std::optional<long> captionFps(const std::string& caption) {
    const std::string head = std::string(CAPTION_CREDIT) + "   -=[ FPS:";
    const std::string tail = " ]=-";
    if (caption.size() <= head.size() + tail.size() || caption.compare(0, head.size(), head) != 0 ||
        caption.compare(caption.size() - tail.size(), tail.size(), tail) != 0) {
        return std::nullopt;
    }
    const std::string digits =
        caption.substr(head.size(), caption.size() - head.size() - tail.size());
    if (digits.find_first_not_of("0123456789") != std::string::npos || digits.size() > 9) {
        return std::nullopt;
    }
    return std::stol(digits);
}

// The child's window: a top-level window of the child's process that bears one of its captions.
// Tests running alongside open windows of the same name on this display, so the owner decides.
// Only a server that cannot name owners leaves it to `before`, which can be fooled: the server
// hands a closed connection's window ids to the next client.
Window findProgramWindow(Display* display, Child& child, const std::set<Window>& before) {
    Window found = 0;
    pollUntil(
        [&] {
            for (Window window : topLevelWindows(display)) {
                const std::string caption = windowName(display, window);
                const pid_t owner = windowOwnerPid(display, window);
                const bool ours =
                    owner == child.pid() || (owner == -1 && before.count(window) == 0);
                if (ours && (caption == WINDOW_CAPTION || captionFps(caption))) {
                    found = window;
                }
            }
            return found != 0 || !child.running();
        },
        WAIT_LIMIT);
    return found;
}

// The frame rate of the next FPS caption the program writes, or nothing within the limit.
std::optional<long> waitForFpsCaption(Display* display, Window window, Child& child) {
    std::optional<long> fps;
    pollUntil(
        [&] {
            fps = captionFps(windowName(display, window));
            return fps || !child.running();
        },
        WAIT_LIMIT);
    return fps;
}

XWindowAttributes attributesOf(Display* display, Window window) {
    XWindowAttributes attributes{};
    XGetWindowAttributes(display, window, &attributes);
    return attributes;
}

// The program started in `workingDirectory`, its window found on a connection of our own.
struct RunningProgram {
    XErrorHandler previousHandler = XSetErrorHandler(ignoreXError);
    Display* display = XOpenDisplay(nullptr);
    std::set<Window> before = display ? topLevelWindows(display) : std::set<Window>();
    Child child;
    Window window;
    explicit RunningProgram(const std::string& workingDirectory)
        : child(workingDirectory), window(display ? findProgramWindow(display, child, before) : 0) {
    }
    ~RunningProgram() {
        if (display != nullptr) {
            XCloseDisplay(display);
        }
        XSetErrorHandler(previousHandler);
    }
};

const std::string SHIPPED_DATA_DIR = PLUME_DATA_DIR;

} // namespace

TEST(ProgramTest, OpensAViewable640x480Window) {
    RunningProgram program(SHIPPED_DATA_DIR);
    ASSERT_NE(program.display, nullptr) << "no X display";
    ASSERT_NE(program.window, 0u) << "no window of the program appeared";
    XWindowAttributes attributes{};
    ASSERT_TRUE(pollUntil(
        [&] {
            attributes = attributesOf(program.display, program.window);
            return attributes.map_state == IsViewable;
        },
        WAIT_LIMIT));
    EXPECT_EQ(attributes.width, WINDOW_WIDTH);
    EXPECT_EQ(attributes.height, WINDOW_HEIGHT);
    EXPECT_TRUE(program.child.running());
}

TEST(ProgramTest, CaptionShowsCreditAndPositiveFps) {
    RunningProgram program(SHIPPED_DATA_DIR);
    ASSERT_NE(program.window, 0u);
    const auto fps = waitForFpsCaption(program.display, program.window, program.child);
    ASSERT_TRUE(fps) << "caption: " << windowName(program.display, program.window);
    EXPECT_GT(*fps, 0);
}

TEST(ProgramTest, RunsOnWithoutAnyTextureFile) {
    TempDir empty;
    RunningProgram program(empty.path());
    ASSERT_NE(program.window, 0u);
    ASSERT_TRUE(waitForFpsCaption(program.display, program.window, program.child));
    // A second caption proves frames still come after the first hundred.
    markCaption(program.display, program.window, "waiting");
    EXPECT_TRUE(waitForFpsCaption(program.display, program.window, program.child));
    EXPECT_TRUE(program.child.running());
}

TEST(ProgramTest, CloseRequestEndsItWithStatusZero) {
    RunningProgram program(SHIPPED_DATA_DIR);
    ASSERT_NE(program.window, 0u);
    Display* display = program.display;
    ASSERT_TRUE(pollUntil(
        [&] { return attributesOf(display, program.window).map_state == IsViewable; }, WAIT_LIMIT));
    ASSERT_TRUE(requestClose(display, program.window));
    ASSERT_TRUE(pollUntil([&] { return !program.child.running(); }, WAIT_LIMIT))
        << "still running after the close request";
    const int status = *program.child.status();
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

namespace {

// The share of non-black pixels in the part of the window beyond the first 640x480.
double litShareBeyond(Display* display, Window window, int width, int height) {
    const int right = width - WINDOW_WIDTH;
    const int below = height - WINDOW_HEIGHT;
    XImage* image =
        XGetImage(display, window, WINDOW_WIDTH, WINDOW_HEIGHT, right, below, AllPlanes, ZPixmap);
    if (image == nullptr) {
        return 0.0;
    }
    int lit = 0;
    for (int y = 0; y < below; ++y) {
        for (int x = 0; x < right; ++x) {
            lit += (XGetPixel(image, x, y) & 0xFFFFFF) != 0 ? 1 : 0;
        }
    }
    XDestroyImage(image);
    return static_cast<double>(lit) / (right * below);
}

} // namespace

TEST(ProgramTest, KeepsDrawingAfterResizesDownToOneRow) {
    RunningProgram program(SHIPPED_DATA_DIR);
    ASSERT_NE(program.window, 0u);
    Display* display = program.display;
    ASSERT_TRUE(waitForFpsCaption(display, program.window, program.child));
    for (const auto& size : {std::pair{800, 600}, std::pair{800, 1}}) {
        // Named copies: a lambda may not capture structured bindings before C++20.
        const int width = size.first;
        const int height = size.second;
        XResizeWindow(display, program.window, width, height);
        ASSERT_TRUE(pollUntil(
            [&] {
                const XWindowAttributes attributes = attributesOf(display, program.window);
                return attributes.width == width && attributes.height == height;
            },
            WAIT_LIMIT));
        // Only a caption written after the new size took effect counts.
        markCaption(display, program.window, "resized");
        ASSERT_TRUE(waitForFpsCaption(display, program.window, program.child))
            << "no new caption at " << width << "x" << height;
        EXPECT_TRUE(program.child.running());
        if (height > WINDOW_HEIGHT) {
            EXPECT_GT(litShareBeyond(display, program.window, width, height), 0.9)
                << "the sky stops at the old size: the viewport did not follow";
        }
    }
}
