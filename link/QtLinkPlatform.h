#pragma once

#include "link/LinkPlatform.h"

#include <QElapsedTimer>

class PortNumbering;

// The engine's platform on Qt: precise QTimers, QSerialPort, the system's clocks.
class QtLinkPlatform : public virtual LinkPlatform {
public:
    // The serial controls number their ports with `ports`, which outlives the platform.
    explicit QtLinkPlatform(PortNumbering &ports) : ports(ports) {}

    std::unique_ptr<TimerControl> createTimer() override;
    std::unique_ptr<SerialControl> createSerialControl() override;
    QDateTime currentDateTime() const override { return QDateTime::currentDateTime(); }
    int64_t monotonicMs() const override { return sinceStart.elapsed(); }

private:
    PortNumbering &ports;
    QElapsedTimer sinceStart = [] {
        QElapsedTimer started;
        started.start();
        return started;
    }();
};
