// The passes the bench times, each drawn back to back on the live clock from the program's
// start state: clear and swap alone, the sky alone, and the program's own frame.
#pragma once

enum class BenchPass { Floor, Sky, Full };
const char* benchPassName(BenchPass pass);

// The program's start state, taken after `startScene` and put back before every pass.
void saveStartState();
void restoreStartState();

// Draws frames of `pass` back to back for `seconds`, or until `capacity` frames, writing each
// frame's wall time into `frameMs`. Returns the number of frames.
int runFrames(BenchPass pass, double seconds, double* frameMs, int capacity);
