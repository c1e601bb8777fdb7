#include "cli/ServiceReport.h"

#include "cli/ServiceNotifier.h"

ServiceReport::ServiceReport(ServiceNotifier &notifier, PrintLine printLine)
    : notifier(notifier), printLine(std::move(printLine)) {}

void ServiceReport::started(const QString &pattern) {
    notifier.ready(QStringLiteral("Logging to %1; looking for the meter").arg(pattern));
}

void ServiceReport::answered(int answeringPort) {
    port = answeringPort;
    if (marks.answerRegains())
        tell(QStringLiteral("Connected: the meter answers again on COM%1").arg(port));
    else if (!heard)
        tell(QStringLiteral("Connected: the meter answers on COM%1").arg(port));
    heard = true;
}

void ServiceReport::lost() {
    if (marks.lossIsNews())
        tell(QStringLiteral("Unconnected: the meter does not answer on COM%1").arg(port));
}

void ServiceReport::say(const QString &line) {
    tell(line);
}

void ServiceReport::stopping() {
    notifier.stopping();
}

void ServiceReport::tell(const QString &line) {
    printLine(line);
    notifier.status(line);
}
