#include "options.h"

#include <cerrno>
#include <cstdlib>

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
