// The scene's seven images, as the program expects to find them.
#pragma once

#include <string>

// Writes the six sky faces and the feather into `directory`, under the scene's file names.
bool writeSceneImages(const std::string& directory);
