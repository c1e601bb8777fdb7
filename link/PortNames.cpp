#include "link/PortNames.h"

#include "link/PortTable.h"

#include <QCollator>
#include <QElapsedTimer>
#include <QSerialPortInfo>

#include <algorithm>

namespace {

#ifndef Q_OS_WIN
QByteArray overrideVariable(int portNumber) {
    return "POWERCLAMP_COM" + QByteArray::number(portNumber);
}

PortTable &sessionPorts() {
    static const QElapsedTimer clock = [] {
        QElapsedTimer started;
        started.start();
        return started;
    }();
    static PortTable table(
        [] {
            QStringList devices;
            for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts())
                devices << info.systemLocation();
            return devices;
        },
        [] { return clock.elapsed(); });
    return table;
}
#endif

} // namespace

QStringList inPortOrder(QStringList devices) {
    QCollator collator{QLocale(QLocale::English)};
    collator.setNumericMode(true);
    std::sort(devices.begin(), devices.end(), collator);
    return devices;
}

QString portDeviceName(int portNumber) {
    if (portNumber < 1)
        return {};
#ifdef Q_OS_WIN
    return QStringLiteral("COM%1").arg(portNumber);
#else
    const QByteArray variable = overrideVariable(portNumber);
    if (qEnvironmentVariableIsSet(variable.constData()))
        return qEnvironmentVariable(variable.constData());
    return sessionPorts().device(portNumber);
#endif
}

void portDeviceMissing(int portNumber) {
#ifdef Q_OS_WIN
    Q_UNUSED(portNumber);
#else
    if (!qEnvironmentVariableIsSet(overrideVariable(portNumber).constData()))
        sessionPorts().deviceMissing();
#endif
}
