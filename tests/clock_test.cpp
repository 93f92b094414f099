#include "app/captions.h"
#include "app/clock.h"
#include "gl_test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

namespace {

std::int64_t fakeTicks = 0;
std::int64_t readFakeTicks() {
    return fakeTicks;
}
constexpr std::int64_t START_TICKS = 123456789;

class ClockTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ensureGlWindow(); // the caption goes to a real window
        g_titleText[0] = '\0';
        startAt(1000);
    }
    void TearDown() override { useSteadyClock(); }

    static void startAt(std::int64_t frequency) {
        fakeTicks = START_TICKS;
        setCounter(readFakeTicks, frequency);
        startClock();
    }
    // Runs the clock update for `frames` frames, each `milliseconds` after the last.
    static void frames(int count, std::int64_t milliseconds) {
        for (int frame = 0; frame < count; ++frame) {
            fakeTicks += milliseconds * (g_counterFrequency / 1000);
            updateClock();
        }
    }
};

std::string captionFor(const char* figure) {
    return std::string(CAPTION_CREDIT) + "   -=[ FPS:" + figure + " ]=-";
}

} // namespace

TEST_F(ClockTest, TimeIsWholeMillisecondsTruncatedOnAnOddCounter) {
    startAt(3579545);
    for (const auto& [ticks, time, delta] : {std::tuple{3579LL, 0.0, 0.0},
                                             {3580LL, 0.001, 0.001},
                                             {3579545LL * 7 + 3579, 7.0, 7.0 - 0.001}}) {
        fakeTicks = START_TICKS + ticks;
        updateClock();
        EXPECT_EQ(g_time, time) << ticks;
        EXPECT_EQ(g_deltaTime, delta) << ticks;
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
    formatTitle(2.5); // halves round away from zero, not to even
    EXPECT_EQ(g_titleText, captionFor("3"));
}

TEST_F(ClockTest, StaysExactPastTheProductOverflowOfNanosecondTicks) {
    startAt(1000000000);
    // 200 days and 123.456789 s: ticks * 1000 would need more than 63 bits.
    const std::int64_t milliseconds = 200LL * 86400 * 1000 + 123456;
    fakeTicks = START_TICKS + milliseconds * 1000000 + 789000;
    updateClock();
    EXPECT_EQ(g_time, milliseconds / 1000.0);
    frames(1, 1);
    EXPECT_EQ(g_time, (milliseconds + 1) / 1000.0);
}
