#include "gl_test_support.h"

#include "app/frame.h"

#include <cstdlib>
#include <filesystem>
#include <sys/wait.h>

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

Matrix4 readMatrix(GLenum which) {
    Matrix4 matrix{};
    glGetDoublev(which, matrix.m);
    return matrix;
}

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "plume-test-XXXXXX").string();
    path_ = mkdtemp(pattern.data()) != nullptr ? pattern : std::string();
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

int runCommand(const std::string& command) {
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
