// The statistics of a run of frame times, and the wall clock they are taken on.
#pragma once

#include <chrono>

using Clock = std::chrono::steady_clock;
using Milliseconds = std::chrono::duration<double, std::milli>;
constexpr double MILLISECONDS_PER_SECOND = 1000.0;

struct FrameStats {
    int frames = 0;
    double medianMs = 0.0;
    double p95Ms = 0.0;
    double meanMs = 0.0;
    double minMs = 0.0;
    double maxMs = 0.0;
    double framesPerSecond = 0.0;
};

// Sorts `frameMs` in place. The 95th percentile is the nearest rank: the smallest time that at
// least 95% of the frames do not exceed.
FrameStats summarizeFrames(double* frameMs, int count);
