// A stretch of the pinned clock as an animated picture: the scene started as the snapshot tool
// starts it, and every clip frame the very frame plume-snapshot draws at that frame's time.
#pragma once

#include "clip_options.h"

// The whole tool: window, start-up, frames and the WebP file. Returns the process status.
int runClip(const ClipOptions& options, const char* programName);
