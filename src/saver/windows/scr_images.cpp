#include "saver/windows/scr_images.h"

#include "saver/windows/scr_window.h"
#include "scene/scene_textures.h"

#include <cstring>
#include <cwchar>

namespace {

// The installer's own key, Software\VENDOR\KEY of scripts/cpack.cmake's CPACK_PACKAGE_VENDOR and
// CPACK_PACKAGE_INSTALL_REGISTRY_KEY.
const wchar_t INSTALL_REGISTRY_KEY[] = L"Software\\the plume developers\\plume";
// Long enough for any folder the installer may be given.
constexpr DWORD FOLDER_CHARACTERS = 32768;
wchar_t g_folder[FOLDER_CHARACTERS];
wchar_t g_path[FOLDER_CHARACTERS];

// FOLDER\NAME into g_path; false if it does not fit. The images' names are ASCII.
bool joinPath(const wchar_t* folder, const char* name) {
    const std::size_t folderLength = std::wcslen(folder);
    const std::size_t nameLength = std::strlen(name);
    if (folderLength + 1 + nameLength >= FOLDER_CHARACTERS) {
        return false;
    }
    std::wmemcpy(g_path, folder, folderLength);
    g_path[folderLength] = L'\\';
    for (std::size_t i = 0; i <= nameLength; ++i) {
        g_path[folderLength + 1 + i] = static_cast<wchar_t>(name[i]);
    }
    return true;
}

bool holdsImages(const wchar_t* folder) {
    for (const SceneTextureFile& file : SCENE_TEXTURE_FILES) {
        if (!joinPath(folder, file.fileName) ||
            GetFileAttributesW(g_path) == INVALID_FILE_ATTRIBUTES) {
            return false;
        }
    }
    return true;
}

bool enterIfHoldsImages(const wchar_t* folder) {
    return folder[0] != L'\0' && holdsImages(folder) && SetCurrentDirectoryW(folder) != 0;
}

// The folder of the running .scr file.
bool readOwnFolder() {
    const DWORD length = GetModuleFileNameW(nullptr, g_folder, FOLDER_CHARACTERS);
    if (length == 0 || length >= FOLDER_CHARACTERS) {
        return false;
    }
    wchar_t* slash = std::wcsrchr(g_folder, L'\\');
    if (slash == nullptr) {
        return false;
    }
    *slash = L'\0';
    return true;
}

// The installation folder, which the installer keeps as the default value of its own key: in
// HKLM for an installation for all users, in HKCU for one user's; the 64-bit view either way.
bool readInstalledFolder(HKEY root) {
    DWORD bytes = sizeof g_folder;
    return RegGetValueW(root, INSTALL_REGISTRY_KEY, nullptr, RRF_RT_REG_SZ | RRF_SUBKEY_WOW6464KEY,
                        nullptr, g_folder, &bytes) == ERROR_SUCCESS;
}

} // namespace

bool enterImageFolder() {
    if (readOwnFolder() && enterIfHoldsImages(g_folder)) {
        return true;
    }
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
        if (readInstalledFolder(root) && enterIfHoldsImages(g_folder)) {
            return true;
        }
    }
    return false;
}
