// Judges the icon a window offers the desktop against an icon file, for the checks of a running
// program:
//   plume-window-icon WINDOW SIZE ICON.png
// Takes the SIZE x SIZE image of the window's _NET_WM_ICON (WINDOW: its id, as xwininfo prints
// it) and prints its mean difference from ICON.png. Exit status: 0 within SAME_ICON_LEVELS, 1
// farther or without an image of that size, 2 on a bad argument, an unreadable file or no
// display.
#include "image_compare.h"
#include "options.h"
#include "png_image.h"
#include "x11_window.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr int EXIT_ANOTHER_ICON = 1;
constexpr long LARGEST_ICON_PIXELS = 1024;
constexpr char USAGE[] = "usage: plume-window-icon WINDOW SIZE ICON.png\n"
                         "Prints how far the window's SIZE x SIZE icon (_NET_WM_ICON) is from "
                         "ICON.png; status 0 if it is the same icon.\n";

} // namespace

int main(int argc, char** argv) {
    std::string error;
    CommandLine line = parseOperands(argc, argv, 3, 3, error);
    long size = 0;
    char* end = nullptr;
    const unsigned long window = line == CommandLine::Run ? std::strtoul(argv[1], &end, 0) : 0;
    if (line == CommandLine::Run && (end == argv[1] || *end != '\0' || window == 0 ||
                                     !parseWholeNumber(argv[2], 1, LARGEST_ICON_PIXELS, size))) {
        error = "bad window or size";
        line = CommandLine::Refused;
    }
    if (line != CommandLine::Run) {
        return usageStatus(line, "plume-window-icon", error, USAGE);
    }
    int width = 0, height = 0;
    std::vector<unsigned char> expected;
    if (!readRgbaPng(argv[3], width, height, expected)) {
        std::fprintf(stderr, "plume-window-icon: cannot read %s\n", argv[3]);
        return EXIT_USAGE;
    }
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "plume-window-icon: cannot open the X display\n");
        return EXIT_USAGE;
    }
    const std::vector<unsigned long> cardinals = windowCardinals(display, window, "_NET_WM_ICON");
    XCloseDisplay(display);
    const std::vector<unsigned char> icon = iconImage(cardinals, static_cast<int>(size));
    if (icon.empty()) {
        std::printf("no %ldx%ld image among the window's %zu icon values\n", size, size,
                    cardinals.size());
        return EXIT_ANOTHER_ICON;
    }
    const double difference = iconDifferenceLevels(icon, expected);
    if (difference < 0.0) {
        std::printf("%ldx%ld against %dx%d\n", size, size, width, height);
        return EXIT_ANOTHER_ICON;
    }
    std::printf("%ldx%ld icon: mean difference %.3f levels from %s (the same within %.1f)\n", size,
                size, difference, argv[3], SAME_ICON_LEVELS);
    return difference < SAME_ICON_LEVELS ? 0 : EXIT_ANOTHER_ICON;
}
