// A real window and OpenGL context for tests, opened through the program's own window code.
#pragma once

#include "platform.h"

#include <string>

// Opens the test window, of the program's size, once per process and makes its context current.
void ensureGlWindow();

// The current matrix of `which` (GL_PROJECTION_MATRIX, GL_MODELVIEW_MATRIX), column-major.
struct Matrix4 {
    double m[16];
};
Matrix4 readMatrix(GLenum which);

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

// Runs a shell command and returns its exit status (-1 if it did not exit normally).
int runCommand(const std::string& command);
