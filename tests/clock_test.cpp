#include "app/captions.h"
#include "app/clock.h"
#include "gl_test_support.h"

#include <limits>
#include <tuple>

namespace {

std::int64_t fakeTicks = 0;
constexpr std::int64_t START_TICKS = 123456789;

class ClockTest : public ::testing::Test {
  protected:
    // The caption goes to a real window.
    void SetUp() override { ensureGlWindow(), g_titleText[0] = '\0', startAt(1000); }
    void TearDown() override { useSteadyClock(), setMaxFrameStep(MAX_FRAME_STEP_MS); }
    static void startAt(std::int64_t frequency) {
        fakeTicks = START_TICKS, setCounter([] { return fakeTicks; }, frequency), startClock();
    }
    // Runs the clock update for `frames` frames, each `milliseconds` after the last.
    static void frames(int count, std::int64_t milliseconds) {
        for (int frame = 0; frame < count; ++frame)
            fakeTicks += milliseconds * (g_counterFrequency / 1000), updateClock();
    }
};

std::string captionFor(const char* figure) {
    return std::string(CAPTION_CREDIT) + "   -=[ FPS:" + figure + " ]=-";
}

} // namespace

// Whole milliseconds, truncated, on an odd counter and past the overflow of ticks * 1000 with
// nanosecond ticks (200 days): the counter's arithmetic, over gaps beyond the scene's step.
TEST_F(ClockTest, TimeIsWholeMillisecondsTruncatedOnAnyCounter) {
    setMaxFrameStep(std::numeric_limits<std::int64_t>::max());
    const std::int64_t days = 200LL * 86400 * 1000 + 123456;
    for (const auto& [frequency, ticks, time] :
         {std::tuple{3579545LL, 3579LL, 0.0},
          {3579545LL, 3580LL, 0.001},
          {3579545LL, 3579545LL * 7 + 3579, 7.0},
          {1000000000LL, days * 1000000 + 789000, days / 1000.0},
          {1000000000LL, (days + 1) * 1000000, (days + 1) / 1000.0}}) {
        startAt(frequency), fakeTicks = START_TICKS + ticks, updateClock();
        EXPECT_EQ(g_time, time) << ticks << " ticks at " << frequency;
        EXPECT_EQ(g_deltaTime, time) << ticks << " ticks at " << frequency;
    }
}

TEST_F(ClockTest, CaptionShowsTheMeanRateOfEachHundredFrames) {
    frames(99, 10);
    EXPECT_STREQ(g_titleText, "") << "the caption keeps its creation text before frame 100";
    frames(1, 10);
    EXPECT_EQ(g_titleText, captionFor("100"));
    // Frames in the same millisecond pull the mean down: (500 + 0) / 2.
    g_titleText[0] = '\0';
    for (int pair = 0; pair < 50; ++pair) {
        frames(1, 2);
        EXPECT_STREQ(g_titleText, "") << "written again before frame 200";
        frames(1, 0);
    }
    EXPECT_EQ(g_titleText, captionFor("250"));
    frames(100, 16); // 1 / 0.016 s is 62.5 frames per second
    EXPECT_EQ(g_titleText, captionFor("63"));
    frames(100, 4000); // the rate of frames further apart than the scene steps is their own
    EXPECT_EQ(g_titleText, captionFor("0"));
    formatTitle(2.5); // halves round away from zero, not to even
    EXPECT_EQ(g_titleText, captionFor("3"));
}

// A step is at most a second and never backwards; what a gap has beyond that is left out of the
// scene's time for good, so the frames after it go on as before. Each row follows 10 s of 20 ms
// frames: the gap, the step the scene takes for it, and the rate the caption counts for it.
TEST_F(ClockTest, AGapBeyondASecondIsASecondsStepAndThenAPause) {
    const struct {
        std::int64_t gapMs;
        double step;
        double rate;
    } rows[] = {{0, 0.0, 0.0},
                {1000, 1.0, 1.0},
                {1001, 1.0, 1000.0 / 1001},
                {600000, 1.0, 1 / 600.0},
                {-5000, 0.0, 0.0}};
    for (const auto& row : rows) {
        startAt(1000), frames(500, 20);
        const double before = g_time, sum = g_fpsSum;
        frames(1, row.gapMs);
        EXPECT_EQ(g_deltaTime, row.step) << "gap of " << row.gapMs << " ms";
        EXPECT_EQ(g_time, before + row.step) << "gap of " << row.gapMs << " ms";
        EXPECT_NEAR(g_fpsSum - sum, row.rate, 1e-9) << "gap of " << row.gapMs << " ms";
        frames(1, 20);
        EXPECT_NEAR(g_deltaTime, 0.02, 1e-9) << "the frame after a gap of " << row.gapMs << " ms";
    }
    // Half a second apart, the scene's time is the wall clock's, frame after frame.
    startAt(1000);
    for (int frame = 1; frame <= 1200; ++frame) {
        frames(1, 500);
        ASSERT_EQ(g_time, frame * 0.5) << "frame " << frame << " at 2 frames/s";
    }
}
