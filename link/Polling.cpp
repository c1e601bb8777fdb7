// Polling the meter and the response time-out.
#include "link/MeterEngine.h"

#include "link/LinkPlatform.h"
#include "link/Protocol.h"
#include "link/TimerControl.h"

void MeterEngine::Timer_real_Timer() {
    if (!state.MeterFound)
        return;
    ComOpen(state.ComNum);
    // The Record view only keeps the link alive; readings are asked for where they are shown.
    const uint8_t request = state.RealtimeView ? RequestType::Realtime : RequestType::LinkCheck;
    SendCommand(Command::Standard, request, 0, 0, 0);
}

void MeterEngine::Timer_timeout_Timer() {
    Timer_timeout->setEnabled(false);
    state.LinkStatus = LinkTimedOut;
    // The request's answer is no longer awaited: one that comes late is not taken.
    exchange.expire();
    unsettledSince = platform.monotonicMs();
    emit linkLost();
    Timer_real->setEnabled(true);
    DownloadAbort();
}
