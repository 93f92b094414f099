#include "snapshot.h"

#include <cstdio>

int main(int argc, char** argv) {
    SnapshotOptions options;
    std::string error;
    if (!parseSnapshotArgs(argc, argv, options, error)) {
        std::fprintf(stderr,
                     "plume-snapshot: %s\n"
                     "usage: plume-snapshot [--data DIR] [--time SECONDS] [--step-ms N] "
                     "[--size WxH] --out FILE.png\n",
                     error.c_str());
        return 2;
    }
    return runSnapshot(options, "plume-snapshot");
}
