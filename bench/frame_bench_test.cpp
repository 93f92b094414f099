#include "frame_bench.h"

#include "app/camera.h"
#include "app/clock.h"
#include "app/frame.h"
#include "gl_test_support.h"
#include "scene/feathers.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

TEST(FrameStatsTest, MedianAndNearestRankP95) {
    double odd[] = {5.0, 1.0, 3.0}, even[] = {4.0, 1.0, 2.0, 8.0}, forty[40];
    for (int i = 0; i < 40; ++i)
        forty[i] = 40.0 - i;
    EXPECT_EQ(summarizeFrames(odd, 3).medianMs, 3.0);
    EXPECT_EQ(summarizeFrames(even, 4).medianMs, 3.0);
    EXPECT_EQ(summarizeFrames(forty, 40).p95Ms, 38.0); // 95% of 40 frames is 38
}

TEST(BenchPassTest, EveryPassStartsFromTheStartStateAndOnlyTheFullPassMovesFeathers) {
    ensureGlWindow();
    startScene(TEST_WINDOW_WIDTH, TEST_WINDOW_HEIGHT, PLUME_DATA_DIR);
    saveStartState();
    static Vec3 saved[FEATHER_COUNT];
    std::memcpy(saved, featherPosition, sizeof saved);
    const auto unmoved = [] { return std::memcmp(saved, featherPosition, sizeof saved) == 0; };
    std::vector<double> frameMs(100000);
    // Full first, so that the passes after it show the restore undoing a moving pass.
    for (const BenchPass pass : {BenchPass::Full, BenchPass::Sky, BenchPass::Floor}) {
        SCOPED_TRACE(benchPassName(pass));
        restoreStartState();
        EXPECT_TRUE(unmoved());
        EXPECT_EQ(g_yaw, 0.0f);
        EXPECT_EQ(g_time, 0.0);
        EXPECT_EQ(g_frameCount, 0);
        EXPECT_GT(runFrames(pass, 0.1, frameMs.data(), static_cast<int>(frameMs.size())), 0);
        EXPECT_EQ(unmoved(), pass != BenchPass::Full);
        EXPECT_TRUE(pass == BenchPass::Floor || g_yaw != 0.0f) << "the camera never turned";
    }
}
