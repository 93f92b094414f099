#include "app/window_identity.h"

#if !defined(_WIN32) && !defined(__APPLE__)
#include "app/window_icons.h"

#include <GL/glx.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <climits>
#include <cstring>
#include <unistd.h>
#endif

#if defined(_WIN32)

// freeglut's window class loads the icon resource GLUT_ICON (plume.rc.in), and the taskbar
// matches the window to its shortcut by the program's file.
void setWindowIdentity() {}

#elif defined(__APPLE__)

// The Dock names and shows an application by its bundle, not by its windows.
void setWindowIdentity() {}

#else

namespace {

// The desktop entry's StartupWMClass (data/install/plume.desktop) names this class.
constexpr char WINDOW_INSTANCE_NAME[] = "plume";
constexpr char WINDOW_CLASS_NAME[] = "plume";
constexpr int CARDINAL_BITS = 32;
constexpr int STRING_BITS = 8;

// A CARDINAL[] property: 32-bit items, which Xlib takes as one long each.
void setCardinals(Display* display, Window window, const char* name, const unsigned long* values,
                  std::size_t count) {
    XChangeProperty(display, window, XInternAtom(display, name, False), XA_CARDINAL, CARDINAL_BITS,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(values),
                    static_cast<int>(count));
}

} // namespace

void setWindowIdentity() {
    Display* display = glXGetCurrentDisplay();
    // freeglut draws straight into its X window, so the current drawable is the window.
    const Window window = glXGetCurrentDrawable();
    if (display == nullptr || window == None) {
        return;
    }
    char instance[sizeof WINDOW_INSTANCE_NAME];
    char windowClass[sizeof WINDOW_CLASS_NAME];
    std::memcpy(instance, WINDOW_INSTANCE_NAME, sizeof instance);
    std::memcpy(windowClass, WINDOW_CLASS_NAME, sizeof windowClass);
    XClassHint hint{instance, windowClass};
    XSetClassHint(display, window, &hint);

    // A process id means something only on its own machine, so the machine goes with it.
    char host[HOST_NAME_MAX + 1] = {};
    if (gethostname(host, sizeof host - 1) == 0) {
        XChangeProperty(display, window, XA_WM_CLIENT_MACHINE, XA_STRING, STRING_BITS,
                        PropModeReplace, reinterpret_cast<const unsigned char*>(host),
                        static_cast<int>(std::strlen(host)));
    }
    const unsigned long pid = static_cast<unsigned long>(getpid());
    setCardinals(display, window, "_NET_WM_PID", &pid, 1);

    const std::vector<unsigned long> icon = windowIconCardinals();
    if (!icon.empty()) {
        setCardinals(display, window, "_NET_WM_ICON", icon.data(), icon.size());
    }
}

#endif
