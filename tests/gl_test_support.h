// What the tests share: the program's own window, a temporary folder, the scene, snapshot frames.
#pragma once

#include <gtest/gtest.h>

#include "app/camera.h"
#include "app/frame.h"
#include "app/glut_window.h"
#include "app/pinned_frame.h"
#include "image_compare.h"
#include "platform.h"
#include "scene/feathers.h"
#include "snapshot.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

// Opens the test window, of the program's size, once per process and makes its context current.
inline void ensureGlWindow() {
    static bool opened = false;
    int argc = 1;
    char name[] = "plume_tests";
    char* argv[] = {name, nullptr};
    if (!opened)
        openWindow(&argc, argv, WINDOW_WIDTH, WINDOW_HEIGHT), opened = true;
}

// A fresh directory under the system's temporary directory, removed with it.
struct TempDir {
    std::string path = (std::filesystem::temp_directory_path() / "plume-test-XXXXXX").string();
    TempDir() { path = mkdtemp(path.data()) != nullptr ? path : std::string(); }
    TempDir(const TempDir&) = delete;
    ~TempDir() { std::filesystem::remove_all(path, removed); }
    std::error_code removed;
    std::string file(const std::string& name) const { return path + "/" + name; }
};

// The scene of data/ started as the program starts it, `width` wide, on the manual clock.
inline void startTestScene(int width, float yaw = 0.0f) {
    ensureGlWindow(), randomState = RANDOM_START_STATE, g_yaw = yaw, useManualClock();
    startScene(width, WINDOW_HEIGHT, PLUME_DATA_DIR);
}

// plume-snapshot's frame of data/ with `arguments`, read back; a failed run fails the test.
inline RgbImage snapshotFrame(const TempDir& out, const std::string& arguments) {
    const std::string path = out.file("frame.png"), command = std::string(PLUME_SNAPSHOT_EXE) +
                                                              " --data " + PLUME_DATA_DIR +
                                                              arguments + " --out " + path;
    std::filesystem::remove(path);
    EXPECT_EQ(std::system(command.c_str()), 0) << command; // 0: it ran and exited with 0
    RgbImage image;
    EXPECT_TRUE(readPng(path, image)) << path;
    return image;
}
