// Writes the scene's six sky faces and its feather image into a directory.
#include "scene_images.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace {

constexpr int EXIT_WRITE_FAILED = 1;
constexpr int EXIT_USAGE = 2;

} // namespace

int main(int argc, char** argv) {
    if (argc != 2 || argv[1][0] == '\0') {
        std::fprintf(stderr, "usage: %s DIR\nWrites the sky and feather images into DIR.\n",
                     argc > 0 ? argv[0] : "plume-make-images");
        return EXIT_USAGE;
    }
    const std::string directory = argv[1];
    std::error_code error;
    std::filesystem::create_directories(directory, error);
    if (error) {
        std::fprintf(stderr, "cannot create %s: %s\n", directory.c_str(), error.message().c_str());
        return EXIT_WRITE_FAILED;
    }
    if (!writeSceneImages(directory)) {
        std::fprintf(stderr, "cannot write the images into %s\n", directory.c_str());
        return EXIT_WRITE_FAILED;
    }
    return 0;
}
