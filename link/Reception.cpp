// Taking the meter's answer off the port, checking it and handing it to its handler.
#include "app/Form1.h"

#include "app/TimerControl.h"
#include "link/Responses.h"
#include "link/SerialControl.h"

#include <QLabel>

#include <algorithm>
#include <limits>

namespace {

constexpr int MaxRxCount = std::numeric_limits<uint8_t>::max();

} // namespace

void Form1::MSComm1_OnComm() {
    if (MSComm1->CommEvent() != comEvReceive)
        return;
    const int buffered = MSComm1->InBufferCount();
    state.RxCount = uint8_t(std::min(buffered, MaxRxCount));
    state.RxBuf = MSComm1->Input();
    Lab_rtsta->setText(QStringLiteral("Connected"));
    if (buffered < state.RxExpectLen)
        return;
    MSComm1->setInBufferCount(0);
    MSComm1->setOutBufferCount(0);
    MSComm1->setPortOpen(false);
    // No answer of the meter is that long: a burst the count cannot hold is noise, left to
    // the time-out.
    if (buffered <= MaxRxCount)
        FrameHandle();
}

void Form1::FrameHandle() {
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

    const uint8_t type = state.RxFrame[4];
    // A block nobody is waiting for (one arriving after a time-out) would land on wrong rows.
    if (!isHandledAnswer(type, check.length) || (type == 1 && blockRecordsAwaited == 0))
        return;
    Timer_timeout->setEnabled(false);
    switch (type) {
    case 1:
        RecordBlockHandle(check.length);
        break;
    case 2:
        RecordCountHandle(check.length);
        break;
    case 3:
        state.Type3Value = state.RxFrame[5];
        break;
    case 5:
        if (state.RxFrame[5] == 0x55 && state.RxFrame[6] == 0xAA) {
            state.MeterFound = true;
            Lab_rtsta->setText(QStringLiteral("Connected"));
        }
        break;
    case 6:
        RealtimeDataHandle();
        break;
    case 0xF1:
        state.LinkStatus = LinkVerified;
        break;
    default: // type 4: nothing beyond stopping the time-out
        break;
    }
}
