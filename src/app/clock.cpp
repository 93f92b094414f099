#include "app/clock.h"

#include "app/captions.h"
#include "platform.h"

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
std::int64_t counterTicksPerSecond = SteadyPeriod::den;

} // namespace

void setCounter(CounterReader readCounter, std::int64_t ticksPerSecond) {
    counterReader = readCounter;
    counterTicksPerSecond = ticksPerSecond;
}

void useSteadyClock() {
    setCounter(readSteadyClock, SteadyPeriod::den);
}

void startClock() {
    g_counterFrequency = counterTicksPerSecond;
    g_counterStart = counterReader();
    g_time = 0.0;
    g_previousTime = 0.0;
    g_deltaTime = 0.0;
    g_frameCount = 0;
    g_fpsSum = 0.0;
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
    const std::int64_t now = counterReader();
    g_time = elapsedMilliseconds(now - g_counterStart, g_counterFrequency) / 1000.0;
    g_deltaTime = g_time - g_previousTime;
    g_previousTime = g_time;

    // Two frames in the same millisecond have no rate of their own but still count below.
    if (g_deltaTime > 0.0) {
        g_fpsSum += 1.0 / g_deltaTime;
    }
    if (++g_frameCount == CAPTION_INTERVAL_FRAMES) {
        formatTitle(g_fpsSum / CAPTION_INTERVAL_FRAMES);
        glutSetWindowTitle(g_titleText);
        g_frameCount = 0;
        g_fpsSum = 0.0;
    }
}
