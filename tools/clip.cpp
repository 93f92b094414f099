#include "clip.h"

#include "app/pinned_frame.h"
#include "snapshot.h"
#include "webp_clip.h"

#include <cstdio>

namespace {

// Each clip frame goes on from the pinned frame after the one before, so the clock passes
// through exactly the frames plume-snapshot draws on its way to that frame's time.
bool encodeFrames(const ClipOptions& options, ClipEncoder& clip) {
    std::int64_t firstMs = 0;
    const int frames = static_cast<int>(clipFrameCount(options)); // bounded by the parser
    for (int frame = 0; frame < frames; ++frame) {
        const std::int64_t timeMs = clipFrameTimeMs(options, frame);
        drawFramesFrom(firstMs, timeMs, options.stepMs);
        firstMs = timeMs + options.stepMs;
        const int shownFromMs = frame * clipFrameIntervalMs(options);
        if (!addClipFrame(clip, readFrame(options.width, options.height), shownFromMs)) {
            return false;
        }
    }
    return true;
}

} // namespace

int runClip(const ClipOptions& options, const char* programName) {
    if (!startPinnedScene(options.dataDirectory, options.width, options.height, programName)) {
        return 1;
    }
    ClipEncoder clip;
    const int endMs = static_cast<int>(clipFrameCount(options)) * clipFrameIntervalMs(options);
    const bool written = beginClip(clip, options.width, options.height, options.quality) &&
                         encodeFrames(options, clip) && writeClip(clip, endMs, options.outPath);
    endClip(clip);
    if (!written) {
        std::fprintf(stderr, "%s: cannot write %s\n", programName, options.outPath.c_str());
        return 1;
    }
    return 0;
}
