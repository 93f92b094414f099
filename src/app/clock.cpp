#include "app/clock.h"

#include "app/captions.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>

std::int64_t g_counterFrequency = 0;
std::int64_t g_counterStart = 0;
double g_time = 0.0;
double g_previousTime = 0.0;
double g_deltaTime = 0.0;
std::int32_t g_frameCount = 0;
double g_fpsSum = 0.0;
char g_titleText[TITLE_TEXT_SIZE] = {};

namespace {

using SteadyPeriod = std::chrono::steady_clock::period;
static_assert(SteadyPeriod::num == 1, "steady_clock must tick a whole fraction of a second");

std::int64_t readSteadyClock() {
    return std::chrono::steady_clock::now().time_since_epoch().count();
}

CounterReader counterReader = readSteadyClock;
// None until a host with a window installs one.
CaptionWriter captionWriter = nullptr;
std::int64_t counterTicksPerSecond = SteadyPeriod::den;
std::int64_t maxFrameStepMs = MAX_FRAME_STEP_MS;
// The scene's time less the wall's since the zero point: where the scene started, less what it
// has left out (each gap's excess over the longest step, and each pause), plus what a counter
// that ran backwards took back.
std::int64_t sceneOffsetMs = 0;
bool clockPaused = false;
// The wall-clock time of the previous frame, which the caption's rates are taken from.
std::int64_t previousElapsedMs = 0;

std::int64_t readElapsedMs() {
    return elapsedMilliseconds(counterReader() - g_counterStart, g_counterFrequency);
}

} // namespace

void setCounter(CounterReader readCounter, std::int64_t ticksPerSecond) {
    counterReader = readCounter;
    counterTicksPerSecond = ticksPerSecond;
}

void useSteadyClock() {
    setCounter(readSteadyClock, SteadyPeriod::den);
}

void setCaptionWriter(CaptionWriter writeCaption) {
    captionWriter = writeCaption;
}

void setMaxFrameStep(std::int64_t milliseconds) {
    maxFrameStepMs = milliseconds;
}

void startClock() {
    g_counterFrequency = counterTicksPerSecond;
    g_counterStart = counterReader();
    g_time = 0.0;
    g_previousTime = 0.0;
    g_deltaTime = 0.0;
    g_frameCount = 0;
    g_fpsSum = 0.0;
    sceneOffsetMs = 0;
    previousElapsedMs = 0;
    clockPaused = false;
}

void startClockAt(std::int64_t sceneMs) {
    startClock();
    sceneOffsetMs = sceneMs;
    g_time = g_previousTime = sceneMs / 1000.0;
}

void pauseClock() {
    clockPaused = true;
}

void resumeClock() {
    if (!clockPaused) {
        return;
    }
    clockPaused = false;
    // The whole time since the last frame is left out, so the next frame steps from that one
    // by its own time alone, and the caption's rate is that frame's too.
    const std::int64_t elapsedMs = readElapsedMs();
    sceneOffsetMs -= elapsedMs - previousElapsedMs;
    previousElapsedMs = elapsedMs;
}

std::int64_t elapsedMilliseconds(std::int64_t ticks, std::int64_t ticksPerSecond) {
    // Whole seconds and the remainder apart: both parts truncate towards zero with the same
    // sign, so the sum is the truncated quotient of the full product.
    const std::int64_t seconds = ticks / ticksPerSecond;
    const std::int64_t remainder = ticks % ticksPerSecond;
    return seconds * 1000 + remainder * 1000 / ticksPerSecond;
}

void formatTitle(double meanFramesPerSecond) {
    // std::round takes halves away from zero; "%.0f" alone would round them to even.
    std::snprintf(g_titleText, sizeof g_titleText, "%s   -=[ FPS:%.0f ]=-", CAPTION_CREDIT,
                  std::round(meanFramesPerSecond));
}

void updateClock() {
    const std::int64_t elapsedMs = readElapsedMs();
    // A step is at most the longest one and never backwards; the scene's time leaves out the
    // rest, so that time and step stay whole milliseconds that agree.
    const std::int64_t wallStepMs = elapsedMs - previousElapsedMs;
    const std::int64_t stepMs = wallStepMs < 0 ? 0 : std::min(wallStepMs, maxFrameStepMs);
    sceneOffsetMs -= wallStepMs - stepMs;
    g_time = (elapsedMs + sceneOffsetMs) / 1000.0;
    g_deltaTime = g_time - g_previousTime;
    g_previousTime = g_time;

    // The caption's rates are the frames' own, gap and all, taken as the time was before the
    // step was bounded. Two frames in the same millisecond have no rate of their own but still
    // count below.
    const double wallDelta = elapsedMs / 1000.0 - previousElapsedMs / 1000.0;
    previousElapsedMs = elapsedMs;
    if (wallDelta > 0.0) {
        g_fpsSum += 1.0 / wallDelta;
    }
    if (++g_frameCount == CAPTION_INTERVAL_FRAMES) {
        formatTitle(g_fpsSum / CAPTION_INTERVAL_FRAMES);
        if (captionWriter != nullptr) {
            captionWriter(g_titleText);
        }
        g_frameCount = 0;
        g_fpsSum = 0.0;
    }
}
