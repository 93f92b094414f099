#include "clip.h"

#include <cstdio>

int main(int argc, char** argv) {
    ClipOptions options;
    std::string error;
    if (!parseClipArgs(argc, argv, options, error)) {
        std::fprintf(stderr,
                     "plume-clip: %s\n"
                     "usage: plume-clip [--data DIR] [--start SECONDS] [--length SECONDS] "
                     "[--fps N] [--step-ms N] [--size WxH] [--quality 0-100|lossless] "
                     "--out FILE.webp\n",
                     error.c_str());
        return 2;
    }
    return runClip(options, "plume-clip");
}
