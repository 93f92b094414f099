// The scene's seven images, as the program expects to find them.
#pragma once

#include <string>

// Writes the six sky faces and the feather into `directory`, under the scene's file names.
bool writeSceneImages(const std::string& directory);

// Writes the measuring scene under the same names: black sky faces and an opaque white feather,
// so that every lit pixel of a frame is a feather.
bool writePlainSceneImages(const std::string& directory);

// Writes the icon at each of its sizes into `directory`, as "plume-SIZE.png", and at the window's
// sizes as "plume-SIZE.tga" too.
bool writeIconImages(const std::string& directory);
