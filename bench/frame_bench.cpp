#include "frame_bench.h"

#include "app/camera.h"
#include "app/clock.h"
#include "app/frame.h"
#include "options.h"
#include "platform.h"
#include "scene/feathers.h"
#include "scene/scene_textures.h"
#include "texture/texture.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#if defined(__linux__)
#include <time.h>
#include <unistd.h>
#endif

namespace {

constexpr int BENCH_PASS_COUNT = 3;

// Start-up, each phase in milliseconds; the reading and upload figures come from loading the
// scene's files a second time after start-up, since the scene loads them in one call.
struct StartupTimes {
    double beforeMainMs = -1.0;
    double windowMs = 0.0;
    double sceneMs = 0.0;
    double firstFrameMs = 0.0;
    double sinceMainMs = 0.0;
    double sinceProcessStartMs = -1.0;
    double readingMs = 0.0;
    double uploadMs = 0.0;
};

struct TextureLoadTimes {
    double readingMs = 0.0;
    double uploadMs = 0.0;
};

// The buffer holds a frame every 50 microseconds at most, well beyond even clear and swap.
constexpr double MAX_FRAMES_PER_SECOND = 20000.0;
constexpr double MILLISECONDS_PER_SECOND = 1000.0;
// A pass needs time for frames; a warm-up may be left out.
constexpr double MIN_PASS_SECONDS = 0.001;
constexpr double MIN_WARMUP_SECONDS = 0.0;
constexpr int STAT_START_TIME_FIELD = 22;
constexpr int STAT_FIRST_FIELD_AFTER_NAME = 3;
constexpr int STAT_LINE_BYTES = 4096;

using Clock = std::chrono::steady_clock;
using Milliseconds = std::chrono::duration<double, std::milli>;

Vec3 startPosition[FEATHER_COUNT];
Vec3 startAngle[FEATHER_COUNT];

bool parseOption(const std::string& name, const char* value, BenchOptions& options) {
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
    return false;
}

double medianOfSorted(const double* sorted, int count) {
    const int middle = count / 2;
    return count % 2 == 1 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2.0;
}

int frameCapacity(const BenchOptions& options) {
    const double longest = std::max(options.seconds, options.warmupSeconds);
    return static_cast<int>(std::ceil(longest * MAX_FRAMES_PER_SECOND)) + 1;
}

} // namespace

bool parseBenchArgs(int argc, char** argv, BenchOptions& options, std::string& error) {
    const auto parseOne = [&options](const std::string& name, const char* value) {
        return parseOption(name, value, options);
    };
    return parseOptionPairs(argc, argv, parseOne, error);
}

const char* benchPassName(BenchPass pass) {
    switch (pass) {
    case BenchPass::Floor:
        return "floor";
    case BenchPass::Sky:
        return "sky";
    case BenchPass::Full:
        return "full";
    }
    return "?";
}

FrameStats summarizeFrames(double* frameMs, int count) {
    FrameStats stats;
    if (count <= 0) {
        return stats;
    }
    std::sort(frameMs, frameMs + count);
    double totalMs = 0.0;
    for (int i = 0; i < count; ++i) {
        totalMs += frameMs[i];
    }
    const int rank95 = (95 * count + 99) / 100;
    stats.frames = count;
    stats.medianMs = medianOfSorted(frameMs, count);
    stats.p95Ms = frameMs[rank95 - 1];
    stats.meanMs = totalMs / count;
    stats.minMs = frameMs[0];
    stats.maxMs = frameMs[count - 1];
    stats.framesPerSecond = totalMs > 0.0 ? count * MILLISECONDS_PER_SECOND / totalMs : 0.0;
    return stats;
}

namespace {

// Field 22 of a /proc/PID/stat line, the process's start in clock ticks since boot. The command
// name in field 2 may hold spaces and parentheses, so fields are counted from its last ')'.
bool parseStartTicks(const char* statLine, long long& ticks) {
    const char* field = std::strrchr(statLine, ')');
    if (field == nullptr) {
        return false;
    }
    ++field;
    for (int index = STAT_FIRST_FIELD_AFTER_NAME; index < STAT_START_TIME_FIELD; ++index) {
        field += std::strspn(field, " ");
        field += std::strcspn(field, " ");
    }
    char* end = nullptr;
    const long long value = std::strtoll(field, &end, 10);
    if (end == field || (*end != ' ' && *end != '\n' && *end != '\0') || value < 0) {
        return false;
    }
    ticks = value;
    return true;
}

} // namespace

#if defined(__linux__)

double bootClockMs() {
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    return now.tv_sec * MILLISECONDS_PER_SECOND + now.tv_nsec / 1.0e6;
}

namespace {

// The kernel dates a process at its fork, in whole clock ticks (USER_HZ, 100 a second here)
// rounded down, so an age from it takes in the launcher's fork-to-exec gap and may read up to
// one tick, 10 ms, long.
double processStartMs() {
    std::FILE* stat = std::fopen("/proc/self/stat", "r");
    if (stat == nullptr) {
        return -1.0;
    }
    char line[STAT_LINE_BYTES] = {};
    const bool read = std::fgets(line, sizeof line, stat) != nullptr;
    std::fclose(stat);
    long long ticks = 0;
    const long ticksPerSecond = sysconf(_SC_CLK_TCK);
    if (!read || ticksPerSecond <= 0 || !parseStartTicks(line, ticks)) {
        return -1.0;
    }
    return static_cast<double>(ticks) * MILLISECONDS_PER_SECOND / ticksPerSecond;
}

} // namespace

#else

double bootClockMs() {
    return Milliseconds(Clock::now().time_since_epoch()).count();
}

namespace {

double processStartMs() {
    return -1.0;
}

} // namespace

#endif

void saveStartState() {
    std::copy(featherPosition, featherPosition + FEATHER_COUNT, startPosition);
    std::copy(featherAngle, featherAngle + FEATHER_COUNT, startAngle);
}

void restoreStartState() {
    std::copy(startPosition, startPosition + FEATHER_COUNT, featherPosition);
    std::copy(startAngle, startAngle + FEATHER_COUNT, featherAngle);
    g_yaw = 0.0f;
    startClock();
}

namespace {

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

// One frame of a pass, swap included.
void drawPassFrame(BenchPass pass) {
    switch (pass) {
    case BenchPass::Floor:
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glutSwapBuffers();
        return;
    case BenchPass::Sky:
        updateClock();
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        advanceYaw(g_deltaTime);
        drawSkyPass(cameraPitchAt(g_time), cameraRollAt(g_time));
        glutSwapBuffers();
        return;
    case BenchPass::Full:
        display();
        return;
    }
}

void printStartup(std::FILE* out, const StartupTimes& times) {
    const auto line = [out](const char* label, double ms) {
        std::fprintf(out, "  %-38s %8.1f\n", label, ms);
    };
    std::fprintf(out, "%-40s %8s\n", "Start-up", "ms");
    if (times.beforeMainMs >= 0.0) {
        line("process start to main (whole ticks)", times.beforeMainMs);
    }
    line("window and context", times.windowMs);
    line("scene start (startScene)", times.sceneMs);
    line("  reading the images (again, after)", times.readingMs);
    line("  mipmaps and upload (again, after)", times.uploadMs);
    line("first frame (display, glFinish)", times.firstFrameMs);
    line("main to first swap", times.sinceMainMs);
    if (times.sinceProcessStartMs >= 0.0) {
        line("process start to first swap", times.sinceProcessStartMs);
    }
}

void printPassTableHeader(std::FILE* out) {
    std::fprintf(out, "%-6s %7s %10s %8s %8s %8s %8s %9s\n", "pass", "frames", "median ms",
                 "p95 ms", "mean ms", "min ms", "max ms", "fps");
}

void printPassRow(std::FILE* out, BenchPass pass, const FrameStats& stats) {
    std::fprintf(out, "%-6s %7d %10.3f %8.3f %8.3f %8.3f %8.3f %9.1f\n", benchPassName(pass),
                 stats.frames, stats.medianMs, stats.p95Ms, stats.meanMs, stats.minMs, stats.maxMs,
                 stats.framesPerSecond);
}

void printPassResult(std::FILE* out, BenchPass pass, const FrameStats& stats) {
    std::fprintf(out, "RESULT pass=%s frames=%d ms_median=%.3f ms_p95=%.3f fps=%.1f\n",
                 benchPassName(pass), stats.frames, stats.medianMs, stats.p95Ms,
                 stats.framesPerSecond);
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

} // namespace

// No glFinish after the swap. Under llvmpipe the swap itself waits for the rasteriser threads
// to finish the frame before it hands the image to the X server, so a glFinish would add only
// a call; on a GPU it would drain the queue that the program's own loop keeps full. The time
// from one swap's return to the next is the frame as the program runs it.
int runFrames(BenchPass pass, double seconds, double* frameMs, int capacity) {
    const Clock::time_point start = Clock::now();
    const Clock::time_point end = start + std::chrono::duration_cast<Clock::duration>(
                                              Milliseconds(seconds * MILLISECONDS_PER_SECOND));
    Clock::time_point previous = start;
    int count = 0;
    while (previous < end && count < capacity) {
        drawPassFrame(pass);
        const Clock::time_point now = Clock::now();
        frameMs[count++] = Milliseconds(now - previous).count();
        previous = now;
    }
    return count;
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
