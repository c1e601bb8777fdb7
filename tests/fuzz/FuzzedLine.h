#pragma once

// The meter's side of the fake port while the fuzzer plays the meter: the requests it heard,
// the bytes it put on the line and when they reach the port.
//
// Records carry no number, so no engine can tell every block answer from another block of the
// same size. What the meter may send is therefore bounded where the engine can be held to it,
// and free everywhere else. A block answer starts on the line only
// - while the last block request the meter heard asks for the same records (late, repeated,
//   in any pieces);
// - as a copy of the answer that reached the port, once, while the next block is asked for and
//   nothing else (the engine must see it is the answer before, byte for byte);
// - or until the engine's quiet span has passed since its request's time-out (a download must
//   not begin before then).
// No other bytes can form a block frame: noise and other frames carry neither the start byte
// nor the block type, except as a frame's own first bytes with a bad status or checksum.

#include "support/FakeLinkPlatform.h"
#include "support/ScriptedMeter.h"

#include <QByteArray>

#include <cstdint>
#include <deque>
#include <map>
#include <optional>

class FuzzedLine {
public:
    FuzzedLine(FakeLinkPlatform &platform, ScriptedMeter &meter, int meterPort, int64_t quietMs);

    // The meter's right answer to a request: its records for a block request (each one
    // ScriptedMeter::record of its number), the simulator's model otherwise. `blockRecords`
    // other than 0 gives a block that many records from the first one asked for, fewer or more.
    static QByteArray rightAnswer(const ScriptedMeter &meter, const QByteArray &request,
                                  int blockRecords = 0);
    // Bytes that can be no block frame, whatever comes around them.
    static QByteArray withoutBlockMarkers(QByteArray bytes);

    // Queues the right answer to the request heard `requestsBack` before the last one, a block
    // of `blockRecords` records if not 0.
    void queueAnswer(size_t requestsBack, int blockRecords);
    // Queues the last answer queued once more.
    void queueRepeat();
    // Queues bytes that answer no request.
    void queueOther(const QByteArray &bytes);
    // Hands the next `count` bytes on the line to the meter's port (all of them for 0; lost
    // while another port or none is open); the last
    // `arrivingDuringInput` of them land while the receive handler takes the rest. `early`:
    // the control reports them whatever its threshold, as it does when the device goes away.
    void deliver(int count, int arrivingDuringInput, bool early);
    // The engine lost the link: the block request heard last went unanswered until now.
    void linkLost();
    // Everything still on its way is dropped.
    void clear() { line.clear(); }

private:
    struct Segment {
        QByteArray bytes;
        qsizetype sent = 0;
        std::optional<size_t> answers; // index into the requests heard
    };
    bool mayStart(const Segment &segment) const;
    std::optional<size_t> lastBlockRequest() const;

    FakeLinkPlatform &platform;
    ScriptedMeter &meter;
    const int meterPort;
    const int64_t quietMs;
    std::deque<Segment> line;
    std::optional<Segment> lastAnswer;
    // Block requests heard last when the link was lost, and when.
    std::map<size_t, int64_t> lostAt;
    // The first answer to each request that reached the port whole.
    std::map<size_t, QByteArray> firstDelivered;
};
