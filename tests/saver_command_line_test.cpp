// The hack's arguments and window ids, and a Windows screen saver's, with its pointer threshold.
#include "saver/windows/scr_command_line.h"
#include "saver/x11/saver_command_line.h"

#include <gtest/gtest.h>

#include <vector>

TEST(SaverWindowId, ReadsHexAndDecimalAndRefusesTheRest) {
    // Either case of hex, and the largest id in each base.
    const std::pair<const char*, unsigned long> accepted[] = {
        {"0X1A00007", 0x1a00007}, {"0xffffffff", 0xffffffff}, {"4294967295", 4294967295}};
    for (const auto& [text, expected] : accepted) {
        unsigned long id = 0;
        EXPECT_TRUE(parseWindowId(text, id) && id == expected) << text << " read as " << id;
    }
    // Nothing, zero in hex, a stray character in each base, and one past the largest.
    for (const char* text : {"", "0x0", "12a", "0x1g", "0x100000000"}) {
        unsigned long id = 7;
        EXPECT_TRUE(!parseWindowId(text, id) && id == 7) << text << " read as " << id;
    }
}

TEST(SaverCommandLine, ChoosesTheWindowOrRefuses) {
    using T = SaverTarget;
    const SaverOutcome run = SaverOutcome::Run, refused = SaverOutcome::Refused;
    struct Case {
        std::vector<const char*> arguments;
        const char* environment;
        SaverOutcome outcome;
        SaverTarget target;
        unsigned long window;
    } cases[] = {{{}, nullptr, run, T::OwnWindow, 0},
                 {{"-root"}, nullptr, run, T::RootWindow, 0},
                 {{"--root"}, "0x2a", run, T::GivenWindow, 42},
                 {{"-window-id", "0x2a", "--root"}, nullptr, run, T::GivenWindow, 42},
                 {{"--window-id", "7"}, "42", run, T::GivenWindow, 42},
                 {{"-h"}, "junk", SaverOutcome::Help, T::OwnWindow, 0},
                 {{"--root"}, "junk", refused, T::OwnWindow, 0},
                 {{"--window-id"}, nullptr, refused, T::OwnWindow, 0},
                 {{"--root", "--bogus", "--help"}, nullptr, refused, T::OwnWindow, 0}};
    for (Case& c : cases) {
        c.arguments.insert(c.arguments.begin(), "plume-saver");
        const SaverCommand command = parseSaverCommand(static_cast<int>(c.arguments.size()),
                                                       c.arguments.data(), c.environment);
        const bool chosen =
            command.outcome != run || (command.target == c.target && command.window == c.window);
        EXPECT_TRUE(command.outcome == c.outcome && chosen)
            << c.arguments.size() - 1 << " arguments from " << c.arguments.back()
            << ", XSCREENSAVER_WINDOW " << (c.environment ? c.environment : "unset");
    }
}

namespace {

struct ScrCase {
    const char* arguments;
    ScrMode mode;
    std::uintptr_t window;
};

const ScrCase SCR_CASES[] = {
    {"", ScrMode::Settings, 0},        {"-S ", ScrMode::Saver, 0},
    {"/p 123", ScrMode::Preview, 123}, {"/P:42", ScrMode::Preview, 42},
    {"-p7", ScrMode::Preview, 7},      {"/p  18446744073709551615", ScrMode::Preview, UINTPTR_MAX},
    {"/c", ScrMode::Settings, 0},      {"/C:65568", ScrMode::Settings, 65568},
    {"/a 5", ScrMode::Ignored, 5},     {"/x", ScrMode::Refused, 0},
    {"s", ScrMode::Refused, 0},        {"/s 1", ScrMode::Refused, 0},
    {"/p 0", ScrMode::Refused, 0},     {"/p 1 2", ScrMode::Refused, 0},
    {"/c:", ScrMode::Refused, 0},      {"/p 18446744073709551617", ScrMode::Refused, 0},
};

TEST(ScrCommandLine, ReadsWhatWindowsPassesAndRefusesTheRest) {
    for (const ScrCase& c : SCR_CASES) {
        const ScrCommand command = parseScrCommandLine(c.arguments);
        EXPECT_EQ(command.mode, c.mode) << '"' << c.arguments << '"';
        EXPECT_EQ(command.window, c.window) << '"' << c.arguments << '"';
    }
}

TEST(ScrPointer, EndsOnlyBeyondTheThreshold) {
    // dx, dy, ends: along an axis, and diagonally (7, 7 is within 10 pixels; 8, 8 beyond).
    const int moves[][3] = {{0, 0, 0}, {10, 0, 0}, {11, 0, 1}, {7, -7, 0}, {8, 8, 1}};
    for (const auto& [dx, dy, ends] : moves)
        EXPECT_EQ(pointerMovedAway(-500, 300, -500 + dx, 300 + dy), ends != 0) << dx << ", " << dy;
    EXPECT_TRUE(pointerMovedAway(-32768, -32768, 32767, 32767));
}

} // namespace
