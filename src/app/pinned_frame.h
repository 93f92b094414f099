// The frame the program shows at a given time, drawn on a clock that only the caller moves: how
// the snapshot tool, the tests and the web page's pinned frame draw exactly the same picture.
#pragma once

#include <cstdint>

constexpr int DEFAULT_PINNED_STEP_MS = 16;
constexpr double MAX_PINNED_SECONDS = 1.0e7;
constexpr long MAX_PINNED_STEP_MS = 1000000;

// A pinned frame's time, given in seconds, as whole milliseconds (to the nearest); false unless
// the whole text is a number from 0 to MAX_PINNED_SECONDS.
bool parsePinnedSeconds(const char* text, std::int64_t& milliseconds);
// The step between pinned frames: whole milliseconds from 1 to MAX_PINNED_STEP_MS.
bool parsePinnedStepMs(const char* text, int& stepMs);

// Puts the frame clock on a counter of whole milliseconds that only `setManualClockMs` moves.
void useManualClock();
void setManualClockMs(std::int64_t milliseconds);

// Draws frames at 0, step, 2 step, ... while below `timeMs`, then one at exactly `timeMs`, so
// that the feathers integrate as they would live. Needs the scene started on the manual clock.
void drawFramesUntil(std::int64_t timeMs, int stepMs);
