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

std::pair<std::string, std::string> windowClassHint(Display* display, Window window) {
    XClassHint hint{};
    std::pair<std::string, std::string> names;
    if (XGetClassHint(display, window, &hint)) {
        names = {hint.res_name, hint.res_class};
        XFree(hint.res_name);
        XFree(hint.res_class);
    }
    return names;
}

std::string windowMachine(Display* display, Window window) {
    XTextProperty machine{};
    std::string result;
    if (XGetWMClientMachine(display, window, &machine) && machine.value != nullptr) {
        result.assign(reinterpret_cast<char*>(machine.value), machine.nitems);
        XFree(machine.value);
    }
    return result;
}

std::vector<unsigned long> windowCardinals(Display* display, Window window, const char* property) {
    constexpr long ALL_ITEMS = 1L << 24; // in 32-bit items; far more than any icon set holds
    Atom type = None;
    int format = 0;
    unsigned long count = 0, remaining = 0;
    unsigned char* data = nullptr;
    std::vector<unsigned long> values;
    if (XGetWindowProperty(display, window, XInternAtom(display, property, False), 0, ALL_ITEMS,
                           False, AnyPropertyType, &type, &format, &count, &remaining,
                           &data) == Success &&
        format == 32) {
        const unsigned long* items = reinterpret_cast<const unsigned long*>(data);
        values.assign(items, items + count);
    }
    if (data != nullptr) {
        XFree(data);
    }
    return values;
}

std::vector<unsigned char> iconImage(const std::vector<unsigned long>& cardinals, int size) {
    // Entries: width, height, then width x height pixels, 0xAARRGGBB.
    for (std::size_t at = 0; at + 2 <= cardinals.size();) {
        const unsigned long width = cardinals[at], height = cardinals[at + 1];
        const std::size_t pixels = static_cast<std::size_t>(width) * height;
        if (pixels > cardinals.size() - at - 2) {
            break;
        }
        if (width == static_cast<unsigned long>(size) && height == width) {
            std::vector<unsigned char> rgba;
            for (std::size_t i = 0; i < pixels; ++i) {
                const unsigned long argb = cardinals[at + 2 + i];
                for (int shift : {16, 8, 0, 24}) {
                    rgba.push_back(static_cast<unsigned char>(argb >> shift & 0xff));
                }
            }
            return rgba;
        }
        at += 2 + pixels;
    }
    return {};
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

namespace {

// A pixel's channel under `mask`, scaled to 0-255 whatever the visual's depth; 0 without one.
unsigned long channelLevel(unsigned long pixel, unsigned long mask) {
    const unsigned long lowest = mask & (~mask + 1);
    return mask == 0 ? 0 : (pixel & mask) / lowest * 255 / (mask / lowest);
}

} // namespace

double windowLitShare(Display* display, Window window, int level) {
    XWindowAttributes attributes{};
    if (XGetWindowAttributes(display, window, &attributes) == 0 || attributes.width <= 0 ||
        attributes.height <= 0) {
        return -1.0;
    }
    XImage* image =
        XGetImage(display, window, 0, 0, attributes.width, attributes.height, AllPlanes, ZPixmap);
    if (image == nullptr) {
        return -1.0;
    }
    const unsigned long threshold = static_cast<unsigned long>(level);
    long lit = 0;
    for (int y = 0; y < image->height; ++y) {
        for (int x = 0; x < image->width; ++x) {
            const unsigned long pixel = XGetPixel(image, x, y);
            lit += channelLevel(pixel, image->red_mask) > threshold ||
                   channelLevel(pixel, image->green_mask) > threshold ||
                   channelLevel(pixel, image->blue_mask) > threshold;
        }
    }
    const double share = static_cast<double>(lit) / (image->width * image->height);
    XDestroyImage(image);
    return share;
}
