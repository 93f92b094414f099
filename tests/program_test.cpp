// The real executable under the test's X server, observed and driven through plain Xlib.
#include "gl_test_support.h"

// After gtest: Xlib's Bool and None macros would break its templates.
#include "x11_window.h"

#include <chrono>
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

// The program in data/, always killed and reaped, but never a failed fork's -1: kill(-1) hits all.
struct RunningProgram {
    pid_t pid = fork();

    explicit RunningProgram(const char* program = PLUME_EXE,
                            const char* directory = PLUME_DATA_DIR) {
        if (pid == 0 && chdir(directory) == 0)
            execl(program, program, static_cast<char*>(nullptr));
        if (pid == 0)
            _exit(127);
        EXPECT_GT(pid, 0) << "fork gave pid " << pid << ": no program to run, wait for or kill";
    }
    ~RunningProgram() {
        if (pid > 0)
            kill(pid, SIGKILL), waitpid(pid, nullptr, 0);
    }
};

// The program's top-level window or 0, found by owner as other tests open windows of its caption.
Window programWindow(Display* display, pid_t pid) {
    Window window = 0;
    pollUntil([&] {
        for (Window candidate : topLevelWindows(display))
            window = pid > 0 && windowOwnerPid(display, candidate) == pid ? candidate : window;
        return window != 0 || pid <= 0;
    });
    return window;
}

std::vector<unsigned char> shippedIcon(int size) {
    int width = 0, height = 0;
    std::vector<unsigned char> rgba;
    readRgbaPng(PLUME_DATA_DIR "/icons/plume-" + std::to_string(size) + ".png", width, height,
                rgba);
    return rgba;
}

} // namespace

// Its size, caption and status on closing are Install.RunsFromAnyFolder's.
TEST(ProgramTest, TellsTheDesktopWhoItIs) {
    // A window can vanish between listing and querying it; that is not the test's failure.
    const XErrorHandler previous = XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    Display* display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr) << "no X display";
    RunningProgram program;
    const Window window = programWindow(display, program.pid);
    ASSERT_NE(window, 0u) << "no window of the program appeared";
    // The icon is the last of the window's identity to be set.
    pollUntil([&] { return !windowCardinals(display, window, "_NET_WM_ICON").empty(); });
    const auto [instance, windowClass] = windowClassHint(display, window);
    const auto pid = windowCardinals(display, window, "_NET_WM_PID");
    const auto icons = windowCardinals(display, window, "_NET_WM_ICON");
    XCloseDisplay(display), XSetErrorHandler(previous);

    std::ifstream entry(PLUME_DATA_DIR "/install/plume.desktop");
    const std::string text{std::istreambuf_iterator<char>(entry), {}};
    std::smatch entryClass; // what the installed desktop entry matches windows by
    std::regex_search(text, entryClass, std::regex("\nStartupWMClass=(.*)"));
    // The icons, exactly those four; upside down, as a slip in a Targa file's row order shows it.
    std::size_t length = 0;
    bool shipped = true;
    for (int side : {16, 32, 64, 128})
        length += 2 + side * side, shipped = shipped && iconImage(icons, side) == shippedIcon(side);
    std::vector<unsigned char> flipped = iconImage(icons, 32);
    for (std::size_t top = 0, row = 32 * 4; top < flipped.size() / 2; top += row)
        std::swap_ranges(flipped.begin() + top, flipped.begin() + top + row,
                         flipped.end() - top - row);
    const std::pair<const char*, bool> checks[] = {
        {"the class is the entry's StartupWMClass", windowClass == entryClass[1].str()},
        {"control: a capitalised class is not the entry's", entryClass[1].str() != "Plume"},
        {"the instance is the program's name", instance == "plume"},
        {"_NET_WM_PID is the program's",
         pid == std::vector{static_cast<unsigned long>(program.pid)}},
        {"the icons are plume-16, -32, -64 and -128.png", shipped && icons.size() == length},
        {"control: the 32-pixel icon upside down is another", flipped != shippedIcon(32)},
    };
    for (const auto& [what, holds] : checks)
        EXPECT_TRUE(holds) << what << "; WM_CLASS " << instance << ", " << windowClass
                           << "; StartupWMClass " << entryClass[1] << "; " << icons.size()
                           << " icon items";
}
