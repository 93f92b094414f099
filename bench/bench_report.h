// What the bench prints: start-up by phase, a table of the passes, and RESULT lines for scripts.
#pragma once

#include "bench_passes.h"
#include "frame_stats.h"

#include <cstdio>

// Start-up, each phase in milliseconds; the reading and upload figures come from loading the
// scene's files a second time after start-up, since the scene loads them in one call.
struct StartupTimes {
    double beforeMainMs = -1.0;
    double windowMs = 0.0;
    double sceneMs = 0.0;
    double firstFrameMs = 0.0;
    double sinceMainMs = 0.0;
    double sinceProcessStartMs = -1.0;
    double readingMs = 0.0;
    double uploadMs = 0.0;
};

void printStartup(std::FILE* out, const StartupTimes& times);
void printPassTableHeader(std::FILE* out);
void printPassRow(std::FILE* out, BenchPass pass, const FrameStats& stats);
void printPassResult(std::FILE* out, BenchPass pass, const FrameStats& stats);
