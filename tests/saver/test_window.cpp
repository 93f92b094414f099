// A window for the hack's checks as XScreenSaver makes one, top level, mapped, of a GL visual
// (single-buffered on request); prints its id in hex:   test-window WIDTH HEIGHT [single]
#include <GL/glx.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
    Display* display = XOpenDisplay(nullptr);
    if (argc < 3 || display == nullptr)
        return 2;
    const bool single = argc > 3 && std::strcmp(argv[3], "single") == 0;
    int wanted[] = {GLX_RGBA, GLX_DEPTH_SIZE, 16, single ? 0 : GLX_DOUBLEBUFFER, 0};
    XVisualInfo* visual = glXChooseVisual(display, DefaultScreen(display), wanted);
    if (visual == nullptr)
        return 1;
    const Window root = DefaultRootWindow(display);
    // Black, so that the first change a check sees is the hack's frame, not an old window's.
    XSetWindowAttributes settings{};
    settings.colormap = XCreateColormap(display, root, visual->visual, AllocNone);
    settings.background_pixel = BlackPixel(display, DefaultScreen(display));
    const Window window =
        XCreateWindow(display, root, 0, 0, std::atoi(argv[1]), std::atoi(argv[2]), 0, visual->depth,
                      InputOutput, visual->visual, CWColormap | CWBackPixel, &settings);
    XMapWindow(display, window);
    XSync(display, False);
    std::printf("0x%lx\n", window);
    std::fflush(stdout);
    // Xlib ends the process when the server goes away, as at the end of a check.
    for (XEvent event;;)
        XNextEvent(display, &event);
}
