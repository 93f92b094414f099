// What the scene reads of the frame clock: the time of this frame and the step since the last.
#pragma once

extern double g_time;      // seconds since start, in whole milliseconds
extern double g_deltaTime; // seconds since the previous frame; 0 within the same millisecond
