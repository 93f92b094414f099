// Apart from the loop, so that a check can build a saver without it and see what it prevents.
#include "saver/saver_loop.h"

#include <chrono>

namespace {

using Clock = std::chrono::steady_clock;

// When the next frame may start.
Clock::time_point g_nextFrame{};

} // namespace

void paceFrame(const SaverHost& host) {
    const auto period = std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double>(1.0 / host.refreshHz));
    Clock::time_point now = Clock::now();
    if (now - g_nextFrame > period) {
        g_nextFrame = now;
    }
    while (now < g_nextFrame) {
        // Rounded up: a frame a little late, never one too many.
        const auto remaining = std::chrono::ceil<std::chrono::milliseconds>(g_nextFrame - now);
        host.waitForEvents(static_cast<int>(remaining.count()));
        now = Clock::now();
    }
    g_nextFrame += period;
}
