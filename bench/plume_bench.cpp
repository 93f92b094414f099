#include "frame_bench.h"

#include <cstdio>

int main(int argc, char** argv) {
    // Read first, so that the phases of start-up add up to the whole.
    const double mainStartMs = bootClockMs();
    BenchOptions options;
    std::string error;
    if (!parseBenchArgs(argc, argv, options, error)) {
        std::fprintf(stderr,
                     "plume-bench: %s\n"
                     "usage: plume-bench [--data DIR] [--seconds S] [--warmup S]\n",
                     error.c_str());
        return 2;
    }
    return runBench(options, mainStartMs, "plume-bench");
}
