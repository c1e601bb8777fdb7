#pragma once

// What the end-to-end tests share: the program's Qt backends, and the meter simulator as a
// process behind a symbolic link.

#include "app/Platform.h"
#include "app/QtPlatform.h"
#include "link/PortNames.h"
#include "link/SerialControl.h"
#include "link/TimerControl.h"
#include "output/CommonDialog.h"
#include "output/PrinterControl.h"

#include <QProcess>
#include <QStringList>

// The Qt backends of the program, except that message boxes are recorded instead of shown
// and ending the program is left to the test.
class RealLinkPlatform final : public Platform {
public:
    // Every port a test can reach is in `ports`; the system's list is never read.
    explicit RealLinkPlatform(const PortDevices &ports)
        : numbering(
              ports, [] { return QStringList(); }, [] { return int64_t(0); }) {}

    std::unique_ptr<TimerControl> createTimer() override { return qt.createTimer(); }
    std::unique_ptr<SerialControl> createSerialControl() override { return qt.createSerialControl(); }
    std::unique_ptr<CommonDialog> createCommonDialog(QWidget *owner) override {
        return qt.createCommonDialog(owner);
    }
    std::unique_ptr<PrinterControl> createPrinter() override { return qt.createPrinter(); }
    QDateTime currentDateTime() const override { return qt.currentDateTime(); }
    int64_t monotonicMs() const override { return qt.monotonicMs(); }
    void MsgBox(QWidget *, const MessageBoxRequest &request) override { messages << request.text; }
    void Beep() override {}
    void End() override {}

    QStringList messages;

private:
    PortNumbering numbering;
    QtPlatform qt{numbering};
};

// The simulator, reachable through a symbolic link at linkPath.
class SimulatedMeter {
public:
    explicit SimulatedMeter(const QString &linkPath, const QStringList &options = {});
    ~SimulatedMeter();
    SimulatedMeter(const SimulatedMeter &) = delete;
    SimulatedMeter &operator=(const SimulatedMeter &) = delete;

    void signal(int number);

    bool started = false;

private:
    QProcess process;
};

// Points every port number discovery can reach at the meter's link or at nothing, so no test
// ever opens a real device.
PortDevices portsForTest(int meterPort, const QString &meterLink, const QString &nowhere);
