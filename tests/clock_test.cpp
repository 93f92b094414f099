#include "app/clock.h"
#include "gl_test_support.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::int64_t fakeTicks = 0;
std::int64_t readFakeTicks() {
    return fakeTicks;
}

class ClockTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ensureGlWindow(); // the caption goes to a real window
        g_titleText[0] = '\0';
        fakeTicks = START_TICKS;
        setCounter(readFakeTicks, MILLISECOND_COUNTER);
        startClock();
    }
    void TearDown() override { useSteadyClock(); }

    // Advances the counter by `milliseconds` and runs one frame's clock update.
    void frameAfter(std::int64_t milliseconds) {
        fakeTicks += milliseconds * (g_counterFrequency / 1000);
        updateClock();
    }

    static constexpr std::int64_t START_TICKS = 123456789;
    static constexpr std::int64_t MILLISECOND_COUNTER = 1000;
};

std::string captionFor(const char* figure) {
    return std::string(CAPTION_CREDIT) + "   -=[ FPS:" + figure + " ]=-";
}

} // namespace

TEST_F(ClockTest, TimeIsWholeMillisecondsTruncatedOnAnOddCounter) {
    setCounter(readFakeTicks, 3579545);
    startClock();
    fakeTicks = START_TICKS + 3579;
    updateClock();
    EXPECT_EQ(g_time, 0.0);
    fakeTicks = START_TICKS + 3580;
    updateClock();
    EXPECT_EQ(g_time, 0.001);
    EXPECT_EQ(g_deltaTime, 0.001);
    fakeTicks = START_TICKS + 3579545LL * 7 + 3579;
    updateClock();
    EXPECT_EQ(g_time, 7.0);
    EXPECT_EQ(g_deltaTime, 7.0 - 0.001);
}

TEST_F(ClockTest, FirstDeltaRunsFromTheZeroPoint) {
    frameAfter(37);
    EXPECT_EQ(g_time, 0.037);
    EXPECT_EQ(g_deltaTime, 0.037);
    frameAfter(0);
    EXPECT_EQ(g_deltaTime, 0.0);
}

TEST_F(ClockTest, CaptionShowsMeanRateEveryHundredFrames) {
    for (int frame = 1; frame < CAPTION_INTERVAL_FRAMES; ++frame) {
        frameAfter(10);
    }
    EXPECT_STREQ(g_titleText, "") << "the caption keeps its creation text before frame 100";
    EXPECT_EQ(g_frameCount, 99);
    frameAfter(10);
    EXPECT_EQ(g_titleText, captionFor("100"));
    EXPECT_EQ(g_frameCount, 0);
    EXPECT_EQ(g_fpsSum, 0.0);

    g_titleText[0] = '\0';
    for (int frame = 0; frame < CAPTION_INTERVAL_FRAMES; ++frame) {
        frameAfter(4);
    }
    EXPECT_EQ(g_titleText, captionFor("250"));
}

TEST_F(ClockTest, FramesInTheSameMillisecondPullTheMeanDown) {
    for (int pair = 0; pair < CAPTION_INTERVAL_FRAMES / 2; ++pair) {
        frameAfter(2);
        frameAfter(0);
    }
    EXPECT_EQ(g_titleText, captionFor("250"));
}

TEST_F(ClockTest, HalvesRoundAwayFromZero) {
    // 1 / 0.016 s is exactly 62.5 frames per second.
    for (int frame = 0; frame < CAPTION_INTERVAL_FRAMES; ++frame) {
        frameAfter(16);
    }
    EXPECT_EQ(g_titleText, captionFor("63"));
    formatTitle(0.5);
    EXPECT_EQ(g_titleText, captionFor("1"));
    formatTitle(1000.0);
    EXPECT_EQ(g_titleText, captionFor("1000"));
}

TEST_F(ClockTest, StaysExactPastTheProductOverflowOfNanosecondTicks) {
    constexpr std::int64_t NANOSECONDS = 1000000000;
    setCounter(readFakeTicks, NANOSECONDS);
    startClock();
    // 200 days and 123.456789 s: ticks * 1000 would need more than 63 bits.
    const std::int64_t milliseconds = 200LL * 86400 * 1000 + 123456;
    fakeTicks = START_TICKS + milliseconds * 1000000 + 789000;
    updateClock();
    EXPECT_EQ(g_time, milliseconds / 1000.0);
    fakeTicks += 1000000;
    updateClock();
    EXPECT_EQ(g_time, (milliseconds + 1) / 1000.0);
    EXPECT_NEAR(g_deltaTime, 0.001, 1e-8); // the spacing of doubles near 1.7e7 s
}

TEST(ElapsedMilliseconds, EqualsTheFullProductWhereThatFits) {
    const std::int64_t frequencies[] = {1000, 3579545, 1000000000, 2999999999};
    for (std::int64_t frequency : frequencies) {
        // Up to 9e15 ticks the product still fits in 64 bits, so it can be the reference.
        for (std::int64_t ticks = 1; ticks < 9000000000000000LL; ticks = ticks * 3 + 7919) {
            EXPECT_EQ(elapsedMilliseconds(ticks, frequency), ticks * 1000 / frequency) << ticks;
            EXPECT_EQ(elapsedMilliseconds(-ticks, frequency), -ticks * 1000 / frequency) << -ticks;
        }
    }
}
