#include "Options.h"

#include <cerrno>
#include <cstdlib>
#include <functional>
#include <map>

namespace metersim {

namespace {

// Accepts decimal or 0x-prefixed numbers inside [lowest, highest].
std::optional<long> parseNumber(const std::string &text, long lowest, long highest) {
    if (text.empty())
        return std::nullopt;
    char *end = nullptr;
    errno = 0;
    const long value = std::strtol(text.c_str(), &end, 0);
    if (errno != 0 || *end != '\0' || value < lowest || value > highest)
        return std::nullopt;
    return value;
}

struct ValueOption {
    long lowest;
    long highest;
    std::function<void(Options &, long)> store;
};

const std::map<std::string, std::function<void(Options &)>> &flagOptions() {
    static const std::map<std::string, std::function<void(Options &)>> flags{
        {"--long-count", [](Options &o) { o.longCount = true; }},
        {"--silent", [](Options &o) { o.silent = true; }},
        {"--bad-checksum", [](Options &o) { o.damage.badChecksum = true; }},
        {"--pace", [](Options &o) { o.timing.paced = true; }},
        {"--verbose", [](Options &o) { o.verbose = true; }},
        {"--exit-on-stdin-eof", [](Options &o) { o.exitOnStdinEof = true; }},
        {"--help", [](Options &o) { o.help = true; }},
    };
    return flags;
}

const std::map<std::string, ValueOption> &valueOptions() {
    using std::chrono::milliseconds;
    static const std::map<std::string, ValueOption> values{
        {"--records", {0, 0xFFFF, [](Options &o, long v) { o.records = static_cast<int>(v); }}},
        {"--rotate-every", {1, 1'000'000, [](Options &o, long v) { o.rotateEvery = static_cast<int>(v); }}},
        {"--stop-after-blocks",
         {0, 1'000'000, [](Options &o, long v) { o.stopAfterBlocks = static_cast<int>(v); }}},
        {"--status", {0, 0xFF, [](Options &o, long v) { o.damage.status = static_cast<uint8_t>(v); }}},
        {"--noise", {0, 64, [](Options &o, long v) { o.damage.noiseBytes = static_cast<std::size_t>(v); }}},
        {"--split", {1, 128, [](Options &o, long v) { o.timing.pieces = static_cast<std::size_t>(v); }}},
        {"--gap", {0, 60'000, [](Options &o, long v) { o.timing.gap = milliseconds(v); }}},
        {"--delay", {0, 600'000, [](Options &o, long v) { o.timing.delay = milliseconds(v); }}},
    };
    return values;
}

} // namespace

ParsedOptions parseOptions(const std::vector<std::string> &arguments) {
    ParsedOptions parsed;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string &name = arguments[i];
        if (const auto flag = flagOptions().find(name); flag != flagOptions().end()) {
            flag->second(parsed.options);
            continue;
        }
        const bool known = name == "--link" || valueOptions().count(name) != 0;
        if (!known) {
            parsed.error = "unknown option " + name;
            return parsed;
        }
        if (i + 1 >= arguments.size()) {
            parsed.error = name + " needs a value";
            return parsed;
        }
        const std::string &text = arguments[++i];
        if (name == "--link") {
            parsed.options.linkPath = text;
            continue;
        }
        const ValueOption &option = valueOptions().at(name);
        const std::optional<long> value = parseNumber(text, option.lowest, option.highest);
        if (!value) {
            parsed.error = name + " takes a number from " + std::to_string(option.lowest) + " to " +
                           std::to_string(option.highest) + ", not '" + text + "'";
            return parsed;
        }
        option.store(parsed.options, *value);
    }
    return parsed;
}

std::string usageText() {
    return R"(Usage: powerclamp-metersim [options]

Plays the power-clamp meter on a pseudo-terminal. The first line on stdout is the terminal's device path.
Answers link checks, realtime readings (the shown items rotate; values drift like a three-phase load),
the record count and record blocks. Record N (from 1) holds TIME = N minutes, U = 220.0 + ((N-1) mod 200)/10 V,
I = 1.000 + ((N-1) mod 1000)/1000 A and PF = 0.800 + ((N-1) mod 200)/1000, on phase ((N-1) mod 3) + 1;
the PF block is empty when N is a multiple of 5.

  --link PATH             also make PATH a symbolic link to the terminal (removed at exit)
  --records N             number of stored records, 0..65535 (default 7)
  --long-count            answer the record count with two bytes even below 256 (always above 255)
  --rotate-every N        realtime answers before the next set of four items is shown (default 1)
  --silent                start without answering (SIGUSR1: stop answering, SIGUSR2: answer again)
  --stop-after-blocks N   fall silent after N record-block answers, as if the meter vanished mid-download;
                          SIGUSR2 brings it back for another N blocks
  --status BYTE           status byte of every answer (default 0; anything else is a refused answer)
  --bad-checksum          send every answer with a wrong checksum
  --noise N               send N noise bytes ahead of every answer's start byte (0..64)
  --split N               send every answer in N pieces ...
  --gap MS                ... with MS milliseconds between them (default 50)
  --delay MS              answer MS milliseconds after the request (the program gives up after 2500)
  --pace                  send one byte every 1.042 ms, as a 9600 baud line does (default: all at once)
  --verbose               log every request and answer on stderr
  --exit-on-stdin-eof     end when stdin reaches end-of-file (e.g. when the parent dies)
  --help                  show this text

Bytes are only sent while the program has the terminal open: an answer due while it is closed is dropped,
as on a real line, and requests are only answered once they arrived complete.
SIGINT and SIGTERM end the simulator.
)";
}

} // namespace metersim
