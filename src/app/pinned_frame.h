// The frame the program shows at a given time, drawn on a clock that only the caller moves: how
// the snapshot tool, the tests and the web page's pinned frame draw exactly the same picture.
#pragma once

#include <cstdint>

// The step between frames when none is asked for, about a 60 Hz display's.
constexpr int DEFAULT_STEP_MS = 16;
// The most frames one pinned request may draw, a few hours of software rendering: more is
// refused before anything is drawn, since a mistyped step would otherwise draw for days.
constexpr std::int64_t MAX_PINNED_FRAMES = 1000000;

// The pinned frame's time and step as written on a command line or in a page address: seconds
// from 0 to 1e7, taken to the nearest whole millisecond, and whole milliseconds from 1 to
// 1,000,000. False, leaving the value alone, for anything else.
bool parsePinnedTime(const char* text, std::int64_t& timeMs);
bool parsePinnedStep(const char* text, int& stepMs);

// The frames drawFramesUntil(timeMs, stepMs) draws, and whether that is within the bound.
std::int64_t pinnedFrameCount(std::int64_t timeMs, int stepMs);
bool pinnedFramesWithinBound(std::int64_t timeMs, int stepMs);

// Puts the frame clock on a counter of whole milliseconds that only `setManualClockMs` moves.
void useManualClock();
void setManualClockMs(std::int64_t milliseconds);

// Draws frames at 0, step, 2 step, ... while below `timeMs`, then one at exactly `timeMs`, so
// that the feathers integrate as they would live. Needs the scene started on the manual clock.
void drawFramesUntil(std::int64_t timeMs, int stepMs);

// The same from `firstMs` on: a sequence of pinned frames goes on from the frame after the last
// one drawn, so that each frame it shows is the one drawFramesUntil would draw at its time.
void drawFramesFrom(std::int64_t firstMs, std::int64_t timeMs, int stepMs);

// The scene as drawFramesUntil leaves it for its last frame, drawing nothing: the frames below
// `timeMs` moved on, then the clock and the camera at `timeMs`, the feathers where that frame
// draws them. drawHeldFrame draws that frame. Needs the scene created on the manual clock.
void skipFramesUntil(std::int64_t timeMs, int stepMs);
