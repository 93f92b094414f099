#include "app/pinned_frame.h"

#include "app/camera.h"
#include "app/clock.h"
#include "app/frame.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace {

constexpr double MAX_PINNED_SECONDS = 1.0e7;
constexpr long MAX_STEP_MS = 1000000;

std::int64_t manualClockMs = 0;

std::int64_t readManualClock() {
    return manualClockMs;
}

} // namespace

void useManualClock() {
    manualClockMs = 0;
    setCounter(readManualClock, 1000);
}

void setManualClockMs(std::int64_t milliseconds) {
    manualClockMs = milliseconds;
}

std::int64_t pinnedFrameCount(std::int64_t timeMs, int stepMs) {
    // One at each whole step below timeMs, and the last one at it.
    return (timeMs + stepMs - 1) / stepMs + 1;
}

bool pinnedFramesWithinBound(std::int64_t timeMs, int stepMs) {
    return pinnedFrameCount(timeMs, stepMs) <= MAX_PINNED_FRAMES;
}

void drawFramesUntil(std::int64_t timeMs, int stepMs) {
    drawFramesFrom(0, timeMs, stepMs);
}

void drawFramesFrom(std::int64_t firstMs, std::int64_t timeMs, int stepMs) {
    for (std::int64_t frameMs = firstMs; frameMs < timeMs; frameMs += stepMs) {
        setManualClockMs(frameMs);
        updateClock();
        drawFrame();
    }
    setManualClockMs(timeMs);
    updateClock();
    drawFrame();
}

void skipFramesUntil(std::int64_t timeMs, int stepMs) {
    for (std::int64_t frameMs = 0; frameMs < timeMs; frameMs += stepMs) {
        setManualClockMs(frameMs);
        updateClock();
        advanceScene();
    }
    // The last frame's own motion: its camera turned, its feathers still where it draws them.
    setManualClockMs(timeMs);
    updateClock();
    advanceYaw(g_deltaTime);
}

bool parsePinnedTime(const char* text, std::int64_t& timeMs) {
    char* end = nullptr;
    const double seconds = std::strtod(text, &end);
    // Written so that a NaN fails too.
    if (end == text || *end != '\0' || !(seconds >= 0.0 && seconds <= MAX_PINNED_SECONDS)) {
        return false;
    }
    timeMs = std::llround(seconds * 1000.0);
    return true;
}

bool parsePinnedStep(const char* text, int& stepMs) {
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || value < 1 || value > MAX_STEP_MS) {
        return false;
    }
    stepMs = static_cast<int>(value);
    return true;
}
