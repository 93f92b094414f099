#include "gl_test_support.h"

#include "app/glut_window.h"

#include <cstdlib>

void ensureGlWindow() {
    static bool opened = false;
    int argc = 1;
    char name[] = "plume_tests";
    char* argv[] = {name, nullptr};
    if (!opened)
        openWindow(&argc, argv, WINDOW_WIDTH, WINDOW_HEIGHT), opened = true;
}

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "plume-test-XXXXXX").string();
    path_ = mkdtemp(pattern.data()) != nullptr ? pattern : std::string();
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

void startTestScene(int width, const std::string& dataDirectory, float yaw) {
    ensureGlWindow();
    randomState = RANDOM_START_STATE;
    g_yaw = yaw;
    useManualClock();
    startScene(width, WINDOW_HEIGHT, dataDirectory);
}

RgbImage snapshotFrame(const TempDir& out, const std::string& arguments) {
    const std::string path = out.file("frame.png");
    std::filesystem::remove(path);
    const std::string command = std::string(PLUME_SNAPSHOT_EXE) + " --data " + PLUME_DATA_DIR +
                                arguments + " --out " + path;
    EXPECT_EQ(std::system(command.c_str()), 0) << command; // 0: it ran and exited with 0
    RgbImage image;
    EXPECT_TRUE(readPng(path, image)) << path;
    return image;
}
