// How far a shared moment's feathers stand from a live run's, and how long the moment takes to
// reach. A moment (the page's ?at=) moves the feathers on in the pinned frames' fixed 16 ms steps;
// a live run that reached the same time took whatever steps its frames took. For each kind of
// uneven frames it prints the feathers' largest and mean distance in scene units (about 0.05 is a
// pixel of a 640x480 frame), then the time taken to pass over the frames before --at S.
//   plume-moment [--seconds S] [--at S]
#include "app/clock.h"
#include "app/frame.h"
#include "app/pinned_frame.h"
#include "options.h"
#include "scene/feathers.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr double DEFAULT_LIVE_SECONDS = 60.0;
constexpr double DEFAULT_MOMENT_SECONDS = 600.0;
constexpr double MAX_SECONDS = 16000.0;

// Frame times spread evenly from `shortestMs` to `longestMs`, in a fixed pseudo-random order.
struct UnevenFrames {
    const char* name;
    int shortestMs;
    int longestMs;
};

constexpr UnevenFrames UNEVEN_FRAMES[] = {
    {"60 Hz with late frames", 8, 24},
    {"a busy 60 Hz display", 10, 22},
    {"30 Hz, steady", 33, 33},
    {"software WebGL, 20 to 250 frames/s", 4, 50},
    {"anything from 1 to 100 ms", 1, 100},
};

void startField() {
    randomState = RANDOM_START_STATE;
    createFeathers();
    startClock();
}

// The feathers as the frame at `untilMs` draws them, after live frames of uneven length.
std::vector<Vec3> liveField(const UnevenFrames& frames, std::int64_t untilMs) {
    startField();
    std::uint32_t state = 1;
    const int spread = frames.longestMs - frames.shortestMs + 1;
    for (std::int64_t frameMs = 0; frameMs < untilMs;) {
        setManualClockMs(frameMs);
        updateClock();
        advanceScene();
        state = state * 1664525u + 1013904223u;
        frameMs += frames.shortestMs + static_cast<int>((state >> 16) % spread);
    }
    return {featherPosition, featherPosition + FEATHER_COUNT};
}

void printDistances(const UnevenFrames& frames, std::int64_t untilMs) {
    const std::vector<Vec3> live = liveField(frames, untilMs);
    startField();
    skipFramesUntil(untilMs, DEFAULT_STEP_MS);
    double largest = 0.0;
    double sum = 0.0;
    for (int i = 0; i < FEATHER_COUNT; ++i) {
        const Vec3 a = live[i];
        const Vec3 b = featherPosition[i];
        const double distance = std::hypot(double{a.x} - b.x, double{a.y} - b.y, double{a.z} - b.z);
        largest = std::max(largest, distance);
        sum += distance;
    }
    std::printf("%-36s %2d-%3d ms  largest %.4f  mean %.4f\n", frames.name, frames.shortestMs,
                frames.longestMs, largest, sum / FEATHER_COUNT);
}

} // namespace

int main(int argc, char** argv) {
    double liveSeconds = DEFAULT_LIVE_SECONDS;
    double momentSeconds = DEFAULT_MOMENT_SECONDS;
    std::string error;
    const auto parseOne = [&](const std::string& name, const char* value) -> std::optional<bool> {
        if (name == "--seconds") {
            return parseDecimal(value, 0.001, MAX_SECONDS, liveSeconds);
        }
        if (name == "--at") {
            return parseDecimal(value, 0.0, MAX_SECONDS, momentSeconds);
        }
        return std::nullopt;
    };
    const CommandLine line = parseOptionPairs(argc, argv, parseOne, error);
    if (line != CommandLine::Run) {
        return usageStatus(line, "plume-moment", error,
                           "usage: plume-moment [--seconds S] [--at S]\n");
    }
    useManualClock();
    const auto untilMs = static_cast<std::int64_t>(std::llround(liveSeconds * 1000.0));
    std::printf("feathers after %.3f s, a moment's 16 ms steps against live frames of:\n",
                liveSeconds);
    for (const UnevenFrames& frames : UNEVEN_FRAMES) {
        printDistances(frames, untilMs);
    }
    startField();
    const auto started = std::chrono::steady_clock::now();
    skipFramesUntil(std::llround(momentSeconds * 1000.0), DEFAULT_STEP_MS);
    const std::chrono::duration<double, std::milli> took =
        std::chrono::steady_clock::now() - started;
    std::printf("RESULT moment_ms=%.1f (passing over the frames before %.3f s)\n", took.count(),
                momentSeconds);
    return 0;
}
