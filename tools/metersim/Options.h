#pragma once

#include "Faults.h"

#include <optional>
#include <string>
#include <vector>

namespace metersim {

// The bytes sent instead of the right answer to a request of one type: to its nth occurrence
// (from 1), or to every one when nth is 0.
struct WrongAnswer {
    uint8_t requestType = 0;
    int nth = 0;
    Bytes bytes;
};

struct Options {
    std::string linkPath;
    int records = 7;
    bool longCount = false;
    int rotateEvery = 1;
    bool silent = false;
    std::optional<int> stopAfterBlocks;
    Damage damage;
    Timing timing;
    std::vector<WrongAnswer> wrongAnswers;
    bool verbose = false;
    bool exitOnStdinEof = false;
    bool help = false;
    bool version = false;
};

// The options, or the reason the command line was refused in `error`.
struct ParsedOptions {
    Options options;
    std::string error;
};
// GNU conventions: "--records 5" and "--records=5", "-h"; the arguments after the program name.
ParsedOptions parseOptions(const std::vector<std::string> &arguments);

// The wrong answer of --answer-with, "TYPE[:NTH]=HEX" with HEX the bytes in hexadecimal.
std::optional<WrongAnswer> parseWrongAnswer(const std::string &text);

std::string usageText();
std::string versionText();

} // namespace metersim
