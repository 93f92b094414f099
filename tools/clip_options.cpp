#include "clip_options.h"

#include "app/pinned_frame.h"
#include "options.h"

#include <cstring>

namespace {

constexpr long MS_PER_SECOND = 1000;
constexpr int MAX_QUALITY = 100;
// Ten minutes at 25 frames a second: well past any clip a page shows.
constexpr std::int64_t MAX_CLIP_FRAMES = 15000;

bool parseQuality(const char* text, int& quality) {
    if (std::strcmp(text, "lossless") == 0) {
        quality = LOSSLESS_QUALITY;
        return true;
    }
    long value = 0;
    if (!parseWholeNumber(text, 0, MAX_QUALITY, value)) {
        return false;
    }
    quality = static_cast<int>(value);
    return true;
}

bool parseFramesPerSecond(const char* text, int& framesPerSecond) {
    long value = 0;
    if (!parseWholeNumber(text, 1, MS_PER_SECOND, value)) {
        return false;
    }
    framesPerSecond = static_cast<int>(value);
    return true;
}

std::optional<bool> parseOption(const std::string& name, const char* value, ClipOptions& options) {
    if (const auto taken = parsePinnedToolOption(name, value, options)) {
        return *taken;
    }
    if (name == "--start") {
        return parsePinnedTime(value, options.startMs);
    }
    if (name == "--length") {
        return parsePinnedTime(value, options.lengthMs) && options.lengthMs > 0;
    }
    if (name == "--fps") {
        return parseFramesPerSecond(value, options.framesPerSecond);
    }
    if (name == "--quality") {
        return parseQuality(value, options.quality);
    }
    return std::nullopt;
}

// Why the clip's frames would miss the pinned clock's steps, or an empty text if they do not.
std::string gridError(const ClipOptions& options) {
    const int intervalMs = clipFrameIntervalMs(options);
    if (intervalMs % options.stepMs != 0) {
        return "--step-ms must divide the frame interval of " + std::to_string(intervalMs) + " ms";
    }
    if (options.startMs % options.stepMs != 0) {
        return "--start must be a whole number of steps of " + std::to_string(options.stepMs) +
               " ms";
    }
    if (clipFrameCount(options) > MAX_CLIP_FRAMES) {
        return "--length asks for more than " + std::to_string(MAX_CLIP_FRAMES) + " frames";
    }
    const int lastFrame = static_cast<int>(clipFrameCount(options)) - 1; // bounded just above
    const std::int64_t lastMs = clipFrameTimeMs(options, lastFrame);
    if (!pinnedFramesWithinBound(lastMs, options.stepMs)) {
        return "--start, --length and --step-ms ask for more than " +
               std::to_string(MAX_PINNED_FRAMES) + " frames";
    }
    return std::string();
}

} // namespace

CommandLine parseClipArgs(int argc, char** argv, ClipOptions& options, std::string& error) {
    const auto parseOne = [&options](const std::string& name, const char* value) {
        return parseOption(name, value, options);
    };
    const CommandLine line = parseOptionPairs(argc, argv, parseOne, error);
    if (line != CommandLine::Run) {
        return line;
    }
    if (MS_PER_SECOND % options.framesPerSecond != 0) {
        error = "--fps must divide 1000, so that frames fall on whole milliseconds";
    } else {
        if (options.stepMs == 0) {
            options.stepMs = clipFrameIntervalMs(options); // one pinned frame per clip frame
        }
        error = gridError(options);
    }
    if (error.empty() && options.outPath.empty()) {
        error = "--out FILE.webp is required";
    }
    return error.empty() ? CommandLine::Run : CommandLine::Refused;
}

int clipFrameIntervalMs(const ClipOptions& options) {
    return static_cast<int>(MS_PER_SECOND / options.framesPerSecond);
}

std::int64_t clipFrameCount(const ClipOptions& options) {
    const int intervalMs = clipFrameIntervalMs(options);
    return (options.lengthMs + intervalMs - 1) / intervalMs;
}

std::int64_t clipFrameTimeMs(const ClipOptions& options, int frame) {
    return options.startMs + static_cast<std::int64_t>(frame) * clipFrameIntervalMs(options);
}
