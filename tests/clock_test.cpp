#include "app/captions.h"
#include "app/clock.h"
#include "gl_test_support.h"
#include "platform_glut.h"

#include <atomic>
#include <cstdlib>
#include <limits>
#include <new>
#include <tuple>

namespace {

std::int64_t fakeTicks = 0;

// The clock on a fake counter of 1000 ticks a second, its caption going to a real window.
struct ClockTest : ::testing::Test {
    void SetUp() override { ensureGlWindow(), g_titleText[0] = '\0', startAt(1000); }
    void TearDown() override { useSteadyClock(), setMaxFrameStep(MAX_FRAME_STEP_MS); }
    static void startAt(std::int64_t frequency) {
        fakeTicks = 123456789, setCounter([] { return fakeTicks; }, frequency), startClock();
    }
    // `count` frames, each `ms` after the last.
    static void frames(int count, std::int64_t ms) {
        for (int frame = 0; frame < count; ++frame)
            fakeTicks += ms * (g_counterFrequency / 1000), updateClock();
    }
    static std::string caption(const char* rate) {
        return std::string(CAPTION_CREDIT) + "   -=[ FPS:" + rate + " ]=-";
    }
};

} // namespace

// Truncated milliseconds on an odd counter and past where ticks * 1000 overflows (200 days in ns).
TEST_F(ClockTest, TimeIsWholeMillisecondsTruncatedOnAnyCounter) {
    setMaxFrameStep(std::numeric_limits<std::int64_t>::max());
    const std::int64_t days = 200LL * 86400 * 1000 + 123456;
    for (const auto& [frequency, ticks, time] :
         {std::tuple{3579545LL, 3579545LL * 7 + 3579, 7.0},
          {1000000000LL, days * 1000000 + 789000, days / 1000.0}}) {
        startAt(frequency), fakeTicks += ticks, updateClock();
        EXPECT_EQ(std::pair(g_time, g_deltaTime), std::pair(time, time))
            << ticks << " ticks at " << frequency;
    }
}

TEST_F(ClockTest, CaptionShowsTheMeanRateOfEachHundredFrames) {
    frames(99, 10);
    EXPECT_STREQ(g_titleText, "") << "the caption keeps its creation text before frame 100";
    frames(1, 10);
    EXPECT_EQ(g_titleText, caption("100"));
    frames(100, 16); // 1 / 0.016 s is 62.5 frames per second
    EXPECT_EQ(g_titleText, caption("63"));
    formatTitle(2.5); // halves round away from zero, not to even
    EXPECT_EQ(g_titleText, caption("3"));
}

// A step is at most a second, never backwards, and a gap's excess is dropped for good so later
// frames go on as before. Rows after 10 s of 20 ms frames: gap, scene step, caption's rate.
TEST_F(ClockTest, AGapBeyondASecondIsASecondsStepAndThenAPause) {
    for (const auto& [gapMs, step, rate] : {std::tuple{0LL, 0.0, 0.0},
                                            {1000LL, 1.0, 1.0},
                                            {1001LL, 1.0, 1000.0 / 1001},
                                            {-5000LL, 0.0, 0.0}}) {
        startAt(1000), frames(500, 20);
        const double sum = g_fpsSum;
        frames(1, gapMs);
        EXPECT_EQ(std::pair(g_deltaTime, g_time), std::pair(step, 10.0 + step)) << gapMs << " ms";
        EXPECT_NEAR(g_fpsSum - sum, rate, 1e-9) << "gap of " << gapMs << " ms";
        frames(1, 20);
        EXPECT_NEAR(g_deltaTime, 0.02, 1e-9) << "the frame after a gap of " << gapMs << " ms";
    }
}

// However long a pause, the frame after it steps by its own 20 ms, at that frame's rate in the
// caption; a moment's clock goes on from its time. Resuming unpaused leaves nothing out.
TEST_F(ClockTest, APauseIsLeftOutWholeAndAMomentGoesOnFromItsTime) {
    frames(500, 20), pauseClock(), fakeTicks += 5000, resumeClock();
    const double sum = g_fpsSum;
    frames(1, 20);
    EXPECT_EQ(g_time, 10.02);
    EXPECT_NEAR(g_deltaTime, 0.02, 1e-9);
    EXPECT_NEAR(g_fpsSum - sum, 50.0, 1e-6) << "the caption's rate of the frame after a pause";
    fakeTicks += 500, resumeClock(), frames(1, 20);
    EXPECT_NEAR(g_deltaTime, 0.52, 1e-9) << "a resume without a pause leaves nothing out";
    startClockAt(600000), frames(1, 16);
    EXPECT_EQ(g_time, 600.016);
}

static std::atomic<long> allocations{0};

// Every C++ allocation in this test program is counted.
void* operator new(std::size_t size) {
    ++allocations;
    if (void* memory = std::malloc(size == 0 ? 1 : size))
        return memory;
    throw std::bad_alloc();
}

void operator delete(void* memory) noexcept {
    std::free(memory);
}
void operator delete(void* memory, std::size_t) noexcept {
    std::free(memory);
}

TEST(FramePath, AllocatesNothingOnTheHeapAndDrawsTheFeathersWithDepth) {
    startTestScene(WINDOW_WIDTH);
    const auto runFrames = [](int first, int count) {
        for (int frame = first; frame < first + count; ++frame)
            setManualClockMs(frame * 7), updateClock(), drawFrame(), glutSwapBuffers();
    };
    // The software renderer compiles its pipelines, in C++, when it first meets each state.
    runFrames(1, 200);
    const long before = allocations;
    // Past a caption update, so that formatting the caption is covered too.
    runFrames(200 + 1, 200);
    EXPECT_EQ(allocations - before, 0);
    EXPECT_GT(allocations, 0) << "the counter must see the start-up's allocations";
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST)) << "the sky pass leaves the feathers no depth test";
}
