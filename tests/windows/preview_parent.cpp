// A stand-in for Display settings: a white window that prints its handle, for a saver's /p or
// /c:, and ends when it is closed. It lingers then, so that a saver that ends has ended for its
// parent window, not for the parent's process. Never active, so that Wine leaves it to X alone:
// it waits 2 s for a window manager to take a window it manages down.
#include <windows.h>

#include <cstdint>
#include <cstdio>

constexpr int LINGER_MS = 5000;

LRESULT CALLBACK parentProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

int main() {
    WNDCLASSW parentClass{};
    parentClass.lpfnWndProc = parentProcedure;
    parentClass.hInstance = GetModuleHandleW(nullptr);
    parentClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    parentClass.lpszClassName = L"PreviewParent";
    RegisterClassW(&parentClass);
    HWND parent =
        CreateWindowExW(WS_EX_NOACTIVATE, parentClass.lpszClassName, L"preview parent", WS_POPUP,
                        100, 100, 320, 240, nullptr, nullptr, parentClass.hInstance, nullptr);
    ShowWindow(parent, SW_SHOWNOACTIVATE);
    std::printf("%llu\n",
                static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(parent)));
    std::fflush(stdout);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        DispatchMessageW(&message);
    }
    Sleep(LINGER_MS);
    return 0;
}
