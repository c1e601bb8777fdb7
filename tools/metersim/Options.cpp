#include "Options.h"
#include "Version.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <getopt.h>

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

std::optional<Bytes> parseHex(const std::string &text) {
    Bytes bytes;
    std::string digits;
    for (char character : text)
        if (!std::isspace(static_cast<unsigned char>(character)))
            digits += character;
    if (digits.empty() || digits.size() % 2 != 0)
        return std::nullopt;
    for (std::size_t i = 0; i < digits.size(); i += 2) {
        const std::optional<long> byte = parseNumber("0x" + digits.substr(i, 2), 0, 0xFF);
        if (!byte)
            return std::nullopt;
        bytes.push_back(static_cast<uint8_t>(*byte));
    }
    return bytes;
}

enum OptionId : int {
    Help = 'h',
    Link = 256,
    Records,
    LongCount,
    RotateEvery,
    Silent,
    StopAfterBlocks,
    Status,
    BadChecksum,
    Noise,
    Split,
    Gap,
    Delay,
    Pace,
    UsbLatency,
    AnswerWith,
    Verbose,
    ExitOnStdinEof,
    Version,
};

const option kLongOptions[] = {
    {"link", required_argument, nullptr, Link},
    {"records", required_argument, nullptr, Records},
    {"long-count", no_argument, nullptr, LongCount},
    {"rotate-every", required_argument, nullptr, RotateEvery},
    {"silent", no_argument, nullptr, Silent},
    {"stop-after-blocks", required_argument, nullptr, StopAfterBlocks},
    {"status", required_argument, nullptr, Status},
    {"bad-checksum", no_argument, nullptr, BadChecksum},
    {"noise", required_argument, nullptr, Noise},
    {"split", required_argument, nullptr, Split},
    {"gap", required_argument, nullptr, Gap},
    {"delay", required_argument, nullptr, Delay},
    {"pace", no_argument, nullptr, Pace},
    {"usb-latency", required_argument, nullptr, UsbLatency},
    {"answer-with", required_argument, nullptr, AnswerWith},
    {"verbose", no_argument, nullptr, Verbose},
    {"exit-on-stdin-eof", no_argument, nullptr, ExitOnStdinEof},
    {"help", no_argument, nullptr, Help},
    {"version", no_argument, nullptr, Version},
    {nullptr, 0, nullptr, 0},
};

struct Range {
    long lowest;
    long highest;
};

Range rangeOf(int id) {
    switch (id) {
    case Records:
        return {0, 0xFFFF};
    case Status:
        return {0, 0xFF};
    case Noise:
        return {0, 64};
    case Split:
        return {1, 128};
    case Gap:
        return {0, 60'000};
    case UsbLatency:
        return {1, 1000};
    case Delay:
        return {0, 600'000};
    default: // rotate-every, stop-after-blocks
        return {id == RotateEvery ? 1 : 0, 1'000'000};
    }
}

// Stores one option's value; the error text when it is refused.
std::string store(Options &options, int id, const std::string &name, const char *argument) {
    using std::chrono::milliseconds;
    switch (id) {
    case Link:
        options.linkPath = argument;
        return {};
    case AnswerWith:
        if (const std::optional<WrongAnswer> wrong = parseWrongAnswer(argument)) {
            options.wrongAnswers.push_back(*wrong);
            return {};
        }
        return name + " takes TYPE[:NTH]=HEX, not '" + argument + "'";
    case LongCount:
        options.longCount = true;
        return {};
    case Silent:
        options.silent = true;
        return {};
    case BadChecksum:
        options.damage.badChecksum = true;
        return {};
    case Pace:
        options.timing.paced = true;
        return {};
    case Verbose:
        options.verbose = true;
        return {};
    case ExitOnStdinEof:
        options.exitOnStdinEof = true;
        return {};
    case Help:
        options.help = true;
        return {};
    case Version:
        options.version = true;
        return {};
    default:
        break;
    }
    const Range range = rangeOf(id);
    const std::optional<long> value = parseNumber(argument, range.lowest, range.highest);
    if (!value)
        return name + " takes a number from " + std::to_string(range.lowest) + " to " +
               std::to_string(range.highest) + ", not '" + argument + "'";
    const int number = static_cast<int>(*value);
    switch (id) {
    case Records:
        options.records = number;
        break;
    case RotateEvery:
        options.rotateEvery = number;
        break;
    case StopAfterBlocks:
        options.stopAfterBlocks = number;
        break;
    case Status:
        options.damage.status = static_cast<uint8_t>(number);
        break;
    case Noise:
        options.damage.noiseBytes = static_cast<std::size_t>(number);
        break;
    case Split:
        options.timing.pieces = static_cast<std::size_t>(number);
        break;
    case Gap:
        options.timing.gap = milliseconds(number);
        break;
    case Delay:
        options.timing.delay = milliseconds(number);
        break;
    case UsbLatency:
        // An adapter only packs what the line delivers: the bytes are paced first.
        options.timing.paced = true;
        options.timing.usbLatency = milliseconds(number);
        break;
    default:
        break;
    }
    return {};
}

std::string nameOf(int id) {
    for (const option &known : kLongOptions)
        if (known.val == id)
            return std::string("--") + known.name;
    return "-" + std::string(1, static_cast<char>(id));
}

} // namespace

std::optional<WrongAnswer> parseWrongAnswer(const std::string &text) {
    const std::size_t equals = text.find('=');
    if (equals == std::string::npos)
        return std::nullopt;
    const std::string selector = text.substr(0, equals);
    const std::size_t colon = selector.find(':');
    const std::optional<long> type = parseNumber(selector.substr(0, colon), 1, 0xFF);
    const std::optional<long> nth = colon == std::string::npos
                                        ? std::optional<long>(0)
                                        : parseNumber(selector.substr(colon + 1), 1, 1'000'000);
    const std::optional<Bytes> bytes = parseHex(text.substr(equals + 1));
    if (!type || !nth || !bytes)
        return std::nullopt;
    return WrongAnswer{static_cast<uint8_t>(*type), static_cast<int>(*nth), *bytes};
}

ParsedOptions parseOptions(const std::vector<std::string> &arguments) {
    std::vector<std::string> words{"powerclamp-metersim"};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char *> argv;
    for (std::string &word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);

    ParsedOptions parsed;
    // getopt keeps its place in globals: start afresh, and report errors here instead of on stderr.
    optind = 0;
    opterr = 0;
    const int argc = static_cast<int>(words.size());
    for (;;) {
        const int id = getopt_long(argc, argv.data(), ":h", kLongOptions, nullptr);
        if (id == -1)
            break;
        if (id == '?') {
            parsed.error = "unknown option " + std::string(argv[static_cast<std::size_t>(optind - 1)]);
            return parsed;
        }
        if (id == ':') {
            const std::string given = argv[static_cast<std::size_t>(optind - 1)];
            parsed.error = given.substr(0, given.find('=')) + " needs a value";
            return parsed;
        }
        parsed.error = store(parsed.options, id, nameOf(id), optarg);
        if (!parsed.error.empty())
            return parsed;
    }
    if (optind < argc)
        parsed.error = "unexpected argument " + std::string(argv[static_cast<std::size_t>(optind)]);
    return parsed;
}

std::string usageText() {
    return R"(Usage: powerclamp-metersim [OPTION]...
Play the power-clamp meter on a pseudo-terminal.

The first line on stdout is the terminal's device path. The meter answers link checks,
realtime readings (the shown items rotate; values drift like a three-phase load), the record
count and record blocks. Record N (from 1) holds TIME = N minutes,
U = 220.0 + ((N-1) mod 200)/10 V, I = 1.000 + ((N-1) mod 1000)/1000 A and
PF = 0.800 + ((N-1) mod 200)/1000, on phase ((N-1) mod 3) + 1; the PF block is empty when N
is a multiple of 5.

      --link=PATH            also make PATH a symbolic link to the terminal (removed at exit)
      --records=N            number of stored records, 0..65535 (default 7)
      --long-count           answer the record count in its 8-byte form (always above 255)
      --rotate-every=N       realtime answers before the next set of four items (default 1)
      --silent               start without answering (SIGUSR1: stop answering,
                             SIGUSR2: answer again)
      --stop-after-blocks=N  fall silent after N record-block answers, as if the meter
                             vanished mid-download; SIGUSR2 brings it back for N more
      --status=BYTE          status byte of every answer (default 0: accepted)
      --bad-checksum         send every answer with a wrong checksum
      --noise=N              send N noise bytes ahead of every answer's start byte (0..64)
      --split=N              send every answer in N pieces ...
      --gap=MS               ... with MS milliseconds between them (default 50)
      --delay=MS             answer MS milliseconds after the request
      --pace                 be a 9600-baud line: wait the request's own time on the wire,
                             then send the answer a byte every 1.042 ms
      --usb-latency=MS       be a USB serial adapter on a paced line: hand the bytes over
                             in one packet per MS-millisecond window (16 is common)
      --answer-with=TYPE[:NTH]=HEX
                             answer the NTH request of TYPE (every one without :NTH) with
                             the bytes HEX instead of the right answer; may be repeated
      --verbose              log every request and answer on stderr
      --exit-on-stdin-eof    end when stdin reaches end-of-file (e.g. when the parent dies)
  -h, --help                 display this help and exit
      --version              output version information and exit

Bytes are only sent while the program has the terminal open: an answer due while it is
closed is dropped, as on a real line, and requests are answered only once complete.
SIGINT and SIGTERM end the simulator.
)";
}

std::string versionText() {
    return "powerclamp-metersim " POWERCLAMP_VERSION "\n";
}

} // namespace metersim
