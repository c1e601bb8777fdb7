#include "link/PortOption.h"

#include <QRegularExpression>

namespace {

constexpr int FirstPort = 1;
constexpr int LastPort = 16;

QString addPortDevice(const QString &value, PortDevices &devices) {
    const qsizetype separator = value.indexOf(QLatin1Char('='));
    if (separator < 0)
        return QStringLiteral("--port wants N=DEVICE, for example --port 1=/dev/ttyUSB0, not '%1'")
            .arg(value);
    const QString number = value.left(separator);
    const QString device = value.mid(separator + 1);
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,3}$"));
    const int portNumber = digits.match(number).hasMatch() ? number.toInt() : 0;
    if (portNumber < FirstPort || portNumber > LastPort)
        return QStringLiteral("port number '%1' is not one of %2 to %3")
            .arg(number)
            .arg(FirstPort)
            .arg(LastPort);
    if (device.isEmpty())
        return QStringLiteral("--port %1= names no device").arg(portNumber);
    const auto earlier = devices.find(portNumber);
    if (earlier != devices.end() && earlier->second != device)
        return QStringLiteral("port %1 is given two devices, %2 and %3")
            .arg(portNumber)
            .arg(earlier->second, device);
    devices[portNumber] = device;
    return {};
}

} // namespace

QCommandLineOption portOption() {
    return QCommandLineOption(QStringLiteral("port"),
                              QStringLiteral("Use DEVICE as port N (1 to 16) for this run, instead of "
                                             "$POWERCLAMP_COMN or the system's list. Repeatable."),
                              QStringLiteral("N=DEVICE"));
}

QString addPortDevices(const QStringList &values, PortDevices &devices) {
    for (const QString &value : values) {
        const QString error = addPortDevice(value, devices);
        if (!error.isEmpty())
            return error;
    }
    return {};
}
