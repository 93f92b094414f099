// A real window and OpenGL context for tests, opened through the program's own window code, and
// what several tests share: a temporary folder, the scene started as the program starts it,
// plume-snapshot's frames, and the headers most of them read.
#pragma once

#include <gtest/gtest.h>

#include "app/camera.h"
#include "app/frame.h"
#include "app/pinned_frame.h"
#include "image_compare.h"
#include "platform.h"
#include "scene/feathers.h"
#include "snapshot.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

// Opens the test window, of the program's size, once per process and makes its context current.
void ensureGlWindow();

// A fresh directory under the system's temporary directory, removed by the destructor.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

  private:
    std::string path_;
};

// The scene started in the test window as the program starts it, `width` wide, from the
// generator's first state, with the yaw at `yaw`, on the manual clock.
void startTestScene(int width, const std::string& dataDirectory, float yaw = 0.0f);

// plume-snapshot's frame of data/ with `arguments`, written into `out` and read back; a failed
// run or an unreadable image fails the calling test.
RgbImage snapshotFrame(const TempDir& out, const std::string& arguments);
