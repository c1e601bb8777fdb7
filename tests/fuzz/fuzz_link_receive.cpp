// libFuzzer target over the engine's receive path. The input is read as a script of events on
// the fake port and the virtual clock (tests/fuzz/README.md gives the encoding): the meter's
// bytes in any pieces, time passing, time-outs, Read, tab changes, unplug and replug. After every
// event the engine is checked; then the meter behaves and the engine must find its way back to
// polling.
#include "EngineWatch.h"
#include "FuzzedLine.h"

#include "link/MeterEngine.h"
#include "link/TimerControl.h"
#include "support/FakeLinkPlatform.h"
#include "support/ScriptedMeter.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iterator>

namespace {

// The meter is on one of the first ports; the others there may open with nothing behind them,
// refuse this user or be in use.
constexpr int PortsUsed = 3;
constexpr CommError OtherPortOutcomes[] = {CommInvalidPort, CommNoError, CommAccessDenied,
                                           CommPortAlreadyOpen};
constexpr int MostEvents = 256;
// Records the meter holds at most: enough for blocks of each size.
constexpr int MostRecords = 20;
// Once the meter behaves: long enough for discovery to come round to its port, a time-out, the
// quiet span and a whole download; then polls must be answered for a while.
constexpr int64_t SettleMs = 15000;
constexpr int64_t WatchedMs = 6000;
constexpr int64_t StepMs = 50;

enum class Event : uint8_t {
    Answer,   // the right answer to a request heard: the last one, or an earlier one
    Repeat,   // the last answer once more
    Deliver,  // bytes on the line reach the port
    Noise,    // bytes that are no frame
    Frame,    // a frame that answers nothing: a notice, another type, a bad status or checksum
    Stray,    // a start byte and the first bytes of a frame that never comes
    Advance,  // time passes
    TimeOut,  // time passes up to the response time-out
    Read,     // startDownload()
    Tab,      // setRealtimeView()
    Unplug,   // the device goes away
    Replug,   // and comes back
    LineEvent // the control reports something other than received bytes
};
constexpr int EventKinds = int(Event::LineEvent) + 1;

// The input from the front; past its end every byte reads as 0.
class InputReader {
public:
    InputReader(const uint8_t *data, size_t size) : data(data), size(size) {}
    bool atEnd() const { return position >= size; }
    uint8_t byte() { return position < size ? data[position++] : 0; }
    QByteArray bytes(int count) {
        QByteArray taken;
        for (int index = 0; index < count; ++index)
            taken += char(byte());
        return taken;
    }

private:
    const uint8_t *data;
    size_t size;
    size_t position = 0;
};

// Frame types other than a block's: a notice, the answers to the other requests, one no
// request has.
constexpr uint8_t OtherFrameTypes[] = {NoticeType, 2, 3, 4, 5, 6, 7, RequestType::Records};

// What the input's first bytes set up: the meter's records and count form, its port and what
// the other ports are.
struct Setup {
    explicit Setup(InputReader &input)
        : records(input.byte() % (MostRecords + 1)), twoByteCount((input.byte() & 1) != 0),
          meterPort(input.byte() % PortsUsed + 1), otherPorts(input.byte()) {}

    int records;
    bool twoByteCount;
    int meterPort;
    uint8_t otherPorts; // two bits a port, in port order
};

struct FuzzRun {
    FuzzRun(InputReader &input, const Setup &setup) : input(input), meterPort(setup.meterPort) {
        for (int port = 1; port <= PortsUsed; ++port)
            serial.openOutcome[port] = OtherPortOutcomes[setup.otherPorts >> (2 * (port - 1)) & 3];
        serial.openOutcome[meterPort] = CommNoError;
        meter.fault = ScriptedMeter::Fault::Silent;
        meter.recordCount = setup.records;
        meter.eightByteCount = setup.twoByteCount;
        QObject::connect(&engine, &MeterEngine::linkLost, [this] {
            line.linkLost();
            trace << QStringLiteral("  link lost");
        });
        QObject::connect(&engine, &MeterEngine::recordCount,
                         [this](int16_t total) { trace << QStringLiteral("  record count %1").arg(total); });
        QObject::connect(
            &engine, &MeterEngine::recordBlock,
            [this](int16_t first, const std::vector<ShownBlocks> &records) {
                trace << QStringLiteral("  records %1 to %2").arg(first).arg(first + int(records.size()) - 1);
            });
        QObject::connect(&engine, &MeterEngine::downloadEnded,
                         [this] { trace << QStringLiteral("  download ended"); });
        QObject::connect(&engine, &MeterEngine::downloadAborted,
                         [this] { trace << QStringLiteral("  download broken off"); });
        engine.start();
    }

    void apply(Event event);
    void recover();
    void check(const char *after);
    void advance(int64_t milliseconds);
    void printEvents() const;
    void noteRequestsHeard();

    InputReader &input;
    const int meterPort;
    FakeLinkPlatform platform;
    MeterEngine engine{platform};
    FakeSerialControl &serial = *platform.serial;
    ScriptedMeter meter{platform, meterPort};
    FuzzedLine line{platform, meter, meterPort, MeterEngine::QuietMs};
    EngineWatch watch{engine};
    // The events applied, and what the meter heard and the engine told in between.
    QStringList trace;
    size_t requestsNoted = 0;
};

void FuzzRun::apply(Event event) {
    switch (event) {
    case Event::Answer: {
        const uint8_t which = input.byte();
        const int back = which % 4;
        const int blockRecords = which / 4 % 4;
        line.queueAnswer(size_t(back), blockRecords);
        trace << QStringLiteral("answer %1 back, block of %2").arg(back).arg(blockRecords);
        break;
    }
    case Event::Repeat:
        line.queueRepeat();
        trace << QStringLiteral("repeat");
        break;
    case Event::Deliver: {
        const int count = input.byte();
        const uint8_t how = input.byte();
        const int late = how % 8;
        const bool early = (how & 0x80) != 0;
        trace << QStringLiteral("deliver %1 (%2 late%3)").arg(count).arg(late).arg(early ? ", early" : "");
        line.deliver(count, late, early);
        break;
    }
    case Event::Noise: {
        const QByteArray noise = FuzzedLine::withoutBlockMarkers(input.bytes(input.byte() % 64 + 1));
        line.queueOther(noise);
        trace << QStringLiteral("noise ") + QString::fromLatin1(noise.toHex());
        break;
    }
    case Event::Frame: {
        const uint8_t type = OtherFrameTypes[input.byte() % std::size(OtherFrameTypes)];
        const uint8_t flaws = input.byte();
        // Up to one byte longer than the longest frame.
        const QByteArray payload =
            FuzzedLine::withoutBlockMarkers(input.bytes(input.byte() % (RxFrameSize - FrameOverhead + 2)));
        const bool badStatus = (flaws & 1) != 0;
        // A block frame only ever with a flaw: a whole one would be an answer the meter never gave.
        const bool badChecksum = (flaws & 2) != 0 || (type == RequestType::Records && !badStatus);
        QByteArray frame = ScriptedMeter::frame(type, payload, badStatus ? uint8_t(flaws | 1) : 0);
        if (badChecksum)
            frame.back() = char(frame.back() ^ 0x5A);
        line.queueOther(frame);
        trace << QStringLiteral("frame ") + QString::fromLatin1(frame.toHex());
        break;
    }
    case Event::Stray: {
        const QByteArray stray =
            char(ResponseStart) + FuzzedLine::withoutBlockMarkers(input.bytes(input.byte() % 4));
        line.queueOther(stray);
        trace << QStringLiteral("stray ") + QString::fromLatin1(stray.toHex());
        break;
    }
    case Event::Advance: {
        const uint8_t amount = input.byte();
        const int64_t milliseconds = amount < 128 ? amount + 1 : (amount - 127) * 25;
        trace << QStringLiteral("advance %1").arg(milliseconds);
        advance(milliseconds);
        break;
    }
    case Event::TimeOut: {
        const auto *timeout = static_cast<const VirtualTimer *>(engine.Timer_timeout.get());
        const int64_t until =
            timeout->Enabled() ? timeout->dueAt() - platform.clock.now() : timeout->Interval();
        trace << QStringLiteral("time-out, %1 on").arg(until);
        advance(until);
        break;
    }
    case Event::Read:
        trace << QStringLiteral("read: %1").arg(engine.startDownload());
        break;
    case Event::Tab: {
        const bool realtime = (input.byte() & 1) != 0;
        trace << QStringLiteral("tab %1").arg(realtime ? "realtime" : "record");
        engine.setRealtimeView(realtime);
        break;
    }
    case Event::Unplug:
        trace << QStringLiteral("unplug");
        serial.openOutcome[meterPort] = CommInvalidPort;
        if (serial.PortOpen() && serial.CommPort() == meterPort) {
            // As the Qt control does: bytes read before the device went are handed on first.
            if (serial.InBufferCount() > 0)
                serial.raiseEvent(comEvReceive);
            if (serial.PortOpen())
                serial.unplug();
        }
        break;
    case Event::Replug:
        trace << QStringLiteral("replug");
        serial.openOutcome[meterPort] = CommNoError;
        break;
    case Event::LineEvent:
        trace << QStringLiteral("line event");
        serial.raiseEvent(comEvReceive + 1);
        break;
    }
}

// Time passes a step at a time, so a request never waits unwatched for long.
void FuzzRun::advance(int64_t milliseconds) {
    for (int64_t passed = 0; passed < milliseconds; passed += StepMs) {
        platform.clock.advance(std::min(StepMs, milliseconds - passed));
        check("time passing");
    }
}

void FuzzRun::noteRequestsHeard() {
    for (; requestsNoted < meter.heard.size(); ++requestsNoted)
        trace << QStringLiteral("  heard at %1 ms: %2")
                     .arg(meter.heard[requestsNoted].atMs)
                     .arg(QString::fromLatin1(meter.heard[requestsNoted].request.toHex(' ')));
}

void FuzzRun::check(const char *after) {
    noteRequestsHeard();
    watch.checkWaits();
    if (watch.broken.isEmpty())
        return;
    std::fprintf(stderr, "Broken after %s at %lld ms: %s\n", after,
                 static_cast<long long>(platform.clock.now()),
                 qPrintable(watch.broken.join(QStringLiteral("; "))));
    printEvents();
    std::abort();
}

void FuzzRun::printEvents() const {
    std::fprintf(stderr, "Events (meter on port %d, %d records, %s count):\n  %s\n", meterPort,
                 meter.recordCount, meter.eightByteCount ? "two-byte" : "one-byte",
                 qPrintable(trace.join(QStringLiteral("\n  "))));
}

void FuzzRun::recover() {
    trace << QStringLiteral("the meter behaves");
    line.clear();
    serial.openOutcome[meterPort] = CommNoError;
    meter.fault = ScriptedMeter::Fault::None;
    meter.answerDelayMs = 5;
    meter.wrongAnswer = [this](const QByteArray &request) -> std::optional<QByteArray> {
        if (uint8_t(request[TypeOffset]) != RequestType::Records)
            return std::nullopt;
        return FuzzedLine::rightAnswer(meter, request);
    };
    advance(SettleMs);

    const int lostBefore = watch.linksLost;
    const int answersBefore = watch.realtimeAnswers;
    const size_t heardBefore = meter.heard.size();
    advance(WatchedMs);
    const uint8_t pollType = engine.state.RealtimeView ? RequestType::Realtime : RequestType::LinkCheck;
    int polls = 0;
    for (size_t index = heardBefore; index < meter.heard.size(); ++index)
        polls += uint8_t(meter.heard[index].request[TypeOffset]) == pollType ? 1 : 0;
    const int expectedPolls = int(WatchedMs / engine.Timer_real->Interval()) - 1;
    if (polls < expectedPolls)
        watch.broken << QStringLiteral("only %1 polls while the meter behaved").arg(polls);
    if (watch.linksLost != lostBefore || !watch.connected)
        watch.broken << QStringLiteral("the link is not connected while the meter behaves");
    if (engine.state.RealtimeView && watch.realtimeAnswers - answersBefore < expectedPolls)
        watch.broken << QStringLiteral("only %1 realtime answers while the meter behaved")
                            .arg(watch.realtimeAnswers - answersBefore);
    if (engine.downloading() || watch.downloadOpen)
        watch.broken << QStringLiteral("a download never ends while the meter behaves");
    check("the meter behaved");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    InputReader input(data, size);
    const Setup setup(input);
    FuzzRun run(input, setup);
    for (int events = 0; events < MostEvents && !input.atEnd(); ++events) {
        run.apply(Event(input.byte() % EventKinds));
        run.check("an event");
    }
    run.recover();
    // To read what an input does: run the target on it with this set.
    if (std::getenv("POWERCLAMP_FUZZ_EVENTS"))
        run.printEvents();
    return 0;
}
