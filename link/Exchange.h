#pragma once

// One request and the wait for its answer, as a value: no port, no timer. The receive side
// hands it the bytes as they come and is told what they hold so far.

#include "link/Requests.h"
#include "link/Responses.h"

#include <QByteArray>

#include <cstdint>
#include <optional>

enum class ExchangeVerdict : uint8_t {
    NeedsMore, // the bytes are kept; look again once `missing` more have come
    Answer,    // the awaited answer is in
    NoAnswer,  // the bytes hold nothing for this request, and nothing more is on its way
};

struct ExchangeStep {
    ExchangeVerdict verdict = ExchangeVerdict::NeedsMore;
    int missing = 0;          // NeedsMore
    int answerStart = 0;      // Answer: where it lies in the bytes received
    int answerLength = 0;     // Answer: L
    int16_t recordsAsked = 0; // Answer to a record request: the records it asked for
    // The last whole frame looked at (Verified, BadStatus or BadChecksum); NoFrame when none was.
    FrameVerdict lastFrame = FrameVerdict::NoFrame;
};

class Exchange {
public:
    // The bytes a receive count holds: more than that at once is noise.
    static constexpr int MostBytesCounted = 255;

    // Waits for the answer to this request and drops the bytes of the wait before. Without a
    // request nothing is awaited; the last request's answer length still says how many bytes
    // make a whole answer.
    void begin(const std::optional<Request> &request);
    // The bytes one receive event took. The first `counted` of them were there when the event
    // came; the rest arrived while they were taken and are looked at only if the wait goes on.
    // After an answer, or bytes that held none, the next bytes start afresh.
    ExchangeStep take(const QByteArray &bytes, qsizetype counted);
    ExchangeStep take(const QByteArray &bytes) { return take(bytes, bytes.size()); }
    // The answer is no longer awaited: one that comes later is passed over like any other frame.
    void expire();

    // What the last bytes taken held.
    const ExchangeStep &lastStep() const { return step; }
    // The bytes taken since the wait began or started afresh, and how many of them were looked at.
    const QByteArray &received() const { return held; }
    int examined() const { return examinedCount; }

private:
    ExchangeStep judge() const;
    bool isAwaitedAnswer(const uint8_t *frame, int length) const;

    std::optional<Request> awaited;
    int answerLength = 0;
    QByteArray held;
    int examinedCount = 0;
    ExchangeStep step;
};
