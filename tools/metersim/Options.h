#pragma once

#include "Faults.h"

#include <optional>
#include <string>
#include <vector>

namespace metersim {

struct Options {
    std::string linkPath;
    int records = 7;
    bool longCount = false;
    int rotateEvery = 1;
    bool silent = false;
    std::optional<int> stopAfterBlocks;
    Damage damage;
    Timing timing;
    bool verbose = false;
    bool exitOnStdinEof = false;
    bool help = false;
};

// The options, or the reason the command line was refused in `error`.
struct ParsedOptions {
    Options options;
    std::string error;
};
ParsedOptions parseOptions(const std::vector<std::string> &arguments);

std::string usageText();

} // namespace metersim
