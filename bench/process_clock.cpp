#include "process_clock.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#if defined(__linux__)
#include <time.h>
#include <unistd.h>
#endif

namespace {

constexpr double MILLISECONDS_PER_SECOND = 1000.0;

} // namespace

#if defined(__linux__)

namespace {

constexpr int STAT_START_TIME_FIELD = 22;
constexpr int STAT_FIRST_FIELD_AFTER_NAME = 3;
constexpr int STAT_LINE_BYTES = 4096;

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

double bootClockMs() {
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    return now.tv_sec * MILLISECONDS_PER_SECOND + now.tv_nsec / 1.0e6;
}

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

#else

double bootClockMs() {
    return std::chrono::duration<double, std::milli>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

double processStartMs() {
    return -1.0;
}

#endif
