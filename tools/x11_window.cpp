#include "x11_window.h"

#include <X11/Xutil.h>
#include <X11/extensions/XRes.h>

namespace {

std::vector<Window> childrenOf(Display* display, Window window) {
    Window root = 0, parent = 0, *children = nullptr;
    unsigned int count = 0;
    std::vector<Window> result;
    if (XQueryTree(display, window, &root, &parent, &children, &count)) {
        result.assign(children, children + count);
        XFree(children);
    }
    return result;
}

} // namespace

std::set<Window> topLevelWindows(Display* display) {
    const std::vector<Window> children = childrenOf(display, DefaultRootWindow(display));
    return std::set<Window>(children.begin(), children.end());
}

std::string windowName(Display* display, Window window) {
    char* name = nullptr;
    std::string result;
    if (XFetchName(display, window, &name) && name != nullptr) {
        result = name;
        XFree(name);
    }
    return result;
}

std::vector<Window> allWindows(Display* display) {
    std::vector<Window> windows = childrenOf(display, DefaultRootWindow(display));
    // Breadth first over a growing list: each window's children are appended once.
    for (std::size_t next = 0; next < windows.size(); ++next) {
        const std::vector<Window> children = childrenOf(display, windows[next]);
        windows.insert(windows.end(), children.begin(), children.end());
    }
    return windows;
}

pid_t windowOwnerPid(Display* display, Window window) {
    int eventBase = 0, errorBase = 0;
    if (!XResQueryExtension(display, &eventBase, &errorBase)) {
        return -1;
    }
    XResClientIdSpec query{window, XRES_CLIENT_ID_PID_MASK};
    long count = 0;
    XResClientIdValue* ids = nullptr;
    pid_t pid = -1;
    if (XResQueryClientIds(display, 1, &query, &count, &ids) == Success) {
        for (long i = 0; i < count && pid == -1; ++i) {
            pid = XResGetClientPid(&ids[i]);
        }
        XResClientIdsDestroy(count, ids);
    }
    return pid;
}

bool requestClose(Display* display, Window window) {
    XEvent close{};
    close.xclient.type = ClientMessage;
    close.xclient.window = window;
    close.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    close.xclient.format = 32;
    close.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    close.xclient.data.l[1] = CurrentTime;
    const Status sent = XSendEvent(display, window, False, NoEventMask, &close);
    XFlush(display);
    return sent != 0;
}
