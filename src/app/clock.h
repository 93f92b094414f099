// The frame clock: whole-millisecond time since start, the step since the previous frame, and
// the mean frame rate written into the caption every 100 frames.
#pragma once

#include "app/frame_time.h"

#include <cstdint>

constexpr int CAPTION_INTERVAL_FRAMES = 100;
constexpr int TITLE_TEXT_SIZE = 100;
// The longest step the scene takes in one frame. Frames further apart than this (a minimised
// window, a hidden page, a stopped process, a suspended machine) take this step, and the rest of
// the gap is a pause: the scene goes on from where it stood, and its time from where it was.
constexpr std::int64_t MAX_FRAME_STEP_MS = 1000;

extern std::int64_t g_counterFrequency;
extern std::int64_t g_counterStart;
extern double g_previousTime;
extern std::int32_t g_frameCount;
extern double g_fpsSum;
extern char g_titleText[TITLE_TEXT_SIZE];

// Where the clock reads its ticks. The default is std::chrono::steady_clock; tests and tools
// install a counter of their own to run the clock on exact tick counts.
using CounterReader = std::int64_t (*)();
void setCounter(CounterReader readCounter, std::int64_t ticksPerSecond);
void useSteadyClock();
// Where the caption goes every CAPTION_INTERVAL_FRAMES frames: nowhere until the host installs a
// writer (the GLUT window's title, a saver's own window); nullptr takes it away again.
using CaptionWriter = void (*)(const char* caption);
void setCaptionWriter(CaptionWriter writeCaption);
// The longest step, MAX_FRAME_STEP_MS unless a test lifts it to show what the bound prevents.
void setMaxFrameStep(std::int64_t milliseconds);

// Takes the zero point; also puts the frame statistics back to their start values, so that a
// tool can restart the clock as the program first starts it.
void startClock();
// The same for a scene that starts at `sceneMs` rather than at 0: a moment someone shared.
void startClockAt(std::int64_t sceneMs);
void updateClock();

// A pause someone asked for: the host draws no frames until resumeClock, and the whole time from
// the last frame to then is left out of the scene's time and the caption's rates, so the scene
// goes on from where it stood however long the pause was.
void pauseClock();
void resumeClock();

// Whole milliseconds in `ticks` at `ticksPerSecond`, truncated towards zero; equal to
// ticks * 1000 / ticksPerSecond but without its overflow after months of nanosecond ticks.
std::int64_t elapsedMilliseconds(std::int64_t ticks, std::int64_t ticksPerSecond);

// Formats the caption for a mean frame rate, rounding halves away from zero.
void formatTitle(double meanFramesPerSecond);
