#pragma once

#include <QByteArray>

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

class FakeLinkPlatform;

// A meter behind one port of the fake serial control. It answers each request it hears a few
// virtual milliseconds later, the way the instrument does, unless a fault says otherwise.
// Create it after the engine (or the Form1) whose port it listens on; other ports can have meters of their
// own.
class ScriptedMeter {
public:
    enum class Fault {
        None,
        Silent, // hears requests, answers nothing
        Paced,  // the answer arrives a byte a millisecond, as a 9600-baud line hands it over
    };

    ScriptedMeter(FakeLinkPlatform &platform, int port);
    ~ScriptedMeter();
    ScriptedMeter(const ScriptedMeter &) = delete;
    ScriptedMeter &operator=(const ScriptedMeter &) = delete;

    // A response frame: start byte, any byte, status 0, length, type, payload, checksum.
    static QByteArray frame(uint8_t type, const QByteArray &payload, uint8_t status = 0);
    // A record that is not the meter's own: record number i, its value reading "R" and five digits.
    static QByteArray record(int number);
    // The answer this meter gives to a request, faults aside: the simulator's meter model, with
    // this meter's records and count form. Empty for a request the meter does not know.
    QByteArray answerTo(const QByteArray &request) const;

    Fault fault = Fault::None;
    // 0: the answer is buffered while the request is still being handed over.
    int answerDelayMs = 5;
    int recordCount = 0;
    bool eightByteCount = true;
    // Answers sent instead of the computed one, first come first used.
    std::deque<QByteArray> scriptedAnswers;
    // Asked with every request before the rest: bytes to send instead of the right answer, or
    // nothing to answer rightly.
    std::function<std::optional<QByteArray>(const QByteArray &request)> wrongAnswer;

    struct Heard {
        int64_t atMs;
        QByteArray request;
    };
    std::vector<Heard> heard;
    // Type-1 requests heard, as (first record, count).
    std::vector<std::pair<int, int>> recordRequests() const;

private:
    bool listening() const;
    void answer(const QByteArray &bytes);

    FakeLinkPlatform &platform;
    int port;
};
