// Renders the scene as the program does, through the same start-up and frame code, but on a
// clock the caller drives, and reads the frame back as an image.
#pragma once

#include "app/pinned_frame.h"
#include "options.h"
#include "png_image.h"

#include <cstdint>
#include <string>

struct SnapshotOptions {
    std::string dataDirectory;
    std::int64_t timeMs = 0;
    int stepMs = DEFAULT_STEP_MS;
    int width = 640;
    int height = 480;
    std::string outPath;
};

// Fills `options` from the command line; on a bad argument returns Refused with `error` set.
CommandLine parseSnapshotArgs(int argc, char** argv, SnapshotOptions& options, std::string& error);

// The back buffer as an RGB image, top row first.
RgbImage readFrame(int width, int height);

// True when a window system connection can be made (always true where there is no X11).
bool displayAvailable();

// Opens a window of the given size and starts the scene on the manual clock, as the program
// starts it; false, with a message, where there is no display.
bool startPinnedScene(const std::string& dataDirectory, int width, int height,
                      const char* programName);

// The whole tool: window, start-up, frames and the PNG. Returns the process status.
int runSnapshot(const SnapshotOptions& options, const char* programName);
