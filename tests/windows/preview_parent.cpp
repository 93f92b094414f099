// Display settings' stand-in: a white window that prints its handle for a saver's /p or /c:, and
// lingers once closed, so that a saver ends for its window, not its process. Never active, which
// Wine would take down waiting for a window manager. Input lines: minimise, hide, show, caption.
#include <windows.h>

#include <cstdint>
#include <cstdio>

constexpr int LINGER_MS = 5000;
constexpr UINT COMMAND_MESSAGE = WM_APP;

LRESULT CALLBACK parentProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
    }
    if (message == COMMAND_MESSAGE && wParam == 'c') {
        char caption[256] = "";
        GetWindowTextA(GetWindow(window, GW_CHILD), caption, sizeof caption);
        std::printf("%s\n", caption);
        std::fflush(stdout);
    } else if (message == COMMAND_MESSAGE) {
        ShowWindow(window, wParam == 'm'   ? SW_SHOWMINNOACTIVE
                           : wParam == 'h' ? SW_HIDE
                                           : SW_SHOWNOACTIVATE);
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// Each line's first letter to the window; read past the C runtime, whose lock would stop exit.
DWORD WINAPI readCommands(void* window) {
    char byte = '\n', last = '\n';
    DWORD count = 0;
    while (ReadFile(GetStdHandle(STD_INPUT_HANDLE), &byte, 1, &count, nullptr) && count == 1) {
        if (last == '\n') {
            PostMessageW(static_cast<HWND>(window), COMMAND_MESSAGE, static_cast<WPARAM>(byte), 0);
        }
        last = byte;
    }
    return 0;
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
    CloseHandle(CreateThread(nullptr, 0, readCommands, parent, 0, nullptr));
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        DispatchMessageW(&message);
    }
    Sleep(LINGER_MS);
    return 0;
}
