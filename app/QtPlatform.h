#pragma once

#include "app/Platform.h"

#include <QElapsedTimer>

class PortNumbering;

class QtPlatform final : public Platform {
public:
    // The serial controls number their ports with `ports`, which outlives the platform.
    explicit QtPlatform(PortNumbering &ports) : ports(ports) {}

    std::unique_ptr<TimerControl> createTimer() override;
    std::unique_ptr<SerialControl> createSerialControl() override;
    std::unique_ptr<CommonDialog> createCommonDialog(QWidget *owner) override;
    std::unique_ptr<PrinterControl> createPrinter() override;
    QDateTime currentDateTime() const override { return QDateTime::currentDateTime(); }
    int64_t monotonicMs() const override { return sinceStart.elapsed(); }
    void MsgBox(QWidget *owner, const MessageBoxRequest &request) override;
    void Beep() override;
    void End() override;

private:
    PortNumbering &ports;
    QElapsedTimer sinceStart = [] {
        QElapsedTimer started;
        started.start();
        return started;
    }();
};
