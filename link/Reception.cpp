// Taking the meter's answer off the port, checking it and handing it to its handler.
#include "link/MeterEngine.h"

#include "link/LinkPlatform.h"
#include "link/Responses.h"
#include "link/SerialControl.h"
#include "link/TimerControl.h"

#include <algorithm>
#include <limits>

namespace {

constexpr int MaxRxCount = std::numeric_limits<uint8_t>::max();

} // namespace

void MeterEngine::MSComm1_OnComm() {
    if (MSComm1->CommEvent() != comEvReceive)
        return;
    if (unsettledSince)
        unsettledSince = platform.monotonicMs();
    // Earlier pieces of the answer count as received at this event too.
    int counted = int(answerPiece.size()) + MSComm1->InBufferCount();
    state.RxBuf = answerPiece + MSComm1->Input();
    answerPiece.clear();
    if (counted <= MaxRxCount && AwaitAnswerRest(counted))
        return;
    state.RxCount = uint8_t(std::min(counted, MaxRxCount));
    emit linkConnected();
    if (counted < state.RxExpectLen)
        return;
    MSComm1->setInBufferCount(0);
    MSComm1->setOutBufferCount(0);
    MSComm1->setPortOpen(false);
    // No answer of the meter is that long: a burst the count cannot hold is noise, left to
    // the time-out.
    if (counted <= MaxRxCount)
        FrameHandle();
}

bool MeterEngine::AwaitAnswerRest(int &counted) {
    const int examined = std::min<int>(counted, int(state.RxBuf.size()));
    const int missing =
        bytesStillAwaited(reinterpret_cast<const uint8_t *>(state.RxBuf.constData()), examined);
    const int takenBeyond = int(state.RxBuf.size()) - examined;
    if (missing == 0)
        return false;
    if (missing <= takenBeyond) {
        // The rest came while the bytes were being taken: the whole answer is in hand.
        counted = int(state.RxBuf.size());
        return false;
    }
    answerPiece = state.RxBuf;
    state.RxCount = uint8_t(examined);
    emit linkConnected();
    MSComm1->setRThreshold(int16_t(missing - takenBeyond));
    return true;
}

void MeterEngine::FrameHandle() {
    // Input may have handed over fewer bytes than were counted; look at no byte not received.
    const int counted = std::min<int>(state.RxCount, int(state.RxBuf.size()));
    const auto *received = reinterpret_cast<const uint8_t *>(state.RxBuf.constData());
    const FrameCheck check = checkFrame(received, counted);
    if (check.verdict == FrameVerdict::NoFrame)
        return;
    const int copied = std::min(counted - check.start, RxFrameSize);
    std::copy_n(received + check.start, copied, state.RxFrame.begin());

    if (check.verdict == FrameVerdict::BadChecksum)
        state.LinkStatus = LinkBadChecksum;
    if (check.verdict != FrameVerdict::Verified)
        return;
    state.LinkStatus = LinkVerified;

    // Only the answer the outstanding request asked for ends its wait. Any other frame (a
    // block after its request timed out, a count nobody asked for, the meter's own 0xF1
    // notices) is left alone, and the time-out reports a request that got no answer.
    const uint8_t type = state.RxFrame[TypeOffset];
    const bool noRecordsAsked = type == RecordBlockAnswer && awaitedAnswer.records == 0;
    if (type != awaitedAnswer.type || !isHandledAnswer(type, check.length) || noRecordsAsked)
        return;
    const int16_t recordsAsked = awaitedAnswer.records;
    awaitedAnswer = {};
    Timer_timeout->setEnabled(false);
    switch (type) {
    case RecordBlockAnswer:
        RecordBlockHandle(check.length, recordsAsked);
        break;
    case RecordCountAnswer:
        RecordCountHandle(check.length);
        break;
    case ValueAnswer:
        state.Type3Value = state.RxFrame[PayloadOffset];
        break;
    case LinkCheckAnswer:
        if (state.RxFrame[PayloadOffset] == LinkCheckFirst &&
            state.RxFrame[PayloadOffset + 1] == LinkCheckSecond) {
            // From this moment every request goes to the port that answered.
            if (!state.MeterFound)
                state.ComNum = MSComm1->CommPort();
            state.MeterFound = true;
            emit linkConnected();
        }
        break;
    case RealtimeAnswer:
        RealtimeDataHandle();
        break;
    default: // type 4: nothing beyond stopping the time-out
        break;
    }
}
