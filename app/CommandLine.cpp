#include "app/CommandLine.h"
#include "Version.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QRegularExpression>

namespace {

constexpr int FirstPort = 1;
constexpr int LastPort = 16;
const QString ProgramName = QStringLiteral("powerclamp");

CommandLine failure(const QString &reason) {
    CommandLine result;
    result.action = CommandLine::Action::Fail;
    result.text = QStringLiteral("%1: %2\nTry '%1 --help' for more information.\n").arg(ProgramName, reason);
    return result;
}

// Takes "N=DEVICE" into portDevices; returns why the value cannot be used, or nothing.
QString addPortDevice(const QString &value, std::map<int, QString> &portDevices) {
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
    const auto earlier = portDevices.find(portNumber);
    if (earlier != portDevices.end() && earlier->second != device)
        return QStringLiteral("port %1 is given two devices, %2 and %3")
            .arg(portNumber)
            .arg(earlier->second, device);
    portDevices[portNumber] = device;
    return {};
}

// Qt names the program from the running application, or not at all before there is one: name it
// as it was started, the same way in both cases.
QString helpText(const QCommandLineParser &parser, const QString &startedAs) {
    QString text = parser.helpText();
    const qsizetype usageEnd = text.indexOf(QLatin1Char('\n'));
    return QStringLiteral("Usage: %1 [options]").arg(QFileInfo(startedAs).fileName()) + text.mid(usageEnd);
}

} // namespace

CommandLine parseCommandLine(const QStringList &arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Desktop companion for a three-phase clamp power meter on a serial port.\n"
                       "Finds the meter on ports 1 to 16, shows its live readings, downloads its stored\n"
                       "records, saves and prints them.\n"
                       "Off Windows, port N is the device in $POWERCLAMP_COMN when that is set, else the\n"
                       "N-th serial device by name."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Display this help and exit."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Output version information and exit."));
    const QCommandLineOption port(QStringLiteral("port"),
                                  QStringLiteral("Use DEVICE as port N (1 to 16) for this run, instead of "
                                                 "$POWERCLAMP_COMN or the system's list. Repeatable."),
                                  QStringLiteral("N=DEVICE"));
    parser.addOptions({help, version, port});

    const bool parsed = parser.parse(arguments);
    const QStringList strays = parser.positionalArguments();
    if (!parsed || !strays.isEmpty()) {
        CommandLine result =
            failure(parsed ? QStringLiteral("unexpected argument '%1'").arg(strays.constFirst())
                           : parser.errorText());
        // Qt's own options are unknown here, and their values look like stray arguments.
        result.mayBeForQt = !parser.unknownOptionNames().isEmpty() || !strays.isEmpty();
        return result;
    }

    CommandLine result;
    if (parser.isSet(help)) {
        result.action = CommandLine::Action::PrintHelp;
        result.text = helpText(parser, arguments.value(0, ProgramName));
        return result;
    }
    if (parser.isSet(version)) {
        result.action = CommandLine::Action::PrintVersion;
        result.text = QStringLiteral("%1 %2\n").arg(ProgramName, QStringLiteral(POWERCLAMP_VERSION));
        return result;
    }
    for (const QString &value : parser.values(port)) {
        const QString error = addPortDevice(value, result.portDevices);
        if (!error.isEmpty())
            return failure(error);
    }
    return result;
}

void numberPortsForThisRun(const std::map<int, QString> &portDevices) {
    for (const auto &[portNumber, device] : portDevices)
        qputenv(QByteArray("POWERCLAMP_COM" + QByteArray::number(portNumber)).constData(),
                device.toLocal8Bit());
}
