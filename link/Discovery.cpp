// Opening the meter's port, and finding the port the meter answers on.
#include "app/Form1.h"

#include "app/TimerControl.h"
#include "link/Protocol.h"
#include "link/SerialControl.h"

#include <QLabel>

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

void Form1::ComOpen(int16_t portNumber) {
    if (MSComm1->PortOpen())
        MSComm1->setPortOpen(false);
    MSComm1->setCommPort(portNumber);
    const CommError error = MSComm1->setPortOpen(true);
    LabComsta->setText(portCaption(portNumber, error));
    LabComsta->setToolTip(MSComm1->errorText());
    refusedPorts.opened(portNumber, error, MSComm1->errorText());
}

void Form1::Timer_findcom_Timer() {
    if (state.MeterFound) {
        Timer_findcom->setEnabled(false);
        Lab_rtsta->setText(QStringLiteral("Connected"));
        // ComNum names the answering port since its answer. A download begun since then
        // starts polling and sets the commands when it ends.
        if (downloading)
            return;
        Timer_real->setEnabled(true);
        SetCommandStates(CommandMoment::MeterFound);
        return;
    }
    ReportRefusedPorts(refusedPorts.noticeAtRoundEnd(state.ComNum));
    ComOpen(state.ComNum);
    if (MSComm1->PortOpen())
        SendCommand(Command::Standard, RequestType::LinkCheck, 0, 0, 0);
    state.ComNum = state.ComNum >= LastPort ? FirstPort : int16_t(state.ComNum + 1);
}
