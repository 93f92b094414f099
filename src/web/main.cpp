// The browser's entry: the program as on the desktop, or with `?time=S[&step-ms=N]` in the
// address, the one frame that `plume-snapshot --time S --step-ms N` draws, held still.
#include "app/frame.h"
#include "app/pinned_frame.h"
#include "platform.h"
#include "web/web_page.h"

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

constexpr int DEFAULT_STEP_MS = 16;
constexpr double MAX_SECONDS = 1.0e7;
constexpr long MAX_STEP_MS = 1000000;

// Seconds to whole milliseconds, rounded to the nearest, as the snapshot tool reads its --time.
bool parseSeconds(const std::string& text, std::int64_t& milliseconds) {
    char* end = nullptr;
    const double seconds = std::strtod(text.c_str(), &end);
    if (end == text.c_str() || *end != '\0' || !(seconds >= 0.0 && seconds <= MAX_SECONDS)) {
        return false;
    }
    milliseconds = std::llround(seconds * 1000.0);
    return true;
}

bool parseStepMs(const std::string& text, int& stepMs) {
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || end == text.c_str() || *end != '\0' || value < 1 || value > MAX_STEP_MS) {
        return false;
    }
    stepMs = static_cast<int>(value);
    return true;
}

// Reads the pinned frame's time and step from the address; false if either is malformed.
bool readPinnedFrame(const std::string& timeText, std::int64_t& timeMs, int& stepMs) {
    std::string stepText;
    if (pageParameter("step-ms", stepText) && !parseStepMs(stepText, stepMs)) {
        return false;
    }
    return parseSeconds(timeText, timeMs);
}

} // namespace

int main(int argc, char** argv) {
    std::string timeText;
    const bool pinned = pageParameter("time", timeText);
    std::int64_t timeMs = 0;
    int stepMs = DEFAULT_STEP_MS;
    // Checked before the window opens, whose callbacks would otherwise start drawing.
    if (pinned && !readPinnedFrame(timeText, timeMs, stepMs)) {
        showPageMessage("plume: ?time= takes seconds (0 or more) and &step-ms= whole milliseconds "
                        "(1 or more)");
        return 1;
    }
    openWindow(&argc, argv, WINDOW_WIDTH, WINDOW_HEIGHT);
    if (!pinned) {
        startScene(WINDOW_WIDTH, WINDOW_HEIGHT);
        // Hands the loop to the browser, which then draws a frame on each display refresh.
        glutMainLoop();
        return 0;
    }
    useManualClock();
    startScene(WINDOW_WIDTH, WINDOW_HEIGHT);
    drawFramesUntil(timeMs, stepMs);
    // The toolkit here runs its idle callback on a timer from the moment it is registered; with
    // no callbacks left, nothing draws over the frame.
    glutIdleFunc(nullptr);
    glutDisplayFunc(nullptr);
    markFrameReady();
    return 0;
}
