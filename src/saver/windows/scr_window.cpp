#include "saver/windows/scr_window.h"

#include "app/captions.h"
#include "app/clock.h"
#include "app/frame.h"
#include "app/swap_interval.h"
#include "saver/saver_loop.h"
#include "saver/windows/scr_command_line.h"
#include "saver/windows/scr_images.h"
#include "saver/windows/scr_monitors.h"

#include <mmsystem.h>

#include <cwchar>

namespace {

const wchar_t WINDOW_CLASS[] = L"PlumeScreenSaver";
// The icon of plume_scr.rc, shown where Windows lists the saver's window.
constexpr WORD ICON_RESOURCE = 1;
constexpr BYTE COLOUR_BITS = 24;
constexpr BYTE DEPTH_BITS = 24;
// The finest timer Windows offers: the frames' waits of a few milliseconds would otherwise be
// rounded up to its default tick of 15.6 ms, a frame rate of 32 on a display of 60.
constexpr UINT TIMER_RESOLUTION_MS = 1;
constexpr int FAILURE_CHARACTERS = 160;

HWND g_window = nullptr;
HDC g_deviceContext = nullptr;
HGLRC g_renderContext = nullptr;
// /s: input ends it, measured from where the pointer was when it started.
bool g_fullScreen = false;
POINT g_pointerStart{};
// /p: the Display settings' window, which Windows may take away without a word to the child.
HWND g_parent = nullptr;
// What the saver ends with: the quit message's.
int g_exitStatus = 0;
// /s: a view for each monitor under the window; none for one monitor, or for a preview.
FrameView g_views[MAX_MONITOR_VIEWS];
SaverHost g_host{};

// The caption the clock writes every 100 frames goes into the window's own text, which nobody
// sees on a popup or a child, but which says the frames go on.
void writeWindowText(const char* caption) {
    if (g_window != nullptr) {
        SetWindowTextA(g_window, caption);
    }
}

bool endsSaver(UINT message, WPARAM wParam) {
    switch (message) {
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_XBUTTONDOWN:
    case WM_MOUSEWHEEL:
        return true;
    case WM_ACTIVATE:
        return LOWORD(wParam) == WA_INACTIVE;
    case WM_ACTIVATEAPP:
    case WM_NCACTIVATE:
        return wParam == FALSE;
    case WM_MOUSEMOVE: {
        POINT pointer{};
        return GetCursorPos(&pointer) != 0 &&
               pointerMovedAway(g_pointerStart.x, g_pointerStart.y, pointer.x, pointer.y);
    }
    default:
        return false;
    }
}

void stopGl() {
    wglMakeCurrent(nullptr, nullptr);
    if (g_renderContext != nullptr) {
        wglDeleteContext(g_renderContext);
        g_renderContext = nullptr;
    }
    if (g_deviceContext != nullptr) {
        ReleaseDC(g_window, g_deviceContext);
        g_deviceContext = nullptr;
    }
}

// /s: the window over every monitor, and a view for each; again whenever they change.
void coverScreens() {
    const RECT screen = virtualScreen();
    SetWindowPos(g_window, HWND_TOPMOST, screen.left, screen.top, screen.right - screen.left,
                 screen.bottom - screen.top, SWP_NOACTIVATE);
    g_host.viewCount = monitorViews(g_window, g_views);
}

LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // The process ends at once, and its window with it: destroying the window first would hide
    // it first, and a hidden full-screen window waits on the desktop (under Wine without a
    // window manager, 2 s).
    if (g_fullScreen && endsSaver(message, wParam)) {
        stopGl();
        PostQuitMessage(0);
    }
    switch (message) {
    case WM_SETCURSOR:
        if (g_fullScreen) {
            SetCursor(nullptr);
            return TRUE;
        }
        break;
    case WM_SYSCOMMAND:
        // Neither a second saver nor Alt+F4 over this one.
        if (g_fullScreen && ((wParam & 0xFFF0) == SC_SCREENSAVE || (wParam & 0xFFF0) == SC_CLOSE)) {
            return FALSE;
        }
        break;
    case WM_SIZE:
        if (g_renderContext != nullptr) {
            reshape(LOWORD(lParam), HIWORD(lParam));
        }
        return 0;
    case WM_DISPLAYCHANGE:
        if (g_fullScreen) {
            coverScreens();
        }
        return 0;
    case WM_ERASEBKGND:
        return TRUE;
    case WM_PAINT:
        ValidateRect(window, nullptr);
        return 0;
    case WM_DESTROY:
        stopGl();
        PostQuitMessage(0);
        return 0;
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

bool registerClass(HINSTANCE instance) {
    WNDCLASSW windowClass{};
    // Its own device context, which keeps the pixel format for as long as the window lives.
    windowClass.style = CS_OWNDC;
    windowClass.lpfnWndProc = windowProcedure;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(ICON_RESOURCE));
    windowClass.lpszClassName = WINDOW_CLASS;
    return RegisterClassW(&windowClass) != 0;
}

// GL on the window's own device context; 0, or the failure's status.
int startGl() {
    g_deviceContext = GetDC(g_window);
    PIXELFORMATDESCRIPTOR format{};
    format.nSize = sizeof format;
    format.nVersion = 1;
    format.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    format.iPixelType = PFD_TYPE_RGBA;
    format.cColorBits = COLOUR_BITS;
    format.cDepthBits = DEPTH_BITS;
    format.iLayerType = PFD_MAIN_PLANE;
    const int chosen = ChoosePixelFormat(g_deviceContext, &format);
    if (chosen == 0) {
        return reportFailure(SCR_PIXEL_FORMAT_STATUS, L"choose a GL pixel format",
                             L"ChoosePixelFormat");
    }
    if (!SetPixelFormat(g_deviceContext, chosen, &format)) {
        return reportFailure(SCR_PIXEL_FORMAT_STATUS, L"set its pixel format", L"SetPixelFormat");
    }
    g_renderContext = wglCreateContext(g_deviceContext);
    if (g_renderContext == nullptr) {
        return reportFailure(SCR_GL_CONTEXT_STATUS, L"create a GL context", L"wglCreateContext");
    }
    return wglMakeCurrent(g_deviceContext, g_renderContext)
               ? 0
               : reportFailure(SCR_GL_CONTEXT_STATUS, L"make its GL context current",
                               L"wglMakeCurrent");
}

// The scene at the window's size, its frames at the display's pace: a saver runs for hours.
void startDrawing() {
    setCaptionWriter(writeWindowText);
    setSwapInterval(1);
    RECT client{};
    GetClientRect(g_window, &client);
    enterImageFolder();
    startScene(client.right - client.left, client.bottom - client.top);
}

// A preview whose Display settings are minimised or hidden is not seen: it draws nothing, where a
// swap that waits for no refresh would spin, and the clock's gap becomes a pause.
bool windowSeen() {
    return IsWindowVisible(g_window) && !IsIconic(GetAncestor(g_window, GA_ROOT));
}

// The messages that wait; false once the quit message comes.
bool handleMessages() {
    MSG message{};
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            g_exitStatus = static_cast<int>(message.wParam);
            return false;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    if (g_parent != nullptr && !IsWindow(g_parent)) {
        DestroyWindow(g_window);
    }
    return true;
}

void waitForMessages(int milliseconds) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(milliseconds), QS_ALLINPUT);
}

// Drawn only while the window and its context live: the window goes before its quit message.
bool drawable() {
    return g_renderContext != nullptr && windowSeen();
}

void swapFrame() {
    SwapBuffers(g_deviceContext);
}

// The frames, paced to the display: a swap that waits for no refresh (Wine on a server without
// one, or a driver told to ignore the swap interval) returns at once.
int runFrames() {
    g_host = {handleMessages, drawable, waitForMessages, swapFrame, displayRefreshHz(), g_views, 0};
    if (g_fullScreen) {
        coverScreens();
    }
    timeBeginPeriod(TIMER_RESOLUTION_MS);
    runSaverFrames(g_host);
    timeEndPeriod(TIMER_RESOLUTION_MS);
    return g_exitStatus;
}

// The window made, GL on it and the scene started, then its frames; a failure's status if any
// step fails.
int run(HINSTANCE instance, DWORD exStyle, DWORD style, RECT area, HWND parent) {
    if (!registerClass(instance)) {
        return reportFailure(SCR_WINDOW_CLASS_STATUS, L"register its window class",
                             L"RegisterClassW");
    }
    g_window = CreateWindowExW(exStyle, WINDOW_CLASS, nullptr, style, area.left, area.top,
                               area.right - area.left, area.bottom - area.top, parent, nullptr,
                               instance, nullptr);
    if (g_window == nullptr) {
        return reportFailure(SCR_WINDOW_STATUS, L"create its window", L"CreateWindowExW");
    }
    SetWindowTextA(g_window, WINDOW_CAPTION);
    const int status = startGl();
    if (status != 0) {
        DestroyWindow(g_window);
        return status;
    }
    startDrawing();
    return runFrames();
}

} // namespace

int reportFailure(int status, const wchar_t* what, const wchar_t* call) {
    const DWORD error = GetLastError();
    wchar_t line[FAILURE_CHARACTERS];
    std::swprintf(line, FAILURE_CHARACTERS,
                  L"Plume.scr: could not %ls (%ls, error %lu); exit status %d\n", what, call, error,
                  status);
    OutputDebugStringW(line);
    return status;
}

int runSaver(HINSTANCE instance) {
    g_fullScreen = true;
    GetCursorPos(&g_pointerStart);
    return run(instance, WS_EX_TOPMOST, WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS,
               virtualScreen(), nullptr);
}

int runPreview(HINSTANCE instance, HWND parent) {
    if (!IsWindow(parent)) {
        return reportFailure(SCR_NO_PARENT_STATUS, L"find the window /p names", L"IsWindow");
    }
    g_parent = parent;
    RECT client{};
    GetClientRect(parent, &client);
    return run(instance, 0, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, client,
               parent);
}
