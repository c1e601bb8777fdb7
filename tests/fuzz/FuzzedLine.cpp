#include "FuzzedLine.h"

#include "link/Protocol.h"

#include <algorithm>

FuzzedLine::FuzzedLine(FakeLinkPlatform &platform, ScriptedMeter &meter, int meterPort, int64_t quietMs)
    : platform(platform), meter(meter), meterPort(meterPort), quietMs(quietMs) {}

QByteArray FuzzedLine::rightAnswer(const ScriptedMeter &meter, const QByteArray &request, int blockRecords) {
    if (request.size() <= TypeOffset || uint8_t(request[TypeOffset]) != RequestType::Records)
        return meter.answerTo(request);
    const auto word = [&request](int offset) {
        return uint8_t(request[offset]) * 256 + uint8_t(request[offset + 1]);
    };
    const int first = word(PayloadOffset);
    const int count = blockRecords != 0 ? blockRecords : word(PayloadOffset + 2);
    QByteArray records;
    for (int number = first; number < first + count; ++number)
        records += ScriptedMeter::record(number);
    return ScriptedMeter::frame(RequestType::Records, records);
}

QByteArray FuzzedLine::withoutBlockMarkers(QByteArray bytes) {
    for (char &byte : bytes)
        if (uint8_t(byte) == ResponseStart || uint8_t(byte) == RequestType::Records)
            byte = char(uint8_t(byte) ^ 0x80);
    return bytes;
}

void FuzzedLine::queueAnswer(size_t requestsBack, int blockRecords) {
    if (requestsBack >= meter.heard.size())
        return;
    const size_t index = meter.heard.size() - 1 - requestsBack;
    const QByteArray answer = rightAnswer(meter, meter.heard[index].request, blockRecords);
    if (answer.isEmpty())
        return;
    lastAnswer = Segment{answer, 0, index};
    line.push_back(*lastAnswer);
}

void FuzzedLine::queueRepeat() {
    if (lastAnswer)
        line.push_back(*lastAnswer);
}

void FuzzedLine::queueOther(const QByteArray &bytes) {
    line.push_back(Segment{bytes, 0, std::nullopt});
}

void FuzzedLine::deliver(int count, int arrivingDuringInput, bool early) {
    FakeSerialControl &serial = *platform.serial;
    const bool reachesPort = serial.PortOpen() && serial.CommPort() == meterPort;
    QByteArray piece;
    while (!line.empty() && (count == 0 || piece.size() < count)) {
        Segment &segment = line.front();
        if (segment.sent == 0 && !mayStart(segment)) {
            line.pop_front();
            continue;
        }
        const qsizetype rest = segment.bytes.size() - segment.sent;
        const qsizetype taken = count == 0 ? rest : std::min<qsizetype>(rest, count - piece.size());
        piece += segment.bytes.mid(segment.sent, taken);
        segment.sent += taken;
        if (segment.sent < segment.bytes.size())
            continue;
        if (segment.answers && reachesPort)
            firstDelivered.emplace(*segment.answers, segment.bytes);
        line.pop_front();
    }
    if (piece.isEmpty() || !reachesPort)
        return;
    const qsizetype late = std::min<qsizetype>(arrivingDuringInput, piece.size());
    serial.arrivingDuringInput = piece.right(late);
    if (early)
        serial.raiseEvent(comEvReceive, piece.left(piece.size() - late));
    else
        serial.deliver(piece.left(piece.size() - late));
    // Late bytes that no receive event took land in the buffer now.
    QByteArray untaken;
    untaken.swap(serial.arrivingDuringInput);
    if (!untaken.isEmpty()) {
        serial.arrive(untaken);
        serial.notifyReceived();
    }
}

void FuzzedLine::linkLost() {
    if (!meter.heard.empty() && uint8_t(meter.heard.back().request[TypeOffset]) == RequestType::Records)
        lostAt[meter.heard.size() - 1] = platform.clock.now();
}

bool FuzzedLine::mayStart(const Segment &segment) const {
    if (!segment.answers)
        return true;
    const size_t asked = *segment.answers;
    const auto isBlockRequest = [this](size_t index) {
        return uint8_t(meter.heard[index].request[TypeOffset]) == RequestType::Records;
    };
    if (!isBlockRequest(asked))
        return true;
    const std::optional<size_t> lastBlock = lastBlockRequest();
    if (meter.heard[*lastBlock].request == meter.heard[asked].request)
        return true;
    const auto delivered = firstDelivered.find(asked);
    if (delivered != firstDelivered.end() && delivered->second == segment.bytes &&
        meter.heard.size() == asked + 2 && isBlockRequest(asked + 1))
        return true;
    const auto lost = lostAt.find(asked);
    return lost != lostAt.end() && platform.clock.now() < lost->second + quietMs;
}

std::optional<size_t> FuzzedLine::lastBlockRequest() const {
    for (size_t index = meter.heard.size(); index-- > 0;)
        if (uint8_t(meter.heard[index].request[TypeOffset]) == RequestType::Records)
            return index;
    return std::nullopt;
}
