#include "snapshot.h"

namespace {

constexpr char USAGE[] = "usage: plume-snapshot [--data DIR] [--time SECONDS] [--step-ms N] "
                         "[--size WxH] --out FILE.png\n";

} // namespace

int main(int argc, char** argv) {
    SnapshotOptions options;
    std::string error;
    const CommandLine line = parseSnapshotArgs(argc, argv, options, error);
    if (line != CommandLine::Run) {
        return usageStatus(line, "plume-snapshot", error, USAGE);
    }
    return runSnapshot(options, "plume-snapshot");
}
