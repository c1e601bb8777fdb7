#include "cli/ServiceNotifier.h"

#include <QString>

#ifdef POWERCLAMP_HAVE_LIBSYSTEMD
#include <systemd/sd-daemon.h>

#include <cstdint>
#include <limits>
#endif

namespace {

// One line: a line break would start another assignment (a file name may hold one).
QString statusAssignment(QString status) {
    status.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return QStringLiteral("STATUS=") + status;
}

#ifdef POWERCLAMP_HAVE_LIBSYSTEMD
// The keep-alive goes out at half the watchdog's interval, so one late tick does not trip it.
int keepAliveMilliseconds(uint64_t watchdogMicroseconds) {
    const uint64_t half = watchdogMicroseconds / 2000;
    if (half > static_cast<uint64_t>(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    return half == 0 ? 1 : static_cast<int>(half);
}
#endif

} // namespace

ServiceNotifier::ServiceNotifier(QObject *parent) : QObject(parent) {
#ifdef POWERCLAMP_HAVE_LIBSYSTEMD
    uint64_t watchdogMicroseconds = 0;
    if (sd_watchdog_enabled(0, &watchdogMicroseconds) > 0) {
        connect(&keepAliveTimer, &QTimer::timeout, this, [this] { send(QStringLiteral("WATCHDOG=1")); });
        keepAliveTimer.start(keepAliveMilliseconds(watchdogMicroseconds));
    }
#endif
}

void ServiceNotifier::ready(const QString &status) {
    send(QStringLiteral("READY=1\n") + statusAssignment(status));
}

void ServiceNotifier::status(const QString &status) {
    send(statusAssignment(status));
}

void ServiceNotifier::stopping() {
    send(QStringLiteral("STOPPING=1"));
}

void ServiceNotifier::send([[maybe_unused]] const QString &state) {
#ifdef POWERCLAMP_HAVE_LIBSYSTEMD
    sd_notify(0, state.toUtf8().constData());
#endif
}
