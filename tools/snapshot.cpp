#include "snapshot.h"

#include "app/clock.h"
#include "app/frame.h"
#include "app/glut_window.h"
#include "app/pinned_frame.h"
#include "options.h"
#include "platform.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#if !defined(_WIN32) && !defined(__APPLE__)
#include <X11/Xlib.h>
#endif

namespace {

std::optional<bool> parseOption(const std::string& name, const char* value,
                                SnapshotOptions& options) {
    if (const auto taken = parsePinnedToolOption(name, value, options)) {
        return *taken;
    }
    if (name == "--time") {
        return parsePinnedTime(value, options.timeMs);
    }
    return std::nullopt;
}

} // namespace

CommandLine parseSnapshotArgs(int argc, char** argv, SnapshotOptions& options, std::string& error) {
    const auto parseOne = [&options](const std::string& name, const char* value) {
        return parseOption(name, value, options);
    };
    const CommandLine line = parseOptionPairs(argc, argv, parseOne, error);
    const std::int64_t frames = pinnedFrameCount(options.timeMs, options.stepMs);
    if (line == CommandLine::Run && frames > MAX_PINNED_FRAMES) {
        error = "--time and --step-ms ask for " + std::to_string(frames) + " frames, more than " +
                std::to_string(MAX_PINNED_FRAMES);
        return CommandLine::Refused;
    }
    if (line == CommandLine::Run && options.outPath.empty()) {
        error = "--out FILE.png is required";
        return CommandLine::Refused;
    }
    return line;
}

RgbImage readFrame(int width, int height) {
    RgbImage image;
    image.width = width;
    image.height = height;
    const std::size_t rowBytes = static_cast<std::size_t>(width) * 3;
    std::vector<unsigned char> bottomUp(rowBytes * height);
    glFinish();
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, bottomUp.data());
    // OpenGL's first row is the bottom one; a picture's is the top.
    image.pixels.resize(bottomUp.size());
    for (int row = 0; row < height; ++row) {
        std::memcpy(&image.pixels[row * rowBytes], &bottomUp[(height - 1 - row) * rowBytes],
                    rowBytes);
    }
    return image;
}

bool displayAvailable() {
#if !defined(_WIN32) && !defined(__APPLE__)
    // Held open for the life of the process: the toolkit connects next, and Xvfb may reset a
    // connection that a process makes right after closing another.
    static Display* const display = XOpenDisplay(nullptr);
    return display != nullptr;
#else
    return true;
#endif
}

bool startPinnedScene(const std::string& dataDirectory, int width, int height,
                      const char* programName) {
    if (!displayAvailable()) {
        const char* name = std::getenv("DISPLAY");
        std::fprintf(stderr, "%s: cannot open display '%s'; run it under X or xvfb-run\n",
                     programName, name != nullptr ? name : "");
        return false;
    }
    int toolkitArgc = 1;
    char* toolkitArgv[] = {const_cast<char*>(programName), nullptr};
    openWindow(&toolkitArgc, toolkitArgv, width, height);
    useManualClock();
    startScene(width, height, dataDirectory);
    return true;
}

int runSnapshot(const SnapshotOptions& options, const char* programName) {
    if (!startPinnedScene(options.dataDirectory, options.width, options.height, programName)) {
        return 1;
    }
    drawFramesUntil(options.timeMs, options.stepMs);
    if (!writePng(options.outPath, readFrame(options.width, options.height))) {
        std::fprintf(stderr, "%s: cannot write %s\n", programName, options.outPath.c_str());
        return 1;
    }
    return 0;
}
