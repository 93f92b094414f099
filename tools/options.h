// The tools' command lines: `--name value` pairs, and the numbers in them.
#pragma once

#include "app/pinned_frame.h"

#include <optional>
#include <string>

// What a tool's command line comes to: run the tool, or end after printing its usage.
enum class CommandLine { Run, Help, Refused };

// The status a tool ends with after refusing its command line.
constexpr int EXIT_USAGE = 2;

// Whether any argument is `--help`, which every tool answers before it reads anything else.
bool helpAsked(int argc, char** argv);

// Whether `text` is written as an option: such a word is never taken as a value or an operand,
// so that a mistyped option cannot become a file or folder name.
bool looksLikeOption(const char* text);

// Calls parseOption(name, value) for each `--name value` pair; parseOption returns nothing for a
// name it does not know, else whether it took the value. A lone last name is offered an empty
// value only to tell an unknown option from a missing value: the line is refused either way.
template <typename ParseOption>
CommandLine parseOptionPairs(int argc, char** argv, ParseOption parseOption, std::string& error) {
    if (helpAsked(argc, argv)) {
        return CommandLine::Help;
    }
    for (int i = 1; i < argc; i += 2) {
        const std::string name = argv[i];
        const bool hasValue = i + 1 < argc && !looksLikeOption(argv[i + 1]);
        const std::optional<bool> taken = parseOption(name, hasValue ? argv[i + 1] : "");
        if (!taken) {
            error = "unknown option " + name;
        } else if (!hasValue) {
            error = "missing value after " + name;
        } else if (!*taken) {
            error = "bad value: " + name + " " + argv[i + 1];
        } else {
            continue;
        }
        return CommandLine::Refused;
    }
    return CommandLine::Run;
}

// The operands of a tool that takes no options: from `fewest` to `most` of them, none written
// as an option.
CommandLine parseOperands(int argc, char** argv, int fewest, int most, std::string& error);

// Prints `usage` for a command line that does not run the tool and gives the status to end with:
// after --help on standard output (0), else on standard error after the reason (EXIT_USAGE).
int usageStatus(CommandLine line, const char* tool, const std::string& error, const char* usage);

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
