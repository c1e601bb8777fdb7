// Every request to the meter goes out here.
#include "link/MeterEngine.h"

#include "link/Requests.h"
#include "link/SerialControl.h"
#include "link/TimerControl.h"

void MeterEngine::SendCommand(uint8_t command, uint8_t type, int16_t start, int16_t count, uint8_t param) {
    const std::optional<Request> request = buildRequest(command, type, start, count, param);
    if (request) {
        state.RxExpectLen = request->answerLength;
        MSComm1->setRThreshold(request->answerLength);
        // Only queued here: the bytes leave when the transmit side is handed over below,
        // after the receive side has been emptied, so even an instant answer is kept.
        MSComm1->setOutput(request->frame);
    }
    // A new request replaces the wait for the previous one's answer.
    exchange.begin(request);
    state.LinkStatus = LinkAwaiting;
    MSComm1->setInBufferCount(0);
    MSComm1->setOutBufferCount(0);
    state.RxCount = 0;
    // Already running: the time-out keeps counting from the first unanswered request.
    Timer_timeout->setEnabled(true);
}
