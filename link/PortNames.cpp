#include "link/PortNames.h"

#include <QCollator>
#include <QSerialPortInfo>

#include <algorithm>

QStringList inPortOrder(QStringList devices) {
    QCollator collator(QLocale(QLocale::English));
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
    const QByteArray variable = "POWERCLAMP_COM" + QByteArray::number(portNumber);
    if (qEnvironmentVariableIsSet(variable.constData()))
        return qEnvironmentVariable(variable.constData());

    QStringList devices;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts())
        devices << info.systemLocation();
    devices = inPortOrder(devices);
    return portNumber <= devices.size() ? devices.at(portNumber - 1) : QString();
#endif
}
