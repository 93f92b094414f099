#include "saver/windows/scr_monitors.h"

#include "saver/saver_loop.h"

namespace {

struct MonitorList {
    HWND window;
    int clientHeight;
    FrameView* views;
    int count;
};

BOOL CALLBACK addMonitor(HMONITOR, HDC, LPRECT screen, LPARAM data) {
    MonitorList& list = *reinterpret_cast<MonitorList*>(data);
    if (list.count == MAX_MONITOR_VIEWS) {
        list.count = 0;
        return FALSE;
    }
    // The bottom-left corner, from the virtual screen into the client area, then turned up.
    POINT corner{screen->left, screen->bottom};
    ScreenToClient(list.window, &corner);
    list.views[list.count++] = {corner.x, list.clientHeight - corner.y,
                                screen->right - screen->left, screen->bottom - screen->top};
    return TRUE;
}

} // namespace

RECT virtualScreen() {
    const int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
    const int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    return {left, top, left + GetSystemMetrics(SM_CXVIRTUALSCREEN),
            top + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

double displayRefreshHz() {
    DEVMODEW mode{};
    mode.dmSize = sizeof mode;
    // 0 and 1 stand for the hardware's default rate.
    if (!EnumDisplaySettingsW(nullptr, ENUM_CURRENT_SETTINGS, &mode) ||
        mode.dmDisplayFrequency <= 1) {
        return DEFAULT_REFRESH_HZ;
    }
    return mode.dmDisplayFrequency;
}

int monitorViews(HWND window, FrameView* views) {
    RECT client{};
    GetClientRect(window, &client);
    MonitorList list{window, client.bottom, views, 0};
    if (!EnumDisplayMonitors(nullptr, nullptr, addMonitor, reinterpret_cast<LPARAM>(&list))) {
        return 0;
    }
    return list.count > 1 ? list.count : 0;
}
