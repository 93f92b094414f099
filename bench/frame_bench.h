// Times the program's frames on the live clock: clear and swap alone, the sky alone and the full
// frame, each from the program's start state; and the time from process start to the first
// completed frame, with where it went.
#pragma once

#include <cstdio>
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
constexpr int BENCH_PASS_COUNT = 3;
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

// Field 22 of a /proc/PID/stat line, the process's start in clock ticks since boot. The command
// name in field 2 may hold spaces and parentheses, so fields are counted from its last ')'.
bool parseStartTicks(const char* statLine, long long& ticks);

// Milliseconds since boot on the clock the kernel dates processes by, and this process's start
// on it; both are negative where the system does not tell.
double bootClockMs();
double processStartMs();

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

struct TextureLoadTimes {
    double readingMs = 0.0;
    double uploadMs = 0.0;
};

// Reads every scene image and uploads it, with its mipmaps, into a scratch texture that is then
// deleted, timing the two steps apart. Needs the window's context.
TextureLoadTimes replayTextureLoads(const std::string& dataDirectory);

// The program's start state, taken after `startScene` and put back before every pass.
void saveStartState();
void restoreStartState();

// One frame of a pass, swap included.
void drawPassFrame(BenchPass pass);

// Draws frames of `pass` back to back for `seconds`, or until `capacity` frames, writing each
// frame's wall time into `frameMs`. Returns the number of frames.
int runFrames(BenchPass pass, double seconds, double* frameMs, int capacity);

void printStartup(std::FILE* out, const StartupTimes& times);
void printPassTableHeader(std::FILE* out);
void printPassRow(std::FILE* out, BenchPass pass, const FrameStats& stats);
void printPassResult(std::FILE* out, BenchPass pass, const FrameStats& stats);

// The whole tool; `mainStartMs` is `bootClockMs()` read first thing in main. Returns the status.
int runBench(const BenchOptions& options, double mainStartMs, const char* programName);
