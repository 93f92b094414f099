// Writes the scene's six sky faces and its feather image into a directory, and the icon at each
// of its sizes into its icons/ folder: together, what data/ holds.
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
        std::fprintf(stderr,
                     "usage: %s DIR\nWrites the sky and feather images into DIR, the icons into "
                     "DIR/icons.\n",
                     argc > 0 ? argv[0] : "plume-make-images");
        return EXIT_USAGE;
    }
    const std::string directory = argv[1];
    const std::string icons = directory + "/icons";
    std::error_code error;
    std::filesystem::create_directories(icons, error);
    if (error) {
        std::fprintf(stderr, "cannot create %s: %s\n", icons.c_str(), error.message().c_str());
        return EXIT_WRITE_FAILED;
    }
    if (!writeSceneImages(directory)) {
        std::fprintf(stderr, "cannot write the images into %s\n", directory.c_str());
        return EXIT_WRITE_FAILED;
    }
    if (!writeIconImages(icons)) {
        std::fprintf(stderr, "cannot write the icons into %s\n", icons.c_str());
        return EXIT_WRITE_FAILED;
    }
    return 0;
}
