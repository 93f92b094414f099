#include "gl_test_support.h"

#include "app/frame.h"
#include "app/glut_window.h"

#include <filesystem>

void ensureGlWindow() {
    static bool opened = false;
    if (opened) {
        return;
    }
    int argc = 1;
    char name[] = "plume_tests";
    char* argv[] = {name, nullptr};
    openWindow(&argc, argv, WINDOW_WIDTH, WINDOW_HEIGHT);
    opened = true;
}

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "plume-test-XXXXXX").string();
    path_ = mkdtemp(pattern.data()) != nullptr ? pattern : std::string();
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}
