// A real window and OpenGL context for tests, opened through the program's own window code.
#pragma once

#include "platform.h"

#include <string>

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
