#include "link/RefusedPorts.h"

namespace {

constexpr int16_t FirstPort = 1;
constexpr int16_t LastPort = 16;

} // namespace

void RefusedPorts::opened(int16_t portNumber, CommError outcome, const QString &reason) {
    lastOpened = portNumber;
    if (outcome == CommAccessDenied)
        refusals << QStringLiteral("COM%1: %2").arg(portNumber).arg(reason);
}

QString RefusedPorts::noticeAtRoundEnd(int16_t nextPort) {
    if (nextPort != FirstPort || lastOpened != LastPort)
        return {};
    QString notice;
    if (!told && !refusals.isEmpty()) {
        notice =
            QStringLiteral("No meter answered on COM1 to COM16, and this user may not open some of them. %1")
                .arg(refusals.join(QLatin1Char(' ')));
        told = true;
    }
    refusals.clear();
    return notice;
}
