// Opening the meter's port, and finding the port the meter answers on.
#include "link/MeterEngine.h"

#include "link/Protocol.h"
#include "link/SerialControl.h"
#include "link/TimerControl.h"

namespace {

constexpr int16_t FirstPort = 1;
constexpr int16_t LastPort = 16;

QString portCaption(int16_t portNumber, CommError error) {
    const bool unviable =
        error == CommInvalidPort || error == CommPortAlreadyOpen || error == CommAccessDenied;
    return QStringLiteral("COM%1%2")
        .arg(portNumber)
        .arg(unviable ? QStringLiteral("Unviable") : QStringLiteral(" Open"));
}

} // namespace

void MeterEngine::ComOpen(int16_t portNumber) {
    if (MSComm1->PortOpen())
        MSComm1->setPortOpen(false);
    MSComm1->setCommPort(portNumber);
    const CommError error = MSComm1->setPortOpen(true);
    emit portStatus(portCaption(portNumber, error), MSComm1->errorText());
    refusedPorts.opened(portNumber, error, MSComm1->errorText());
}

void MeterEngine::Timer_findcom_Timer() {
    if (state.MeterFound) {
        Timer_findcom->setEnabled(false);
        emit linkConnected();
        // ComNum names the answering port since its answer. A download begun since then
        // starts polling when it ends.
        if (!downloadUnderWay)
            Timer_real->setEnabled(true);
        emit discoveryEnded();
        return;
    }
    if (const QString notice = refusedPorts.noticeAtRoundEnd(state.ComNum); !notice.isEmpty())
        emit portsRefused(notice);
    ComOpen(state.ComNum);
    if (MSComm1->PortOpen())
        SendCommand(Command::Standard, RequestType::LinkCheck, 0, 0, 0);
    state.ComNum = state.ComNum >= LastPort ? FirstPort : int16_t(state.ComNum + 1);
}
