#include "frame_stats.h"

#include <algorithm>

namespace {

double medianOfSorted(const double* sorted, int count) {
    const int middle = count / 2;
    return count % 2 == 1 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2.0;
}

} // namespace

FrameStats summarizeFrames(double* frameMs, int count) {
    FrameStats stats;
    if (count <= 0) {
        return stats;
    }
    std::sort(frameMs, frameMs + count);
    double totalMs = 0.0;
    for (int i = 0; i < count; ++i) {
        totalMs += frameMs[i];
    }
    const int rank95 = (95 * count + 99) / 100;
    stats.frames = count;
    stats.medianMs = medianOfSorted(frameMs, count);
    stats.p95Ms = frameMs[rank95 - 1];
    stats.meanMs = totalMs / count;
    stats.minMs = frameMs[0];
    stats.maxMs = frameMs[count - 1];
    stats.framesPerSecond = totalMs > 0.0 ? count * MILLISECONDS_PER_SECOND / totalMs : 0.0;
    return stats;
}
