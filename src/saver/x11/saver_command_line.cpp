#include "saver/x11/saver_command_line.h"

#include <cstring>

namespace {

int digitValue(char c, unsigned base) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    const char lower = static_cast<char>(c | 0x20);
    return base == 16 && lower >= 'a' && lower <= 'f' ? lower - 'a' + 10 : -1;
}

// XScreenSaver's own tools write `-root` and `--root` alike: the dashes say nothing.
const char* optionName(const char* word) {
    if (word[0] != '-') {
        return nullptr;
    }
    return word[1] == '-' ? word + 2 : word + 1;
}

} // namespace

bool parseWindowId(const char* text, unsigned long& id) {
    unsigned base = 10;
    if (text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text += 2;
    }
    unsigned long value = 0;
    for (; *text != '\0'; ++text) {
        const int digit = digitValue(*text, base);
        if (digit < 0 || value > (MAX_WINDOW_ID - digit) / base) {
            return false;
        }
        value = value * base + digit;
    }
    // Also what nothing at all comes to, with or without 0x.
    if (value == 0) {
        return false;
    }
    id = value;
    return true;
}

SaverCommand parseSaverCommand(int argc, const char* const* argv, const char* environmentWindow) {
    SaverCommand command;
    const SaverCommand refused{SaverOutcome::Refused};
    bool root = false, windowGiven = false;
    for (int i = 1; i < argc; ++i) {
        const char* name = optionName(argv[i]);
        if (name != nullptr && (std::strcmp(name, "help") == 0 || std::strcmp(name, "h") == 0)) {
            return SaverCommand{SaverOutcome::Help};
        } else if (name != nullptr && std::strcmp(name, "root") == 0) {
            root = true;
        } else if (name != nullptr && std::strcmp(name, "window-id") == 0 && i + 1 < argc &&
                   parseWindowId(argv[i + 1], command.window)) {
            windowGiven = true;
            ++i;
        } else {
            return refused;
        }
    }
    if (environmentWindow != nullptr) {
        if (!parseWindowId(environmentWindow, command.window)) {
            return refused;
        }
        windowGiven = true;
    }
    if (windowGiven) {
        command.target = SaverTarget::GivenWindow;
    } else if (root) {
        command.target = SaverTarget::RootWindow;
    }
    return command;
}
