// The clip tool's command line, and which pinned frames a clip holds: frames at the start time
// and every 1/fps seconds after it, each drawn as plume-snapshot draws it at that time.
#pragma once

#include "options.h"

#include <cstdint>
#include <string>

// The quality that asks for a lossless clip; lossy ones take 0 to 100.
constexpr int LOSSLESS_QUALITY = -1;

struct ClipOptions {
    std::string dataDirectory;
    std::int64_t startMs = 0;
    std::int64_t lengthMs = 6000;
    int framesPerSecond = 25;
    int stepMs = 0; // the pinned clock's step; 0 until parsed, then the frame interval if unset
    int width = 480;
    int height = 360;
    int quality = 90;
    std::string outPath;
};

// Fills `options` from the command line and checks that every clip frame falls on the step grid
// of the pinned clock; on a bad argument returns Refused with `error` set.
CommandLine parseClipArgs(int argc, char** argv, ClipOptions& options, std::string& error);

// The time between clip frames: 1000 / fps, a whole number of milliseconds.
int clipFrameIntervalMs(const ClipOptions& options);

// The frames at start, start + interval, ... while below start + length.
std::int64_t clipFrameCount(const ClipOptions& options);

std::int64_t clipFrameTimeMs(const ClipOptions& options, int frame);
