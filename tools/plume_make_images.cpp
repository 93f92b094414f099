// Writes the scene's six sky faces and its feather image into a directory, and the icon at each
// of its sizes into its icons/ folder: together, what data/ holds.
#include "options.h"
#include "scene_images.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace {

constexpr int EXIT_WRITE_FAILED = 1;
constexpr char USAGE[] =
    "usage: plume-make-images [--plain] DIR\n"
    "Writes the sky and feather images into DIR, the icons into DIR/icons.\n"
    "--plain writes a black sky and an opaque white feather instead, and no icons: the scene\n"
    "that measures how much of a frame the feathers cover.\n";

int writePlain(const std::string& directory) {
    std::error_code error;
    std::filesystem::create_directories(directory, error);
    if (error || !writePlainSceneImages(directory)) {
        std::fprintf(stderr, "cannot write the images into %s\n", directory.c_str());
        return EXIT_WRITE_FAILED;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    std::string refusal;
    // The one option comes first; what follows it is read as if it were the whole line.
    const int plain = argc > 1 && std::strcmp(argv[1], "--plain") == 0 ? 1 : 0;
    CommandLine line = parseOperands(argc - plain, argv + plain, 1, 1, refusal);
    if (line == CommandLine::Run && argv[1 + plain][0] == '\0') {
        refusal = "the folder's name is empty";
        line = CommandLine::Refused;
    }
    if (line != CommandLine::Run) {
        return usageStatus(line, "plume-make-images", refusal, USAGE);
    }
    const std::string directory = argv[1 + plain];
    if (plain == 1) {
        return writePlain(directory);
    }
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
