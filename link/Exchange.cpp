#include "link/Exchange.h"

#include <algorithm>

void Exchange::begin(const std::optional<Request> &request) {
    awaited = request;
    if (request)
        answerLength = request->answerLength;
    held.clear();
    examinedCount = 0;
    step = {};
}

ExchangeStep Exchange::take(const QByteArray &bytes, qsizetype counted) {
    if (step.verdict != ExchangeVerdict::NeedsMore) {
        held.clear();
        examinedCount = 0;
    }
    held += bytes;
    examinedCount += int(std::clamp<qsizetype>(counted, 0, bytes.size()));
    step = judge();
    if (step.verdict == ExchangeVerdict::NeedsMore && examinedCount < held.size()) {
        examinedCount = int(held.size());
        step = judge();
    }
    if (step.verdict == ExchangeVerdict::Answer)
        awaited.reset();
    return step;
}

void Exchange::expire() {
    awaited.reset();
}

ExchangeStep Exchange::judge() const {
    ExchangeStep judged;
    if (examinedCount > MostBytesCounted) {
        judged.verdict = ExchangeVerdict::NoAnswer;
        return judged;
    }
    const auto *bytes = reinterpret_cast<const uint8_t *>(held.constData());
    int frameMissing = 0; // the least any begun frame still needs; 0 while none has begun
    for (int from = 0; from < examinedCount;) {
        const FrameCheck check = checkFrame(bytes + from, examinedCount - from);
        if (check.verdict == FrameVerdict::NoFrame)
            break;
        const int start = from + check.start;
        if (check.verdict == FrameVerdict::Incomplete) {
            frameMissing = frameMissing == 0 ? check.missing : std::min(frameMissing, check.missing);
        } else if (check.verdict >= FrameVerdict::BadStatus) {
            judged.lastFrame = check.verdict;
        }
        if (check.verdict == FrameVerdict::Verified && isAwaitedAnswer(bytes + start, check.length)) {
            judged.verdict = ExchangeVerdict::Answer;
            judged.answerStart = start;
            judged.answerLength = check.length;
            judged.recordsAsked = awaited->records;
            return judged;
        }
        // A frame that is not the answer is passed over whole; a start byte that begins no
        // whole frame may be a stray byte, so the search goes on right after it.
        from = start + (check.verdict == FrameVerdict::Verified ? check.length : 1);
    }
    if (frameMissing > 0) {
        judged.missing = frameMissing;
    } else if (examinedCount < answerLength) {
        judged.missing = answerLength - examinedCount;
    } else {
        judged.verdict = ExchangeVerdict::NoAnswer;
    }
    return judged;
}

bool Exchange::isAwaitedAnswer(const uint8_t *frame, int length) const {
    if (!awaited || frame[TypeOffset] != awaited->type)
        return false;
    // A record request for no records takes no block.
    if (awaited->type == RequestType::Records && awaited->records == 0)
        return false;
    const ExchangeKind *kind = exchangeKind(awaited->type);
    return kind && kind->answerFits(length);
}
