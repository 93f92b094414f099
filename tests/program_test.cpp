// The real executable under the test's X server, observed and driven through plain Xlib.
#include "app/clock.h"
#include "app/frame.h"
#include "gl_test_support.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
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

struct DisplayConnection {
    Display* display = XOpenDisplay(nullptr);
    DisplayConnection() { XSetErrorHandler(ignoreXError); }
    ~DisplayConnection() {
        if (display != nullptr) {
            XCloseDisplay(display);
        }
    }
};

std::set<Window> topLevelWindows(Display* display) {
    Window root = 0, parent = 0, *children = nullptr;
    unsigned int count = 0;
    std::set<Window> windows;
    if (XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count)) {
        windows.insert(children, children + count);
        XFree(children);
    }
    return windows;
}

std::optional<long> windowPid(Display* display, Window window) {
    Atom type = None;
    int format = 0;
    unsigned long items = 0, remaining = 0;
    unsigned char* data = nullptr;
    std::optional<long> pid;
    if (XGetWindowProperty(display, window, XInternAtom(display, "_NET_WM_PID", False), 0, 1, False,
                           XA_CARDINAL, &type, &format, &items, &remaining, &data) == Success &&
        data != nullptr) {
        if (type == XA_CARDINAL && format == 32 && items == 1) {
            pid = *reinterpret_cast<long*>(data);
        }
        XFree(data);
    }
    return pid;
}

// WM_NAME, or _NET_WM_NAME when only that is set; empty when neither is.
std::string readCaption(Display* display, Window window) {
    XTextProperty text{};
    std::string caption;
    if ((XGetWMName(display, window, &text) ||
         XGetTextProperty(display, window, &text, XInternAtom(display, "_NET_WM_NAME", False))) &&
        text.value != nullptr) {
        caption.assign(reinterpret_cast<const char*>(text.value), text.nitems);
        XFree(text.value);
    }
    return caption;
}

// Another client may set a window's name; the program only shows it rewrote it by overwriting.
void markCaption(Display* display, Window window, const char* mark) {
    XStoreName(display, window, mark);
    XDeleteProperty(display, window, XInternAtom(display, "_NET_WM_NAME", False));
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

// The new top-level window of `child`: matched by _NET_WM_PID when set, else by its caption.
Window findProgramWindow(Display* display, Child& child, const std::set<Window>& before) {
    Window found = 0;
    pollUntil(
        [&] {
            for (Window window : topLevelWindows(display)) {
                const auto pid = windowPid(display, window);
                const std::string caption = readCaption(display, window);
                if (pid ? *pid == child.pid()
                        : before.count(window) == 0 &&
                              (caption == WINDOW_CAPTION || captionFps(caption))) {
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
            fps = captionFps(readCaption(display, window));
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

// The program started in `workingDirectory`, with its window found on our connection.
struct RunningProgram {
    DisplayConnection x;
    std::set<Window> before = x.display ? topLevelWindows(x.display) : std::set<Window>();
    Child child;
    Window window;
    explicit RunningProgram(const std::string& workingDirectory)
        : child(workingDirectory),
          window(x.display ? findProgramWindow(x.display, child, before) : 0) {}
};

std::string shippedDataDir() {
    return PLUME_DATA_DIR;
}

} // namespace

TEST(ProgramTest, OpensAViewable640x480Window) {
    RunningProgram program(shippedDataDir());
    ASSERT_NE(program.x.display, nullptr) << "no X display";
    ASSERT_NE(program.window, 0u) << "no window of the program appeared";
    XWindowAttributes attributes{};
    ASSERT_TRUE(pollUntil(
        [&] {
            attributes = attributesOf(program.x.display, program.window);
            return attributes.map_state == IsViewable;
        },
        WAIT_LIMIT));
    EXPECT_EQ(attributes.width, WINDOW_WIDTH);
    EXPECT_EQ(attributes.height, WINDOW_HEIGHT);
    EXPECT_TRUE(program.child.running());
}

TEST(ProgramTest, CaptionShowsCreditAndPositiveFps) {
    RunningProgram program(shippedDataDir());
    ASSERT_NE(program.window, 0u);
    const auto fps = waitForFpsCaption(program.x.display, program.window, program.child);
    ASSERT_TRUE(fps) << "caption: " << readCaption(program.x.display, program.window);
    EXPECT_GT(*fps, 0);
}

TEST(ProgramTest, RunsOnWithoutAnyTextureFile) {
    TempDir empty;
    RunningProgram program(empty.path());
    ASSERT_NE(program.window, 0u);
    ASSERT_TRUE(waitForFpsCaption(program.x.display, program.window, program.child));
    // A second caption proves frames still come after the first hundred.
    markCaption(program.x.display, program.window, "waiting");
    EXPECT_TRUE(waitForFpsCaption(program.x.display, program.window, program.child));
    EXPECT_TRUE(program.child.running());
}

TEST(ProgramTest, CloseRequestEndsItWithStatusZero) {
    RunningProgram program(shippedDataDir());
    ASSERT_NE(program.window, 0u);
    Display* display = program.x.display;
    ASSERT_TRUE(pollUntil(
        [&] { return attributesOf(display, program.window).map_state == IsViewable; }, WAIT_LIMIT));
    XEvent close{};
    close.xclient.type = ClientMessage;
    close.xclient.window = program.window;
    close.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    close.xclient.format = 32;
    close.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    close.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, program.window, False, NoEventMask, &close);
    XFlush(display);
    ASSERT_TRUE(pollUntil([&] { return !program.child.running(); }, WAIT_LIMIT))
        << "still running after the close request";
    const int status = *program.child.status();
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST(ProgramTest, KeepsDrawingAfterResizesDownToOneRow) {
    RunningProgram program(shippedDataDir());
    ASSERT_NE(program.window, 0u);
    Display* display = program.x.display;
    ASSERT_TRUE(waitForFpsCaption(display, program.window, program.child));
    for (const auto& [width, height] : {std::pair{800, 600}, std::pair{800, 1}}) {
        XResizeWindow(display, program.window, width, height);
        ASSERT_TRUE(pollUntil(
            [&] {
                const XWindowAttributes attributes = attributesOf(display, program.window);
                return attributes.width == width && attributes.height == height;
            },
            WAIT_LIMIT));
        // Only a caption written after the new size took effect counts.
        markCaption(display, program.window, "resized");
        EXPECT_TRUE(waitForFpsCaption(display, program.window, program.child))
            << "no new caption at " << width << "x" << height;
        EXPECT_TRUE(program.child.running());
    }
}
