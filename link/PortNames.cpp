#include "link/PortNames.h"

#include <QSerialPortInfo>
#include <QStringList>

#include <algorithm>

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
    std::sort(devices.begin(), devices.end());
    return portNumber <= devices.size() ? devices.at(portNumber - 1) : QString();
#endif
}
