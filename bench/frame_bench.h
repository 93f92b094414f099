// Times the program's frames on the live clock: clear and swap alone, the sky alone and the full
// frame, each from the program's start state; and the time from process start to the first
// completed frame, with where it went.
#pragma once

#include <string>

constexpr double DEFAULT_PASS_SECONDS = 5.0;
constexpr double DEFAULT_WARMUP_SECONDS = 1.0;
// Bounds the per-frame buffer, which is reserved before a pass for its longest possible run.
constexpr double MAX_PASS_SECONDS = 600.0;

struct BenchOptions {
    std::string dataDirectory;
    double seconds = DEFAULT_PASS_SECONDS;
    double warmupSeconds = DEFAULT_WARMUP_SECONDS;
};

// Fills `options` from the command line; on a bad argument returns false with `error` set.
bool parseBenchArgs(int argc, char** argv, BenchOptions& options, std::string& error);

enum class BenchPass { Floor, Sky, Full };
const char* benchPassName(BenchPass pass);

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

// The program's start state, taken after `startScene` and put back before every pass.
void saveStartState();
void restoreStartState();

// Draws frames of `pass` back to back for `seconds`, or until `capacity` frames, writing each
// frame's wall time into `frameMs`. Returns the number of frames.
int runFrames(BenchPass pass, double seconds, double* frameMs, int capacity);

// Milliseconds since boot on the clock the kernel dates processes by.
double bootClockMs();

// The whole tool; `mainStartMs` is `bootClockMs()` read first thing in main. Returns the status.
int runBench(const BenchOptions& options, double mainStartMs, const char* programName);
