#include "clip.h"

namespace {

constexpr char USAGE[] = "usage: plume-clip [--data DIR] [--start SECONDS] [--length SECONDS] "
                         "[--fps N] [--step-ms N] [--size WxH] [--quality 0-100|lossless] "
                         "--out FILE.webp\n";

} // namespace

int main(int argc, char** argv) {
    ClipOptions options;
    std::string error;
    const CommandLine line = parseClipArgs(argc, argv, options, error);
    if (line != CommandLine::Run) {
        return usageStatus(line, "plume-clip", error, USAGE);
    }
    return runClip(options, "plume-clip");
}
