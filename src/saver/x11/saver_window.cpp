#include "saver/x11/saver_window.h"

#include "app/frame.h"

#include <X11/Xutil.h>

namespace {

// Set by the error handler below: the window vanished between a check and a request.
bool g_requestFailed = false;

int noteRequestFailure(Display*, XErrorEvent*) {
    g_requestFailed = true;
    return 0;
}

// The window's visual as GLX knows it, by its id, as the window was made with it.
XVisualInfo* windowVisual(Display* display, const XWindowAttributes& attributes) {
    XVisualInfo wanted{};
    wanted.visualid = XVisualIDFromVisual(attributes.visual);
    int count = 0;
    return XGetVisualInfo(display, VisualIDMask, &wanted, &count);
}

} // namespace

bool adoptWindow(Display* display, Window window, SaverWindow& saver) {
    g_requestFailed = false;
    XSetErrorHandler(noteRequestFailure);
    XWindowAttributes attributes{};
    if (XGetWindowAttributes(display, window, &attributes) == 0 || g_requestFailed) {
        return false;
    }
    XVisualInfo* visual = windowVisual(display, attributes);
    int usesGl = 0, doubleBuffered = 0;
    if (visual == nullptr || glXGetConfig(display, visual, GLX_USE_GL, &usesGl) != 0 || !usesGl) {
        XFree(visual);
        return false;
    }
    glXGetConfig(display, visual, GLX_DOUBLEBUFFER, &doubleBuffered);
    saver.context = glXCreateContext(display, visual, nullptr, True);
    XFree(visual);
    if (saver.context != nullptr && !glXMakeCurrent(display, window, saver.context)) {
        glXDestroyContext(display, saver.context);
        saver.context = nullptr;
    }
    if (saver.context == nullptr) {
        return false;
    }
    // Added to what the window's owner selects; each client has its own mask on a window.
    XSelectInput(display, window,
                 attributes.your_event_mask | StructureNotifyMask | VisibilityChangeMask);
    saver.display = display;
    saver.window = window;
    saver.doubleBuffered = doubleBuffered != 0;
    saver.shown = attributes.map_state == IsViewable;
    saver.width = attributes.width;
    saver.height = attributes.height;
    return true;
}

bool openOwnWindow(Display* display, int width, int height, const char* caption,
                   SaverWindow& saver) {
    int wanted[] = {GLX_RGBA, GLX_DOUBLEBUFFER, GLX_DEPTH_SIZE, 16, None};
    XVisualInfo* visual = glXChooseVisual(display, DefaultScreen(display), wanted);
    if (visual == nullptr) {
        return false;
    }
    const Window root = RootWindow(display, visual->screen);
    XSetWindowAttributes settings{};
    settings.colormap = XCreateColormap(display, root, visual->visual, AllocNone);
    settings.background_pixel = BlackPixel(display, visual->screen);
    const Window window =
        XCreateWindow(display, root, 0, 0, width, height, 0, visual->depth, InputOutput,
                      visual->visual, CWColormap | CWBackPixel, &settings);
    XFree(visual);
    XStoreName(display, window, caption);
    saver.deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(display, window, &saver.deleteWindow, 1);
    if (!adoptWindow(display, window, saver)) {
        XDestroyWindow(display, window);
        return false;
    }
    saver.own = true;
    XMapWindow(display, window);
    return true;
}

bool followEvent(SaverWindow& saver, const XEvent& event) {
    if (event.xany.window != saver.window) {
        return true;
    }
    switch (event.type) {
    case ConfigureNotify:
        if (event.xconfigure.width != saver.width || event.xconfigure.height != saver.height) {
            saver.width = event.xconfigure.width;
            saver.height = event.xconfigure.height;
            reshape(saver.width, saver.height);
        }
        return true;
    case MapNotify:
        saver.shown = true;
        return true;
    case UnmapNotify:
        saver.shown = false;
        return true;
    case VisibilityNotify:
        saver.shown = event.xvisibility.state != VisibilityFullyObscured;
        return true;
    case DestroyNotify:
        saver.window = 0;
        return false;
    case ClientMessage:
        return !saver.own || static_cast<Atom>(event.xclient.data.l[0]) != saver.deleteWindow;
    default:
        return true;
    }
}

void presentFrame(const SaverWindow& saver) {
    if (saver.doubleBuffered) {
        glXSwapBuffers(saver.display, saver.window);
    } else {
        glFinish();
    }
}

void closeSaverWindow(SaverWindow& saver) {
    if (saver.context == nullptr) {
        return;
    }
    glXMakeCurrent(saver.display, None, nullptr);
    glXDestroyContext(saver.display, saver.context);
    saver.context = nullptr;
    if (saver.own && saver.window != 0) {
        XDestroyWindow(saver.display, saver.window);
    }
}
