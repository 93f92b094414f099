// The hack's reading of its command line, $XSCREENSAVER_WINDOW and window ids.
#include "saver/x11/saver_command_line.h"

#include <gtest/gtest.h>

#include <vector>

TEST(SaverWindowId, ReadsHexAndDecimalAndRefusesTheRest) {
    const std::pair<const char*, unsigned long> accepted[] = {
        {"0x1a00007", 0x1a00007},   {"0X1A00007", 0x1a00007},  {"27262983", 27262983}, {"1", 1},
        {"0xffffffff", 0xffffffff}, {"4294967295", 4294967295}};
    for (const auto& [text, expected] : accepted) {
        unsigned long id = 0;
        EXPECT_TRUE(parseWindowId(text, id) && id == expected) << text << " read as " << id;
    }
    for (const char* text : {"", "0", "0x", "0x0", "12a", "0x1g", " 12", "12 ", "-12", "+12",
                             "0x100000000", "4294967296", "99999999999999999999", "1e3"}) {
        unsigned long id = 7;
        EXPECT_FALSE(parseWindowId(text, id)) << text;
        EXPECT_EQ(id, 7u) << text << " changed the id";
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
    } cases[] = {
        {{}, nullptr, run, T::OwnWindow, 0},
        {{"--root"}, nullptr, run, T::RootWindow, 0},
        {{"-root"}, nullptr, run, T::RootWindow, 0},
        {{"--root"}, "0x2a", run, T::GivenWindow, 42},
        {{}, "42", run, T::GivenWindow, 42},
        {{"-window-id", "0x2a"}, nullptr, run, T::GivenWindow, 42},
        {{"--window-id", "42", "--root"}, nullptr, run, T::GivenWindow, 42},
        {{"--window-id", "7"}, "42", run, T::GivenWindow, 42},
        {{"-h"}, "junk", SaverOutcome::Help, T::OwnWindow, 0},
        {{"--root", "--help"}, nullptr, SaverOutcome::Help, T::OwnWindow, 0},
        {{"--root"}, "junk", refused, T::OwnWindow, 0},
        {{}, "", refused, T::OwnWindow, 0},
        {{"--window-id"}, nullptr, refused, T::OwnWindow, 0},
        {{"--window-id", "0"}, nullptr, refused, T::OwnWindow, 0},
        {{"---root"}, nullptr, refused, T::OwnWindow, 0},
        {{"--fps"}, nullptr, refused, T::OwnWindow, 0},
        {{"--root", "--bogus", "--help"}, nullptr, refused, T::OwnWindow, 0},
    };
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
