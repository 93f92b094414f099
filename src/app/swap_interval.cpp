#include "app/swap_interval.h"

#include "platform.h"

#include <cstring>

#if defined(__APPLE__)
#include <OpenGL/OpenGL.h>
#elif !defined(_WIN32)
#include <GL/glx.h>
#endif

bool hasExtension(const char* extensions, const char* name) {
    if (extensions == nullptr) {
        return false;
    }
    const std::size_t length = std::strlen(name);
    for (const char* found = std::strstr(extensions, name); found != nullptr;
         found = std::strstr(found + 1, name)) {
        const bool startsWord = found == extensions || found[-1] == ' ';
        const bool endsWord = found[length] == ' ' || found[length] == '\0';
        if (startsWord && endsWord) {
            return true;
        }
    }
    return false;
}

#if defined(__APPLE__)

void setSwapInterval(int frames) {
    const GLint interval = frames;
    CGLSetParameter(CGLGetCurrentContext(), kCGLCPSwapInterval, &interval);
}

#elif defined(_WIN32)

void setSwapInterval(int frames) {
    using SwapIntervalExt = BOOL(WINAPI*)(int);
    // Through the generic function type, which compilers accept as a cast to any other.
    const auto swapInterval = reinterpret_cast<SwapIntervalExt>(
        reinterpret_cast<void (*)()>(wglGetProcAddress("wglSwapIntervalEXT")));
    if (swapInterval != nullptr) {
        swapInterval(frames);
    }
}

#else

namespace {

template <typename Function> Function glxFunction(const char* name) {
    return reinterpret_cast<Function>(glXGetProcAddressARB(reinterpret_cast<const GLubyte*>(name)));
}

} // namespace

void setSwapInterval(int frames) {
    Display* display = glXGetCurrentDisplay();
    if (display == nullptr) {
        return;
    }
    const char* extensions = glXQueryExtensionsString(display, DefaultScreen(display));
    if (hasExtension(extensions, "GLX_EXT_swap_control")) {
        using SwapInterval = void (*)(Display*, GLXDrawable, int);
        if (auto swapInterval = glxFunction<SwapInterval>("glXSwapIntervalEXT")) {
            swapInterval(display, glXGetCurrentDrawable(), frames);
            return;
        }
    }
    if (hasExtension(extensions, "GLX_MESA_swap_control")) {
        using SwapInterval = int (*)(unsigned);
        if (auto swapInterval = glxFunction<SwapInterval>("glXSwapIntervalMESA")) {
            swapInterval(static_cast<unsigned>(frames));
            return;
        }
    }
    if (hasExtension(extensions, "GLX_SGI_swap_control")) {
        // Some drivers refuse an interval of 0 here; the frame then stays at the refresh rate.
        using SwapInterval = int (*)(int);
        if (auto swapInterval = glxFunction<SwapInterval>("glXSwapIntervalSGI")) {
            swapInterval(frames);
        }
    }
}

#endif

void disableSwapInterval() {
    setSwapInterval(0);
}
