#include "saver/windows/scr_command_line.h"

#include <gtest/gtest.h>

namespace {

struct ScrCase {
    const char* arguments;
    ScrMode mode;
    std::uintptr_t window;
};

const ScrCase SCR_CASES[] = {
    {"", ScrMode::Settings, 0},        {"  ", ScrMode::Settings, 0},
    {"/s", ScrMode::Saver, 0},         {"-S ", ScrMode::Saver, 0},
    {"/p 123", ScrMode::Preview, 123}, {"/P:42", ScrMode::Preview, 42},
    {"-p7", ScrMode::Preview, 7},      {"/p  18446744073709551615", ScrMode::Preview, UINTPTR_MAX},
    {"/c", ScrMode::Settings, 0},      {"/C:65568", ScrMode::Settings, 65568},
    {"-c 9", ScrMode::Settings, 9},    {"/a 5", ScrMode::Ignored, 5},
    {"/x", ScrMode::Refused, 0},       {"s", ScrMode::Refused, 0},
    {"/", ScrMode::Refused, 0},        {"/s 1", ScrMode::Refused, 0},
    {"/p", ScrMode::Refused, 0},       {"/p 0", ScrMode::Refused, 0},
    {"/p 12a", ScrMode::Refused, 0},   {"/p -3", ScrMode::Refused, 0},
    {"/p 1 2", ScrMode::Refused, 0},   {"/p 18446744073709551617", ScrMode::Refused, 0},
    {"/c:", ScrMode::Refused, 0},      {"/c::1", ScrMode::Refused, 0},
};

TEST(ScrCommandLine, ReadsWhatWindowsPassesAndRefusesTheRest) {
    for (const ScrCase& c : SCR_CASES) {
        const ScrCommand command = parseScrCommandLine(c.arguments);
        EXPECT_EQ(command.mode, c.mode) << '"' << c.arguments << '"';
        EXPECT_EQ(command.window, c.window) << '"' << c.arguments << '"';
    }
}

TEST(ScrPointer, EndsOnlyBeyondTheThreshold) {
    const int t = 10; // the threshold chosen, in pixels, as the docs give it
    // dx, dy, ends: along each axis, and diagonally (7, 7 is within 10 pixels; 8, 8 beyond).
    const int moves[][3] = {{0, 0, 0},  {1, 0, 0},     {0, -1, 0},    {t, 0, 0},        {0, -t, 0},
                            {-t, 0, 0}, {t + 1, 0, 1}, {0, t + 1, 1}, {-t - 1, 0, 1},   {1, 1, 0},
                            {7, -7, 0}, {8, 8, 1},     {-8, 8, 1},    {t + 1, t + 1, 1}};
    for (const auto& m : moves) {
        EXPECT_EQ(pointerMovedAway(-500, 300, -500 + m[0], 300 + m[1]), m[2] != 0)
            << m[0] << ", " << m[1];
    }
    EXPECT_FALSE(pointerMovedAway(-32768, 0, -32768, 0));
    EXPECT_TRUE(pointerMovedAway(-32768, -32768, 32767, 32767));
}

} // namespace
