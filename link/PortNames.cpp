#include "link/PortNames.h"

#include <QCollator>
#include <QElapsedTimer>
#include <QSerialPortInfo>

#include <algorithm>

namespace {

constexpr int FirstPort = 1;
constexpr int LastPort = 16;

} // namespace

QStringList inPortOrder(QStringList devices) {
    QCollator collator{QLocale(QLocale::English)};
    collator.setNumericMode(true);
    std::sort(devices.begin(), devices.end(), collator);
    return devices;
}

PortNumbering::PortNumbering(const PortDevices &given, PortTable::DeviceList listDevices,
                             PortTable::Milliseconds now)
    : given(given), table(std::move(listDevices), std::move(now), given) {}

QString PortNumbering::device(int number) {
    if (number < 1)
        return {};
#ifdef Q_OS_WIN
    const auto found = given.find(number);
    return found != given.end() ? found->second : QStringLiteral("COM%1").arg(number);
#else
    return table.device(number);
#endif
}

void PortNumbering::deviceMissing(int number) {
    if (given.find(number) == given.end())
        table.deviceMissing();
}

PortDevices portDevicesFromEnvironment() {
    PortDevices devices;
#ifndef Q_OS_WIN
    for (int number = FirstPort; number <= LastPort; ++number) {
        const QByteArray variable = "POWERCLAMP_COM" + QByteArray::number(number);
        // Set but empty: the port has no device, as before the list was consulted.
        if (qEnvironmentVariableIsSet(variable.constData()))
            devices[number] = qEnvironmentVariable(variable.constData());
    }
#endif
    return devices;
}

PortDevices givenPortDevices(const PortDevices &commandLine, const PortDevices &environment) {
    PortDevices devices = commandLine;
    for (const auto &[number, device] : environment)
        devices.insert({number, device}); // the command line's device stays
    return devices;
}

QStringList systemSerialPorts() {
    QStringList devices;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts())
        devices << info.systemLocation();
    return devices;
}

std::unique_ptr<PortNumbering> portNumberingForThisRun(const PortDevices &commandLine) {
    QElapsedTimer clock;
    clock.start();
    return std::make_unique<PortNumbering>(givenPortDevices(commandLine, portDevicesFromEnvironment()),
                                           systemSerialPorts, [clock] { return clock.elapsed(); });
}
