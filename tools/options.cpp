#include "options.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

bool helpAsked(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0) {
            return true;
        }
    }
    return false;
}

// "-" alone is an ordinary word (by custom, standard input or output), and "-1" a number.
bool looksLikeOption(const char* text) {
    return text[0] == '-' && text[1] != '\0' &&
           std::isdigit(static_cast<unsigned char>(text[1])) == 0;
}

CommandLine parseOperands(int argc, char** argv, int fewest, int most, std::string& error) {
    if (helpAsked(argc, argv)) {
        return CommandLine::Help;
    }
    for (int i = 1; i < argc; ++i) {
        if (looksLikeOption(argv[i])) {
            error = std::string("unknown option ") + argv[i];
            return CommandLine::Refused;
        }
    }
    const int count = argc - 1;
    if (count < fewest || count > most) {
        error = count < fewest ? "too few arguments" : "too many arguments";
        return CommandLine::Refused;
    }
    return CommandLine::Run;
}

int usageStatus(CommandLine line, const char* tool, const std::string& error, const char* usage) {
    if (line == CommandLine::Help) {
        std::fputs(usage, stdout);
        return 0;
    }
    std::fprintf(stderr, "%s: %s\n%s", tool, error.c_str(), usage);
    return EXIT_USAGE;
}

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
