#include "saver/windows/scr_images.h"

#include "saver/image_folder.h"
#include "saver/windows/scr_window.h"

#include <cwchar>

namespace {

// The installer's own key, Software\VENDOR\KEY of scripts/cpack.cmake's CPACK_PACKAGE_VENDOR and
// CPACK_PACKAGE_INSTALL_REGISTRY_KEY.
const wchar_t INSTALL_REGISTRY_KEY[] = L"Software\\the plume developers\\plume";
// Long enough for any folder the installer may be given.
constexpr DWORD FOLDER_CHARACTERS = 32768;
wchar_t g_folder[FOLDER_CHARACTERS];

// The folder of the running .scr file; empty if it cannot be had.
std::filesystem::path ownFolder() {
    const DWORD length = GetModuleFileNameW(nullptr, g_folder, FOLDER_CHARACTERS);
    if (length == 0 || length >= FOLDER_CHARACTERS) {
        return {};
    }
    return std::filesystem::path(g_folder).parent_path();
}

// The installation folder, which the installer keeps as the default value of its own key: in
// HKLM for an installation for all users, in HKCU for one user's; the 64-bit view either way.
// Empty where there is none.
std::filesystem::path installedFolder(HKEY root) {
    DWORD bytes = sizeof g_folder;
    if (RegGetValueW(root, INSTALL_REGISTRY_KEY, nullptr, RRF_RT_REG_SZ | RRF_SUBKEY_WOW6464KEY,
                     nullptr, g_folder, &bytes) != ERROR_SUCCESS) {
        return {};
    }
    return std::filesystem::path(g_folder);
}

} // namespace

bool enterImageFolder() {
    const std::filesystem::path candidates[] = {ownFolder(), installedFolder(HKEY_CURRENT_USER),
                                                installedFolder(HKEY_LOCAL_MACHINE)};
    const std::filesystem::path* found = firstImageFolder(candidates, 3);
    return found != nullptr && SetCurrentDirectoryW(found->c_str()) != 0;
}
