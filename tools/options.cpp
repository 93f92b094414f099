#include "options.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

bool parseWholeNumber(const char* text, long minimum, long maximum, long& value) {
    char* end = nullptr;
    errno = 0;
    const long parsed = std::strtol(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || parsed < minimum || parsed > maximum) {
        return false;
    }
    value = parsed;
    return true;
}

bool parseDecimal(const char* text, double minimum, double maximum, double& value) {
    char* end = nullptr;
    const double parsed = std::strtod(text, &end);
    // Written so that a NaN fails too.
    if (end == text || *end != '\0' || !(parsed >= minimum && parsed <= maximum)) {
        return false;
    }
    value = parsed;
    return true;
}

bool parseSize(const char* text, int& width, int& height) {
    const char* separator = std::strchr(text, 'x');
    if (separator == nullptr) {
        return false;
    }
    const std::string widthText(text, separator);
    long w = 0;
    long h = 0;
    if (!parseWholeNumber(widthText.c_str(), 1, MAX_PICTURE_SIDE, w) ||
        !parseWholeNumber(separator + 1, 1, MAX_PICTURE_SIDE, h)) {
        return false;
    }
    width = static_cast<int>(w);
    height = static_cast<int>(h);
    return true;
}
