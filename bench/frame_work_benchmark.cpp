// The per-frame work that is plume's own rather than the driver's: moving the feathers and the
// clock. Their sum per frame is set against the measured frame time.
#include "app/clock.h"
#include "app/frame.h"
#include "app/glut_window.h"
#include "scene/feather_pass.h"
#include "scene/feathers.h"
#include "snapshot.h"

#include <benchmark/benchmark.h>

#include <cstdint>

namespace {

constexpr double FRAME_SECONDS = 0.016;
constexpr std::int64_t FAKE_TICKS_PER_SECOND = 1000000;
constexpr std::int64_t FRAME_TICKS = 16000;

// The caption is set through the toolkit every 100 frames, which needs a window.
bool windowOpen = false;
std::int64_t fakeTicks = 0;

std::int64_t readFakeCounter() {
    fakeTicks += FRAME_TICKS;
    return fakeTicks;
}

void createField() {
    randomState = RANDOM_START_STATE;
    createFeathers();
}

void advanceAllFeathers(double seconds) {
    const Wind wind = windAt(seconds);
    for (int i = 0; i < FEATHER_COUNT; ++i) {
        advanceFeather(i, wind, FRAME_SECONDS);
    }
}

void startFakeClock() {
    fakeTicks = 0;
    setCounter(readFakeCounter, FAKE_TICKS_PER_SECOND);
    startClock();
}

void BM_AdvanceFeathers(benchmark::State& state) {
    createField();
    double seconds = 0.0;
    for (auto _ : state) {
        advanceAllFeathers(seconds);
        seconds += FRAME_SECONDS;
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_AdvanceFeathers)->Unit(benchmark::kMicrosecond);

void BM_UpdateClock(benchmark::State& state) {
    if (!windowOpen) {
        state.SkipWithError("the caption needs a window: run it under X or xvfb-run");
        return;
    }
    startFakeClock();
    for (auto _ : state) {
        updateClock();
    }
    useSteadyClock();
}
BENCHMARK(BM_UpdateClock)->Unit(benchmark::kMicrosecond);

// Both, as one frame does them.
void BM_FrameWork(benchmark::State& state) {
    if (!windowOpen) {
        state.SkipWithError("the caption needs a window: run it under X or xvfb-run");
        return;
    }
    createField();
    startFakeClock();
    for (auto _ : state) {
        updateClock();
        advanceAllFeathers(g_time);
        benchmark::ClobberMemory();
    }
    useSteadyClock();
}
BENCHMARK(BM_FrameWork)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    // Google Benchmark answers --help itself, on standard output.
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return usageStatus(CommandLine::Refused, "plume-frame-work-benchmark",
                           "Google Benchmark's options take the form --benchmark_NAME=VALUE",
                           "usage: plume-frame-work-benchmark [--benchmark_filter=REGEX] "
                           "[--benchmark_min_time=SECONDS] [--help for the others]\n");
    }
    if (displayAvailable()) {
        int toolkitArgc = 1;
        char* toolkitArgv[] = {argv[0], nullptr};
        openWindow(&toolkitArgc, toolkitArgv, WINDOW_WIDTH, WINDOW_HEIGHT);
        windowOpen = true;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
