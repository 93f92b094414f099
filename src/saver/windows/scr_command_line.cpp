#include "saver/windows/scr_command_line.h"

#include <cstdint>

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

const char* skipBlanks(const char* text) {
    while (isBlank(*text)) {
        ++text;
    }
    return text;
}

char lowerCase(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Reads a decimal handle that runs to the end of the text (trailing blanks aside); false for
// anything else, an empty number or one beyond UINTPTR_MAX.
bool readHandle(const char* text, std::uintptr_t& handle) {
    if (*text < '0' || *text > '9') {
        return false;
    }
    std::uintptr_t value = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        const auto digit = static_cast<std::uintptr_t>(*text - '0');
        if (value > (UINTPTR_MAX - digit) / 10) {
            return false;
        }
        value = value * 10 + digit;
    }
    handle = value;
    return *skipBlanks(text) == '\0';
}

// What follows an option's letter: nothing, or a handle after a space, a colon or nothing.
bool readOptionalHandle(const char* rest, std::uintptr_t& handle) {
    handle = 0;
    if (*skipBlanks(rest) == '\0') {
        return true;
    }
    if (*rest == ':' || isBlank(*rest)) {
        return readHandle(*rest == ':' ? rest + 1 : skipBlanks(rest), handle);
    }
    return readHandle(rest, handle);
}

} // namespace

ScrCommand parseScrCommandLine(const char* arguments) {
    const ScrCommand refused{ScrMode::Refused, 0};
    const char* text = skipBlanks(arguments);
    if (*text == '\0') {
        return {ScrMode::Settings, 0};
    }
    if (*text != '/' && *text != '-') {
        return refused;
    }
    const char letter = lowerCase(text[1]);
    const char* rest = letter == '\0' ? text + 1 : text + 2;
    std::uintptr_t handle = 0;
    switch (letter) {
    case 's':
        return *skipBlanks(rest) == '\0' ? ScrCommand{ScrMode::Saver, 0} : refused;
    case 'p':
        // A preview needs a window to draw in; 0 is never one.
        return readOptionalHandle(rest, handle) && handle != 0
                   ? ScrCommand{ScrMode::Preview, handle}
                   : refused;
    case 'c':
        return readOptionalHandle(rest, handle) ? ScrCommand{ScrMode::Settings, handle} : refused;
    case 'a':
        return readOptionalHandle(rest, handle) ? ScrCommand{ScrMode::Ignored, handle} : refused;
    default:
        return refused;
    }
}

bool pointerMovedAway(int startX, int startY, int x, int y) {
    // In 64 bits: the squares of two screens' widths overflow an int.
    const std::int64_t dx = static_cast<std::int64_t>(x) - startX;
    const std::int64_t dy = static_cast<std::int64_t>(y) - startY;
    const std::int64_t still = POINTER_STILL_PIXELS;
    return dx * dx + dy * dy > still * still;
}
