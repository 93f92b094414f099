#include "frame_bench.h"

#include "app/camera.h"
#include "app/clock.h"
#include "app/frame.h"
#include "gl_test_support.h"
#include "scene/feathers.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr double PASS_SECONDS = 0.1;
constexpr double ONE_HOUR_MS = 3600.0 * 1000.0;

bool parse(std::vector<std::string> words, BenchOptions& options) {
    words.insert(words.begin(), "plume-bench");
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    std::string error;
    return parseBenchArgs(static_cast<int>(argv.size()), argv.data(), options, error);
}

bool sameAsSaved(const Vec3* saved) {
    return std::memcmp(saved, featherPosition, sizeof featherPosition) == 0;
}

} // namespace

TEST(FrameStatsTest, MedianOfAnOddCountIsTheMiddleFrame) {
    double frames[] = {5.0, 1.0, 3.0};
    const FrameStats stats = summarizeFrames(frames, 3);
    EXPECT_EQ(stats.frames, 3);
    EXPECT_EQ(stats.medianMs, 3.0);
    EXPECT_EQ(stats.minMs, 1.0);
    EXPECT_EQ(stats.maxMs, 5.0);
    EXPECT_EQ(stats.meanMs, 3.0);
    EXPECT_DOUBLE_EQ(stats.framesPerSecond, 3 * 1000.0 / 9.0);
}

TEST(FrameStatsTest, MedianOfAnEvenCountIsTheMeanOfTheMiddleTwo) {
    double frames[] = {4.0, 1.0, 2.0, 8.0};
    EXPECT_EQ(summarizeFrames(frames, 4).medianMs, 3.0);
}

TEST(FrameStatsTest, NinetyFifthPercentileIsTheNearestRank) {
    double frames[40];
    for (int i = 0; i < 40; ++i) {
        frames[i] = 40.0 - i;
    }
    // 95% of 40 frames is 38: the 38th smallest time.
    EXPECT_EQ(summarizeFrames(frames, 40).p95Ms, 38.0);
    double few[] = {1.0, 2.0, 3.0};
    EXPECT_EQ(summarizeFrames(few, 3).p95Ms, 3.0);
    double twenty[20];
    for (int i = 0; i < 20; ++i) {
        twenty[i] = i + 1.0;
    }
    EXPECT_EQ(summarizeFrames(twenty, 20).p95Ms, 19.0);
}

TEST(FrameStatsTest, NoFramesGiveZeroes) {
    const FrameStats stats = summarizeFrames(nullptr, 0);
    EXPECT_EQ(stats.frames, 0);
    EXPECT_EQ(stats.framesPerSecond, 0.0);
}

TEST(StartTicksTest, CountsFieldsFromTheLastParenthesis) {
    std::string line = "4242 (odd) name (x) R";
    for (int field = 4; field <= 21; ++field) {
        line += " " + std::to_string(field);
    }
    line += " 98765 77 88\n";
    long long ticks = 0;
    ASSERT_TRUE(parseStartTicks(line.c_str(), ticks));
    EXPECT_EQ(ticks, 98765);
}

TEST(StartTicksTest, RejectsAShortOrNamelessLine) {
    long long ticks = 0;
    EXPECT_FALSE(parseStartTicks("4242 odd R 1 2 3", ticks));
    EXPECT_FALSE(parseStartTicks("4242 (plume) R 1 2 3", ticks));
}

#if defined(__linux__)
TEST(StartTicksTest, ThisProcessStartedBeforeNowAndRecently) {
    const double startMs = processStartMs();
    const double nowMs = bootClockMs();
    ASSERT_GE(startMs, 0.0);
    EXPECT_LE(startMs, nowMs);
    EXPECT_LT(nowMs - startMs, ONE_HOUR_MS);
}
#endif

TEST(BenchArgsTest, TakesTheDefaultsAndTheGivenValues) {
    BenchOptions options;
    ASSERT_TRUE(parse({}, options));
    EXPECT_EQ(options.seconds, DEFAULT_PASS_SECONDS);
    EXPECT_EQ(options.warmupSeconds, DEFAULT_WARMUP_SECONDS);
    ASSERT_TRUE(parse({"--data", "d", "--seconds", "2.5", "--warmup", "0"}, options));
    EXPECT_EQ(options.dataDirectory, "d");
    EXPECT_EQ(options.seconds, 2.5);
    EXPECT_EQ(options.warmupSeconds, 0.0);
}

TEST(BenchArgsTest, RejectsBadValues) {
    BenchOptions options;
    EXPECT_FALSE(parse({"--seconds", "0"}, options));
    EXPECT_FALSE(parse({"--seconds", "soon"}, options));
    EXPECT_FALSE(parse({"--seconds", "100000"}, options));
    EXPECT_FALSE(parse({"--warmup", "-1"}, options));
    EXPECT_FALSE(parse({"--seconds"}, options));
    EXPECT_FALSE(parse({"--frames", "10"}, options));
}

TEST(BenchPassTest, OnlyTheFullPassMovesFeathersAndEachStartsAfresh) {
    ensureGlWindow();
    startScene(TEST_WINDOW_WIDTH, TEST_WINDOW_HEIGHT, PLUME_DATA_DIR);
    saveStartState();
    static Vec3 saved[FEATHER_COUNT];
    std::memcpy(saved, featherPosition, sizeof saved);
    std::vector<double> frameMs(100000);
    const int capacity = static_cast<int>(frameMs.size());

    restoreStartState();
    const int skyFrames = runFrames(BenchPass::Sky, PASS_SECONDS, frameMs.data(), capacity);
    EXPECT_GT(skyFrames, 0);
    EXPECT_GT(summarizeFrames(frameMs.data(), skyFrames).minMs, 0.0);
    EXPECT_TRUE(sameAsSaved(saved));
    EXPECT_NE(g_yaw, 0.0f);

    restoreStartState();
    EXPECT_GT(runFrames(BenchPass::Full, PASS_SECONDS, frameMs.data(), capacity), 0);
    EXPECT_FALSE(sameAsSaved(saved));

    restoreStartState();
    EXPECT_TRUE(sameAsSaved(saved));
    EXPECT_EQ(g_yaw, 0.0f);
    EXPECT_EQ(g_time, 0.0);
    EXPECT_EQ(g_frameCount, 0);
}

TEST(BenchPassTest, APassStopsWhenItsBufferIsFull) {
    ensureGlWindow();
    double frameMs[3];
    EXPECT_EQ(runFrames(BenchPass::Floor, PASS_SECONDS, frameMs, 3), 3);
}
