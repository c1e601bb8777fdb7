// Taking the meter's answer off the port, checking it and handing it to its handler.
#include "link/MeterEngine.h"

#include "link/LinkPlatform.h"
#include "link/SerialControl.h"
#include "link/TimerControl.h"

#include <algorithm>

void MeterEngine::MSComm1_OnComm() {
    if (MSComm1->CommEvent() != comEvReceive)
        return;
    if (unsettledSince)
        unsettledSince = platform.monotonicMs();
    const int counted = MSComm1->InBufferCount();
    const ExchangeStep step = exchange.take(MSComm1->Input(), counted);
    state.RxBuf = exchange.received();
    state.RxCount = uint8_t(std::min(exchange.examined(), Exchange::MostBytesCounted));
    emit linkConnected();
    if (step.verdict == ExchangeVerdict::NeedsMore) {
        MSComm1->setRThreshold(int16_t(step.missing));
        return;
    }
    MSComm1->setInBufferCount(0);
    MSComm1->setOutBufferCount(0);
    MSComm1->setPortOpen(false);
    FrameHandle();
}

void MeterEngine::FrameHandle() {
    const ExchangeStep &step = exchange.lastStep();
    if (step.lastFrame == FrameVerdict::BadChecksum)
        state.LinkStatus = LinkBadChecksum;
    if (step.lastFrame == FrameVerdict::Verified)
        state.LinkStatus = LinkVerified;
    // Only the answer the outstanding request asked for ends its wait. Without it (a block
    // after its request timed out, a count nobody asked for, the meter's own notices) the
    // time-out reports a request that got no answer.
    if (step.verdict != ExchangeVerdict::Answer)
        return;
    const auto *answer =
        reinterpret_cast<const uint8_t *>(exchange.received().constData()) + step.answerStart;
    std::copy_n(answer, step.answerLength, state.RxFrame.begin());
    Timer_timeout->setEnabled(false);
    switch (state.RxFrame[TypeOffset]) {
    case RequestType::Records:
        RecordBlockHandle(step.answerLength, step.recordsAsked);
        break;
    case RequestType::RecordCount:
        RecordCountHandle(step.answerLength);
        break;
    case RequestType::Value:
        state.Type3Value = state.RxFrame[PayloadOffset];
        break;
    case RequestType::LinkCheck:
        if (state.RxFrame[PayloadOffset] == LinkCheckFirst &&
            state.RxFrame[PayloadOffset + 1] == LinkCheckSecond) {
            // From this moment every request goes to the port that answered.
            if (!state.MeterFound)
                state.ComNum = MSComm1->CommPort();
            state.MeterFound = true;
            emit linkConnected();
        }
        break;
    case RequestType::Realtime:
        RealtimeDataHandle();
        break;
    default: // type 4: nothing beyond stopping the time-out
        break;
    }
}
