// Tells whether two PNG files show the same frame, within what renderers may round apart.
//   plume-compare A.png B.png
// Prints the differences; exit status 0 for the same frame, 1 for another, 2 on a bad argument
// or an unreadable file.
#include "image_compare.h"
#include "options.h"

#include <cstdio>
#include <utility>

int main(int argc, char** argv) {
    std::string error;
    const CommandLine line = parseOperands(argc, argv, 2, 2, error);
    if (line != CommandLine::Run) {
        return usageStatus(line, "plume-compare", error, "usage: plume-compare A.png B.png\n");
    }
    RgbImage a;
    RgbImage b;
    for (const auto& [path, image] : {std::pair{argv[1], &a}, std::pair{argv[2], &b}}) {
        if (!readPng(path, *image)) {
            std::fprintf(stderr, "plume-compare: cannot read %s\n", path);
            return EXIT_USAGE;
        }
    }
    const ImageDifference difference = compareImages(a, b);
    if (!difference.sameSize) {
        std::printf("%dx%d against %dx%d\n", a.width, a.height, b.width, b.height);
        return 1;
    }
    std::printf("mean difference %.3f levels, %.3f%% of values more than %d levels apart\n",
                difference.meanLevels, 100.0 * difference.shareOverLimit, DIFFERENCE_LIMIT_LEVELS);
    return sameFrame(difference) ? 0 : 1;
}
