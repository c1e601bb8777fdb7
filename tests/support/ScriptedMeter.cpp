#include "support/ScriptedMeter.h"

#include "support/FakeLinkPlatform.h"

#include "Answers.h"

namespace {

constexpr uint8_t ResponseStart = 0xB1;
constexpr int RecordBytes = 32;

} // namespace

ScriptedMeter::ScriptedMeter(FakeLinkPlatform &platform, int port) : platform(platform), port(port) {
    platform.serial->onOutput[port] = [this](const QByteArray &request) {
        heard.push_back({this->platform.clock.now(), request});
        if (fault == Fault::Silent)
            return;
        QByteArray bytes;
        if (const std::optional<QByteArray> wrong = wrongAnswer ? wrongAnswer(request) : std::nullopt) {
            bytes = *wrong;
        } else if (!scriptedAnswers.empty()) {
            bytes = scriptedAnswers.front();
            scriptedAnswers.pop_front();
        } else {
            bytes = answerTo(request);
        }
        if (!bytes.isEmpty())
            answer(bytes);
    };
}

ScriptedMeter::~ScriptedMeter() {
    platform.serial->onOutput.erase(port);
}

QByteArray ScriptedMeter::frame(uint8_t type, const QByteArray &payload, uint8_t status) {
    QByteArray bytes;
    bytes += char(ResponseStart);
    bytes += char(0x5A); // not examined by the program, but covered by the checksum
    bytes += char(status);
    bytes += char(payload.size() + 4);
    bytes += char(type);
    bytes += payload;
    uint8_t checksum = 0;
    for (qsizetype i = 1; i < bytes.size(); ++i)
        checksum ^= uint8_t(bytes[i]);
    bytes += char(checksum);
    return bytes;
}

QByteArray ScriptedMeter::record(int number) {
    QByteArray bytes;
    bytes +=
        char(0) + QByteArray(1, char(0)) + QByteArray::number(number).rightJustified(5, '0').prepend('R');
    while (bytes.size() < RecordBytes)
        bytes += char(0x20); // empty reading blocks
    return bytes;
}

QByteArray ScriptedMeter::answerTo(const QByteArray &request) const {
    const metersim::Bytes bytes(request.begin(), request.end());
    // The request being answered is the last one heard.
    std::size_t realtimeAnswers = 0;
    for (std::size_t index = 0; index + 1 < heard.size(); ++index)
        realtimeAnswers += heard[index].request[4] == char(6) ? 1 : 0;
    const metersim::MeterState meter{recordCount, eightByteCount, realtimeAnswers,
                                     double(platform.clock.now()) / 1000.0};
    const std::optional<metersim::Bytes> answer = metersim::answerFor(bytes, meter);
    return answer ? QByteArray(reinterpret_cast<const char *>(answer->data()), qsizetype(answer->size()))
                  : QByteArray();
}

std::vector<std::pair<int, int>> ScriptedMeter::recordRequests() const {
    std::vector<std::pair<int, int>> requests;
    for (const Heard &request : heard)
        if (uint8_t(request.request[4]) == 1)
            requests.emplace_back(uint8_t(request.request[5]) * 256 + uint8_t(request.request[6]),
                                  uint8_t(request.request[7]) * 256 + uint8_t(request.request[8]));
    return requests;
}

bool ScriptedMeter::listening() const {
    // An answer reaches the program only while its port is still the one that is open.
    return platform.serial->PortOpen() && platform.serial->CommPort() == port;
}

void ScriptedMeter::answer(const QByteArray &bytes) {
    FakeSerialControl *serial = platform.serial;
    if (fault == Fault::Paced) {
        for (qsizetype index = 0; index < bytes.size(); ++index)
            platform.clock.callAfter(answerDelayMs + int(index), [this, serial, byte = bytes.mid(index, 1)] {
                if (listening())
                    serial->deliver(byte);
            });
        return;
    }
    if (answerDelayMs == 0) {
        // An instant answer is in the buffer before the sending handler has even returned.
        serial->arrive(bytes);
        platform.clock.callAfter(0, [serial] { serial->notifyReceived(); });
        return;
    }
    platform.clock.callAfter(answerDelayMs, [this, serial, bytes] {
        if (listening())
            serial->deliver(bytes);
    });
}
