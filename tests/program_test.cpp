// The real executable under the test's X server, observed and driven through plain Xlib.
#include "app/captions.h"
#include "gl_test_support.h"

// After gtest: Xlib's Bool and None macros would break its templates.
#include "app/window_icons.h"
#include "scene_images.h"
#include "x11_window.h"

#include <GL/glx.h>
#include <chrono>
#include <climits>
#include <csignal>
#include <fstream>
#include <regex>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

// Polls `done` every 20 ms until it holds or 20 s pass; true if it held.
template <typename Condition> bool pollUntil(Condition done) {
    for (int poll = 0; poll < 1000 && !done(); ++poll)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    return done();
}

// The program started in data/, killed and reaped whatever the test does. A failed fork's -1 is
// never waited for nor signalled: kill(-1) signals every process the user may, as root all.
struct RunningProgram {
    pid_t pid = fork();
    int status = -1; // the raw wait status once it has ended

    explicit RunningProgram(const char* program = PLUME_EXE,
                            const char* directory = PLUME_DATA_DIR) {
        if (pid == 0 && chdir(directory) == 0)
            execl(program, program, static_cast<char*>(nullptr));
        if (pid == 0)
            _exit(127);
        EXPECT_GT(pid, 0) << "fork gave pid " << pid << ": no program to run, wait for or kill";
    }
    ~RunningProgram() {
        if (running())
            kill(pid, SIGKILL), waitpid(pid, nullptr, 0);
    }
    bool running() { return pid > 0 && status == -1 && waitpid(pid, &status, WNOHANG) == 0; }
    void signal(int number) const {
        if (pid > 0)
            kill(pid, number);
    }
};

// The program's top-level window, once it has one; 0 if none appears, or no program started.
// Other tests open windows of the same caption on this display, so the owner decides.
Window programWindow(Display* display, pid_t pid) {
    Window window = 0;
    pollUntil([&] {
        for (Window candidate : topLevelWindows(display))
            window = pid > 0 && windowOwnerPid(display, candidate) == pid ? candidate : window;
        return window != 0 || pid <= 0;
    });
    return window;
}

// The class that the installed desktop entry matches windows by; empty if it names none.
std::string entryWindowClass() {
    std::ifstream entry(PLUME_DATA_DIR "/install/plume.desktop");
    std::string line;
    while (std::getline(entry, line) && line.rfind("StartupWMClass=", 0) != 0)
        continue;
    return entry ? line.substr(line.find('=') + 1) : std::string();
}

std::vector<unsigned char> shippedIcon(int size) {
    int width = 0, height = 0;
    std::vector<unsigned char> rgba;
    readRgbaPng(PLUME_DATA_DIR "/icons/plume-" + std::to_string(size) + ".png", width, height,
                rgba);
    return rgba;
}

// A square R,G,B,A image upside down: what a slip in a Targa file's row order would show.
std::vector<unsigned char> upsideDown(std::vector<unsigned char> rgba, int side) {
    const std::size_t row = static_cast<std::size_t>(side) * 4;
    for (std::size_t top = 0; rgba.size() == row * side && top < rgba.size() / 2; top += row)
        std::swap_ranges(rgba.begin() + top, rgba.begin() + top + row, rgba.end() - top - row);
    return rgba;
}

// Over the measuring scene's black sky, a pixel brighter than this is a feather's.
constexpr int FEATHER_LEVEL = 24;
// Below the top left, where the other tests' windows open: none of them covers these.
constexpr int CLEAR_OF_OTHER_WINDOWS_Y = 512;

// Each program's window, out of the way of the other tests' windows at the top left, until it
// draws; then each window's feathers' share, `settle` later.
std::vector<double> sharesOnceDrawn(Display* display, const std::vector<Window>& windows,
                                    std::chrono::seconds settle) {
    std::vector<double> shares;
    for (std::size_t at = 0; at < windows.size(); ++at) {
        XMoveWindow(display, windows[at], static_cast<int>(at) * WINDOW_WIDTH,
                    CLEAR_OF_OTHER_WINDOWS_Y);
        XRaiseWindow(display, windows[at]);
        pollUntil(
            [&] { return windowName(display, windows[at]).find("FPS:") != std::string::npos; });
    }
    std::this_thread::sleep_for(settle);
    for (Window window : windows)
        shares.push_back(windowLitShare(display, window, FEATHER_LEVEL));
    return shares;
}

} // namespace

TEST(WindowIcons, AreTheShippedIconsPixelForPixel) {
    const std::vector<unsigned long> cardinals = windowIconCardinals();
    std::vector<unsigned long> sizes;
    for (std::size_t at = 0; at + 2 <= cardinals.size();
         at += 2 + cardinals[at] * cardinals[at + 1]) {
        const int size = static_cast<int>(cardinals[at]);
        sizes.push_back(cardinals[at]);
        EXPECT_TRUE(iconImage(cardinals, size) == shippedIcon(size))
            << "the " << size << "-pixel window icon is not plume-" << size << ".png";
    }
    EXPECT_EQ(sizes, (std::vector<unsigned long>{16, 32, 64, 128}));
}

TEST(ProgramTest, OpensItsWindowTellsTheDesktopWhoItIsAndClosesWithStatusZero) {
    // A window can vanish between listing and querying it; that is not the test's failure.
    const XErrorHandler previous = XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    Display* display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr) << "no X display";
    // This process's window, named by the same code: a plume window of another process.
    ensureGlWindow();
    const auto otherPid =
        windowCardinals(glXGetCurrentDisplay(), glXGetCurrentDrawable(), "_NET_WM_PID");
    RunningProgram program;
    const Window window = programWindow(display, program.pid);
    ASSERT_NE(window, 0u) << "no window of the program appeared";
    XWindowAttributes attributes{};
    ASSERT_TRUE(pollUntil([&] {
        XGetWindowAttributes(display, window, &attributes);
        return attributes.map_state == IsViewable;
    }));
    EXPECT_EQ(std::pair(attributes.width, attributes.height), std::pair(640, 480));
    const std::regex caption(std::string(CAPTION_CREDIT) + R"(   -=\[ FPS:([1-9]\d{0,8}) \]=-)");
    EXPECT_TRUE(pollUntil([&] { return std::regex_match(windowName(display, window), caption); }))
        << "caption: " << windowName(display, window);
    pollUntil([&] { return !windowCardinals(display, window, "_NET_WM_ICON").empty(); });
    const auto [instance, windowClass] = windowClassHint(display, window);
    const std::string machine = windowMachine(display, window);
    const auto pid = windowCardinals(display, window, "_NET_WM_PID");
    const auto icon32 = iconImage(windowCardinals(display, window, "_NET_WM_ICON"), 32);
    ASSERT_TRUE(requestClose(display, window));
    ASSERT_TRUE(pollUntil([&] { return !program.running(); })) << "running after the request";
    EXPECT_TRUE(WIFEXITED(program.status) && WEXITSTATUS(program.status) == 0) << program.status;
    XCloseDisplay(display), XSetErrorHandler(previous);

    const std::string entryClass = entryWindowClass();
    char host[HOST_NAME_MAX + 1] = {};
    gethostname(host, sizeof host - 1);
    const std::vector<unsigned long> programPid = {static_cast<unsigned long>(program.pid)},
                                     ownPid = {static_cast<unsigned long>(getpid())};
    const double icon = iconDifferenceLevels(icon32, shippedIcon(32));
    const double flipped = iconDifferenceLevels(upsideDown(icon32, 32), shippedIcon(32));
    std::printf("WM_CLASS \"%s\", \"%s\"; StartupWMClass %s; 32x32 icon %.3f levels from "
                "plume-32.png, upside down %.3f\n",
                instance.c_str(), windowClass.c_str(), entryClass.c_str(), icon, flipped);
    // Each check, and a control that the same judgement must refuse.
    const auto sameIcon = [](double levels) { return levels >= 0.0 && levels < 1.0; };
    const std::pair<const char*, bool> checks[] = {
        {"the class is the entry's StartupWMClass",
         !entryClass.empty() && windowClass == entryClass},
        {"control: a capitalised class is not the entry's", entryClass != "Plume"},
        {"the instance is the program's name", instance == "plume"},
        {"_NET_WM_PID is the program's", pid == programPid},
        {"another plume window, this test's own, has this process's", otherPid == ownPid},
        {"WM_CLIENT_MACHINE is this machine", machine == host},
        {"the 32x32 icon is plume-32.png within a level", sameIcon(icon)},
        {"control: the icon upside down is judged another", !sameIcon(flipped)},
    };
    for (const auto& [what, holds] : checks)
        EXPECT_TRUE(holds) << what;
}

// Stopped, as a minimised window is (no frames, while the clock runs on), the program goes on
// with its feathers where they were. The control, the program as it was with its step
// unbounded, loses them for good in the first frame after. A minute carries them out of view
// whatever the camera faces when it stops; 15 s did not always.
TEST(Pause, AfterAStopTheFeathersGoOnWhereTheyWere) {
    constexpr auto STOPPED = std::chrono::seconds(60);
    TempDir plain;
    ASSERT_TRUE(writePlainSceneImages(plain.path()));
    Display* display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr) << "no X display";
    RunningProgram bounded(PLUME_EXE, plain.path().c_str());
    RunningProgram unbounded(PLUME_UNBOUNDED_STEP_EXE, plain.path().c_str());
    const std::vector<Window> windows = {programWindow(display, bounded.pid),
                                         programWindow(display, unbounded.pid)};
    ASSERT_TRUE(windows[0] != 0 && windows[1] != 0) << "no window of each program appeared";
    // Taken once the field has swung in front of the camera, as it does 8 s in.
    const std::vector<double> before = sharesOnceDrawn(display, windows, std::chrono::seconds(7));
    bounded.signal(SIGSTOP), unbounded.signal(SIGSTOP);
    std::this_thread::sleep_for(STOPPED);
    bounded.signal(SIGCONT), unbounded.signal(SIGCONT);
    const std::vector<double> after = sharesOnceDrawn(display, windows, std::chrono::seconds(2));
    XCloseDisplay(display);
    std::printf("feathers' share before and after a minute stopped: %.4f, %.4f; unbounded step "
                "%.4f, %.4f\n",
                before[0], after[0], before[1], after[1]);
    const std::pair<const char*, bool> checks[] = {
        {"the feathers are in view before", before[0] > 0.01 && before[1] > 0.01},
        {"at least half as many are in view after", after[0] >= before[0] / 2},
        {"control: with the step unbounded, fewer than half are", after[1] < before[1] / 2},
    };
    for (const auto& [what, holds] : checks)
        EXPECT_TRUE(holds) << what;
}
