// Where a screen saver finds the scene's seven images: each saver knows the folders its
// installations put them in, and takes the first that holds all seven, by this one rule.
#pragma once

#include <filesystem>

// The first of `count` candidate folders that holds every one of the scene's images, or nullptr
// when none does (the saver then runs with white faces, as the program does).
const std::filesystem::path* firstImageFolder(const std::filesystem::path* candidates, int count);
