#include "app/clock.h"
#include "gl_test_support.h"
#include "platform_glut.h"

#include <atomic>
#include <cstdlib>
#include <new>

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
