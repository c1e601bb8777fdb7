#include "SimulatedMeter.h"

#include <csignal>

SimulatedMeter::SimulatedMeter(const QString &linkPath, const QStringList &options) {
    process.setProgram(QStringLiteral(METERSIM_PATH));
    process.setArguments(
        QStringList{QStringLiteral("--link"), linkPath, QStringLiteral("--exit-on-stdin-eof")} + options);
    process.start();
    started = process.waitForStarted(5000) && process.waitForReadyRead(5000) &&
              process.readLine().startsWith("/dev/");
}

SimulatedMeter::~SimulatedMeter() {
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(3000))
        process.kill();
}

void SimulatedMeter::signal(int number) {
    ::kill(pid_t(process.processId()), number);
}

PortDevices portsForTest(int meterPort, const QString &meterLink, const QString &nowhere) {
    PortDevices ports;
    for (int port = 1; port <= 16; ++port)
        ports[port] = port == meterPort ? meterLink : nowhere;
    return ports;
}
