#include "app/pinned_frame.h"

#include "app/clock.h"
#include "app/frame.h"

namespace {

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

void drawFramesUntil(std::int64_t timeMs, int stepMs) {
    for (std::int64_t frameMs = 0; frameMs < timeMs; frameMs += stepMs) {
        setManualClockMs(frameMs);
        updateClock();
        drawFrame();
    }
    setManualClockMs(timeMs);
    updateClock();
    drawFrame();
}
