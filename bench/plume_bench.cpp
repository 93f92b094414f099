// Times the program's frames on the live clock: clear and swap alone, the sky alone and the full
// frame, each from the program's start state; and the time from process start to the first
// completed frame, with where it went.
//   plume-bench [--data DIR] [--seconds S] [--warmup S]
#include "app/frame.h"
#include "app/glut_window.h"
#include "bench_passes.h"
#include "bench_report.h"
#include "frame_stats.h"
#include "options.h"
#include "platform.h"
#include "process_clock.h"
#include "scene/scene_textures.h"
#include "texture/texture.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int BENCH_PASS_COUNT = 3;
constexpr double DEFAULT_PASS_SECONDS = 5.0;
constexpr double DEFAULT_WARMUP_SECONDS = 1.0;
// Bounds the per-frame buffer, which is reserved before a pass for its longest possible run.
constexpr double MAX_PASS_SECONDS = 600.0;

struct BenchOptions {
    std::string dataDirectory;
    double seconds = DEFAULT_PASS_SECONDS;
    double warmupSeconds = DEFAULT_WARMUP_SECONDS;
};

struct TextureLoadTimes {
    double readingMs = 0.0;
    double uploadMs = 0.0;
};

// The buffer holds a frame every 50 microseconds at most, well beyond even clear and swap.
constexpr double MAX_FRAMES_PER_SECOND = 20000.0;
// A pass needs time for frames; a warm-up may be left out.
constexpr double MIN_PASS_SECONDS = 0.001;
constexpr double MIN_WARMUP_SECONDS = 0.0;

std::optional<bool> parseOption(const std::string& name, const char* value, BenchOptions& options) {
    if (name == "--data") {
        options.dataDirectory = value;
        return true;
    }
    if (name == "--seconds") {
        return parseDecimal(value, MIN_PASS_SECONDS, MAX_PASS_SECONDS, options.seconds);
    }
    if (name == "--warmup") {
        return parseDecimal(value, MIN_WARMUP_SECONDS, MAX_PASS_SECONDS, options.warmupSeconds);
    }
    return std::nullopt;
}

int frameCapacity(const BenchOptions& options) {
    const double longest = std::max(options.seconds, options.warmupSeconds);
    return static_cast<int>(std::ceil(longest * MAX_FRAMES_PER_SECOND)) + 1;
}

// Reads every scene image on its own, then loads each again into a scratch texture, reading
// and uploading with its mipmaps, and takes the upload as the difference. Needs the context.
TextureLoadTimes replayTextureLoads(const std::string& dataDirectory) {
    TextureLoadTimes times;
    const Clock::time_point start = Clock::now();
    for (const SceneTextureFile& entry : SCENE_TEXTURE_FILES) {
        TgaImage image;
        readTgaFile(sceneFilePath(dataDirectory, entry.fileName), image);
    }
    const Clock::time_point readDone = Clock::now();
    // Kept until all are loaded, as the scene keeps its own: each upload then goes into fresh
    // memory, as at start-up, rather than into the pages of the one before.
    Texture scratch[SCENE_TEXTURE_COUNT];
    for (int i = 0; i < SCENE_TEXTURE_COUNT; ++i) {
        scratch[i].load(sceneFilePath(dataDirectory, SCENE_TEXTURE_FILES[i].fileName).c_str());
    }
    // Waits out anything the driver would still do with the images.
    glFinish();
    const double readingMs = Milliseconds(readDone - start).count();
    times.readingMs = readingMs;
    times.uploadMs = Milliseconds(Clock::now() - readDone).count() - readingMs;
    for (Texture& texture : scratch) {
        glDeleteTextures(1, &texture.id);
    }
    return times;
}

// Opens the window and starts the scene as the program does, then completes its first frame.
StartupTimes startLikeTheProgram(const BenchOptions& options, double mainStartMs,
                                 const char* programName) {
    StartupTimes times;
    int toolkitArgc = 1;
    char* toolkitArgv[] = {const_cast<char*>(programName), nullptr};
    openWindow(&toolkitArgc, toolkitArgv, WINDOW_WIDTH, WINDOW_HEIGHT);
    const double windowDoneMs = bootClockMs();
    startScene(WINDOW_WIDTH, WINDOW_HEIGHT, options.dataDirectory);
    const double sceneDoneMs = bootClockMs();
    saveStartState();
    display();
    glFinish();
    const double firstFrameDoneMs = bootClockMs();

    const double processStart = processStartMs();
    if (processStart >= 0.0) {
        times.beforeMainMs = mainStartMs - processStart;
        times.sinceProcessStartMs = firstFrameDoneMs - processStart;
    }
    times.windowMs = windowDoneMs - mainStartMs;
    times.sceneMs = sceneDoneMs - windowDoneMs;
    times.firstFrameMs = firstFrameDoneMs - sceneDoneMs;
    times.sinceMainMs = firstFrameDoneMs - mainStartMs;
    return times;
}

FrameStats measurePass(BenchPass pass, const BenchOptions& options, std::vector<double>& frameMs) {
    const int capacity = static_cast<int>(frameMs.size());
    restoreStartState();
    runFrames(pass, options.warmupSeconds, frameMs.data(), capacity);
    // The warm-up's frames are dropped, and the measured run draws the scene from its start.
    restoreStartState();
    const int frames = runFrames(pass, options.seconds, frameMs.data(), capacity);
    return summarizeFrames(frameMs.data(), frames);
}

int runBench(const BenchOptions& options, double mainStartMs, const char* programName) {
#if !defined(_WIN32) && !defined(__APPLE__)
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0') {
        std::fprintf(stderr, "%s: no display; run it under X or xvfb-run\n", programName);
        return 1;
    }
#endif
    StartupTimes startup = startLikeTheProgram(options, mainStartMs, programName);
    const TextureLoadTimes loads = replayTextureLoads(options.dataDirectory);
    startup.readingMs = loads.readingMs;
    startup.uploadMs = loads.uploadMs;

    const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    std::printf("Renderer: %s\nWindow: %dx%d; each pass %.1f s after a %.1f s warm-up\n\n",
                renderer != nullptr ? renderer : "unknown", WINDOW_WIDTH, WINDOW_HEIGHT,
                options.seconds, options.warmupSeconds);
    printStartup(stdout, startup);
    std::printf("\n");
    printPassTableHeader(stdout);
    std::fflush(stdout);

    // Reserved once, so that no frame allocates.
    std::vector<double> frameMs(static_cast<std::size_t>(frameCapacity(options)));
    const BenchPass passes[BENCH_PASS_COUNT] = {BenchPass::Floor, BenchPass::Sky, BenchPass::Full};
    FrameStats stats[BENCH_PASS_COUNT];
    for (int i = 0; i < BENCH_PASS_COUNT; ++i) {
        stats[i] = measurePass(passes[i], options, frameMs);
        printPassRow(stdout, passes[i], stats[i]);
        std::fflush(stdout);
    }
    std::printf("\n");
    for (int i = 0; i < BENCH_PASS_COUNT; ++i) {
        printPassResult(stdout, passes[i], stats[i]);
    }
    std::printf("RESULT startup_ms=%.1f\n", startup.sinceProcessStartMs >= 0.0
                                                ? startup.sinceProcessStartMs
                                                : startup.sinceMainMs);
    return 0;
}
} // namespace

int main(int argc, char** argv) {
    // Read first, so that the phases of start-up add up to the whole.
    const double mainStartMs = bootClockMs();
    BenchOptions options;
    std::string error;
    const auto parseOne = [&options](const std::string& name, const char* value) {
        return parseOption(name, value, options);
    };
    const CommandLine line = parseOptionPairs(argc, argv, parseOne, error);
    if (line != CommandLine::Run) {
        return usageStatus(line, "plume-bench", error,
                           "usage: plume-bench [--data DIR] [--seconds S] [--warmup S]\n");
    }
    return runBench(options, mainStartMs, "plume-bench");
}
