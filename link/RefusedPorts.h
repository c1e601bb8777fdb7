#pragma once

#include "link/SerialControl.h"

#include <QStringList>

#include <cstdint>

// Ports refused for permission while the meter is looked for. The port caption changes at every
// probe, too fast to read its tooltip, so a whole round over the ports that found no meter and was
// refused somewhere is told in one notice, once per run.
class RefusedPorts {
public:
    // Every port opened, with its outcome and the system's reason.
    void opened(int16_t portNumber, CommError outcome, const QString &reason);
    // At a probe tick that found no meter, before port `nextPort` is opened: the notice when the
    // round that just ended was refused somewhere and nothing was told yet; empty otherwise.
    QString noticeAtRoundEnd(int16_t nextPort);

private:
    QStringList refusals; // "COMn: reason", this round
    int16_t lastOpened = 0;
    bool told = false;
};
