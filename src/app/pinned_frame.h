// The frame the program shows at a given time, drawn on a clock that only the caller moves: how
// the snapshot tool, the tests and the web page's pinned frame draw exactly the same picture.
#pragma once

#include <cstdint>

// Puts the frame clock on a counter of whole milliseconds that only `setManualClockMs` moves.
void useManualClock();
void setManualClockMs(std::int64_t milliseconds);

// Draws frames at 0, step, 2 step, ... while below `timeMs`, then one at exactly `timeMs`, so
// that the feathers integrate as they would live. Needs the scene started on the manual clock.
void drawFramesUntil(std::int64_t timeMs, int stepMs);
