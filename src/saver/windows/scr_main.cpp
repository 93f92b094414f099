// Plume.scr: plume as a Windows screen saver. Windows runs it with /s to save the screen, with
// /p HWND to preview it in Display settings, and with /c or nothing to configure it.
#include "saver/windows/scr_command_line.h"
#include "saver/windows/scr_window.h"

#include <cstdint>
#include <cstdio>

namespace {

// The saver's name: string 1 of its resources, which Windows lists it by.
constexpr UINT NAME_STRING = 1;
constexpr int NAME_CHARACTERS = 64;

void showSettings(HINSTANCE instance, std::uintptr_t owner) {
    HWND ownerWindow = reinterpret_cast<HWND>(owner);
    if (ownerWindow != nullptr && !IsWindow(ownerWindow)) {
        ownerWindow = nullptr;
    }
    wchar_t name[NAME_CHARACTERS] = L"Plume";
    LoadStringW(instance, NAME_STRING, name, NAME_CHARACTERS);
    MessageBoxW(ownerWindow, L"plume has no settings: it shows its sky and feathers as they are.",
                name, MB_OK | MB_ICONINFORMATION);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR arguments, int) {
    const ScrCommand command = parseScrCommandLine(arguments);
    switch (command.mode) {
    case ScrMode::Saver:
        return runSaver(instance);
    case ScrMode::Preview:
        return runPreview(instance, reinterpret_cast<HWND>(command.window));
    case ScrMode::Settings:
        showSettings(instance, command.window);
        return 0;
    case ScrMode::Ignored:
        return 0;
    case ScrMode::Refused:
        break;
    }
    std::fputs("usage: Plume.scr [/s | /p HWND | /c[:HWND]]\n", stderr);
    return SCR_USAGE_STATUS;
}
