#include "app/CommandLine.h"
#include "Version.h"
#include "link/PortOption.h"

#include <QCommandLineParser>
#include <QFileInfo>

namespace {

const QString ProgramName = QStringLiteral("powerclamp");

CommandLine failure(const QString &reason) {
    CommandLine result;
    result.action = CommandLine::Action::Fail;
    result.text = QStringLiteral("%1: %2\nTry '%1 --help' for more information.\n").arg(ProgramName, reason);
    return result;
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
                       "Off Windows, port N is the device given with --port N=DEVICE, else the one in\n"
                       "$POWERCLAMP_COMN, else a serial device of the system's list that no other port\n"
                       "names, numbered by name into the free numbers."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Display this help and exit."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Output version information and exit."));
    const QCommandLineOption port = portOption();
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
    if (const QString error = addPortDevices(parser.values(port), result.portDevices); !error.isEmpty())
        return failure(error);
    return result;
}
