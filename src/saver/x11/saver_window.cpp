#include "saver/x11/saver_window.h"

#include "app/frame.h"

#include <X11/Xutil.h>

namespace {

using ErrorHandler = int (*)(Display*, XErrorEvent*);

ErrorHandler g_previousHandler = nullptr;
int g_caughtError = 0;

int catchError(Display*, XErrorEvent* error) {
    if (g_caughtError == 0) {
        g_caughtError = error->error_code;
    }
    return 0;
}

// The window's visual as GLX knows it, by its id, as the window was made with it.
XVisualInfo* windowVisual(Display* display, const XWindowAttributes& attributes) {
    XVisualInfo wanted{};
    wanted.visualid = XVisualIDFromVisual(attributes.visual);
    int count = 0;
    return XGetVisualInfo(display, VisualIDMask, &wanted, &count);
}

bool usesGl(Display* display, XVisualInfo* visual) {
    int gl = 0;
    return visual != nullptr && glXGetConfig(display, visual, GLX_USE_GL, &gl) == 0 && gl != 0;
}

// The context, current on the window; the window's attributes read, its events selected.
SaverFailure takeWindow(Display* display, Window window, SaverWindow& saver) {
    XWindowAttributes attributes{};
    if (XGetWindowAttributes(display, window, &attributes) == 0) {
        return SaverFailure::NoWindow;
    }
    XVisualInfo* visual = windowVisual(display, attributes);
    if (!usesGl(display, visual)) {
        XFree(visual);
        return SaverFailure::NoGlVisual;
    }
    int doubleBuffered = 0;
    glXGetConfig(display, visual, GLX_DOUBLEBUFFER, &doubleBuffered);
    saver.context = glXCreateContext(display, visual, nullptr, True);
    XFree(visual);
    if (saver.context == nullptr || !glXMakeCurrent(display, window, saver.context)) {
        return SaverFailure::NoContext;
    }
    // Added to what the window's owner selects; each client has its own mask on a window.
    XSelectInput(display, window,
                 attributes.your_event_mask | StructureNotifyMask | VisibilityChangeMask);
    saver.doubleBuffered = doubleBuffered != 0;
    saver.shown = attributes.map_state == IsViewable;
    saver.width = attributes.width;
    saver.height = attributes.height;
    return SaverFailure::Adopted;
}

} // namespace

void catchXErrors(Display* display) {
    XSync(display, False);
    g_caughtError = 0;
    g_previousHandler = XSetErrorHandler(catchError);
}

int caughtXError(Display* display) {
    XSync(display, False);
    XSetErrorHandler(g_previousHandler);
    return g_caughtError;
}

bool xErrorSoFar() {
    return g_caughtError != 0;
}

SaverFailure adoptWindow(Display* display, Window window, SaverWindow& saver) {
    saver.display = display;
    saver.window = window;
    catchXErrors(display);
    SaverFailure failure = takeWindow(display, window, saver);
    // A window destroyed meanwhile fails the requests after the check, the selection among them.
    if (caughtXError(display) != 0 && failure == SaverFailure::Adopted) {
        failure = SaverFailure::NoWindow;
    }
    if (failure != SaverFailure::Adopted && saver.context != nullptr) {
        glXMakeCurrent(display, None, nullptr);
        glXDestroyContext(display, saver.context);
        saver.context = nullptr;
    }
    return failure;
}

SaverFailure openOwnWindow(Display* display, int width, int height, const char* caption,
                           SaverWindow& saver) {
    int wanted[] = {GLX_RGBA, GLX_DOUBLEBUFFER, GLX_DEPTH_SIZE, 16, None};
    XVisualInfo* visual = glXChooseVisual(display, DefaultScreen(display), wanted);
    if (visual == nullptr) {
        return SaverFailure::NoGlVisual;
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
    saver.own = true;
    saver.colormap = settings.colormap;
    const SaverFailure failure = adoptWindow(display, window, saver);
    if (failure != SaverFailure::Adopted) {
        closeSaverWindow(saver);
        return failure;
    }
    XMapWindow(display, window);
    return SaverFailure::Adopted;
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
        saver.lost = !saver.own;
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
    if (saver.context != nullptr) {
        glXMakeCurrent(saver.display, None, nullptr);
        glXDestroyContext(saver.display, saver.context);
        saver.context = nullptr;
    }
    if (saver.own && saver.window != 0) {
        XDestroyWindow(saver.display, saver.window);
        saver.window = 0;
    }
    if (saver.colormap != 0) {
        XFreeColormap(saver.display, saver.colormap);
        saver.colormap = 0;
    }
}
