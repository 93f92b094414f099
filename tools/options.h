// The tools' command lines: `--name value` pairs, and the numbers in them.
#pragma once

#include "app/pinned_frame.h"

#include <optional>
#include <string>

// Calls parseOption(name, value) for each pair; on a lone name or the first value the parser
// refuses, returns false with `error` set.
template <typename ParseOption>
bool parseOptionPairs(int argc, char** argv, ParseOption parseOption, std::string& error) {
    for (int i = 1; i < argc; i += 2) {
        const std::string name = argv[i];
        if (i + 1 >= argc) {
            error = "missing value after " + name;
            return false;
        }
        if (!parseOption(name, argv[i + 1])) {
            error = "bad argument: " + name + " " + argv[i + 1];
            return false;
        }
    }
    return true;
}

// The whole of `text` as a number within [minimum, maximum]; false, leaving `value` alone, for
// anything else.
bool parseWholeNumber(const char* text, long minimum, long maximum, long& value);
bool parseDecimal(const char* text, double minimum, double maximum, double& value);

// The largest side of a picture the tools render.
constexpr int MAX_PICTURE_SIDE = 8192;

// `WxH`, each side a whole number from 1 to MAX_PICTURE_SIDE; false, leaving both alone, for
// anything else.
bool parseSize(const char* text, int& width, int& height);

// The options that both pinned-clock tools take: --data, --out, --step-ms and --size. Whether the
// value was taken, or nothing for a name that is not one of them.
template <typename Options>
std::optional<bool> parsePinnedToolOption(const std::string& name, const char* value,
                                          Options& options) {
    if (name == "--data") {
        options.dataDirectory = value;
        return true;
    }
    if (name == "--out") {
        options.outPath = value;
        return !options.outPath.empty();
    }
    if (name == "--step-ms") {
        return parsePinnedStep(value, options.stepMs);
    }
    if (name == "--size") {
        return parseSize(value, options.width, options.height);
    }
    return std::nullopt;
}
