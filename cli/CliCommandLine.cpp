#include "cli/CliCommandLine.h"

#include "Version.h"
#include "cli/LogPattern.h"
#include "link/PortOption.h"
#include "publish/PublishOptions.h"

#include <QCommandLineParser>
#include <QLocale>

#include <array>

namespace {

const QString ProgramName = QStringLiteral("powerclamp-cli");

struct CommandRow {
    CliCommandLine::Command command;
    const char *name;
    const char *arguments; // shown in the usage line
    const char *brief;     // for the program's help
    const char *about;     // for the command's help
};

constexpr std::array<CommandRow, 5> Commands = {{
    {CliCommandLine::Command::Ports, "ports", "", "list the ports and where the meter answers",
     "Lists ports 1 to 16 as numbered in this run, their devices, and whether the meter\n"
     "answered the link check there. Exit status 0 when a meter answered, 1 when none did."},
    {CliCommandLine::Command::Read, "read", "[--json]", "print one realtime answer",
     "Prints one realtime answer of the meter on one line, as text or as a JSON object."},
    {CliCommandLine::Command::Watch, "watch", "[--json]", "print every realtime answer until interrupted",
     "Prints every realtime answer, one line each, a line when the link is lost and when it\n"
     "comes back, and a line when an alarm (--alarm) is raised or cleared, until interrupted."},
    {CliCommandLine::Command::Download, "download", "--output FILE", "save the meter's stored records",
     "Downloads the meter's stored records into FILE, in the format its name ends in:\n"
     ".txt the record table as text, .xls or .xlsx a workbook, .csv one row per reading;\n"
     "- writes that CSV on standard output. FILE is written only once the download is whole."},
    {CliCommandLine::Command::Log, "log", "[--csv PATTERN] [--mqtt HOST] [--metrics PORT]",
     "log every realtime answer to CSV files, MQTT, Prometheus",
     "Logs every realtime answer for as long as it runs: to a CSV file, to an MQTT broker,\n"
     "to a Prometheus endpoint, or to any of them together; at least one is needed.\n"
     "PATTERN may hold %Y %m %d %H (year, month, day, hour; %% for %); a new file begins\n"
     "when the name they give changes. A file that cannot be written does not end the log:\n"
     "the answers wait in memory until it can. The log never waits for the broker: while it\n"
     "is away the state messages wait in memory. An alarm (--alarm) raised or cleared is said\n"
     "on standard error and marked in the CSV. SIGHUP reopens the file; SIGTERM and SIGINT\n"
     "end the log."},
}};

const CommandRow *commandNamed(const QString &name) {
    for (const CommandRow &row : Commands)
        if (name == QLatin1String(row.name))
            return &row;
    return nullptr;
}

CliCommandLine failure(const QString &reason, const CommandRow *command = nullptr) {
    CliCommandLine result;
    result.action = CliCommandLine::Action::Fail;
    const QString helpCommand =
        command ? QStringLiteral("%1 %2 --help").arg(ProgramName, QLatin1String(command->name))
                : QStringLiteral("%1 --help").arg(ProgramName);
    result.text =
        QStringLiteral("%1: %2\nTry '%3' for more information.\n").arg(ProgramName, reason, helpCommand);
    return result;
}

CliCommandLine printing(CliCommandLine::Action action, const QString &text) {
    CliCommandLine result;
    result.action = action;
    result.text = text;
    return result;
}

// The hold time --alarm-hold gives, at most a day.
std::optional<qint64> alarmHoldMs(const QString &text) {
    constexpr double MostSeconds = 24 * 60 * 60;
    bool isNumber = false;
    const double seconds = QLocale::c().toDouble(text, &isNumber);
    if (!isNumber || !(seconds >= 0 && seconds <= MostSeconds))
        return std::nullopt;
    return qRound64(seconds * 1000);
}

// The limits the --alarm options set with the hold time of --alarm-hold, or why they cannot be
// watched.
QString readAlarmLimits(const QCommandLineParser &parser, const QCommandLineOption &alarm,
                        const QCommandLineOption &alarmHold, std::vector<AlarmLimit> &limits) {
    if (!parser.isSet(alarm))
        return parser.isSet(alarmHold) ? QStringLiteral("--alarm-hold needs --alarm") : QString();
    qint64 holdMs = DefaultAlarmHoldMs;
    if (parser.isSet(alarmHold)) {
        const std::optional<qint64> given = alarmHoldMs(parser.value(alarmHold));
        if (!given)
            return QStringLiteral("--alarm-hold wants a number of seconds from 0 to 86400, not '%1'")
                .arg(parser.value(alarmHold));
        holdMs = *given;
    }
    QString error;
    std::optional<std::vector<AlarmLimit>> read = alarmLimitsFromTexts(parser.values(alarm), holdMs, error);
    if (!read)
        return error;
    limits = std::move(*read);
    return {};
}

QString versionText() {
    return QStringLiteral("%1 %2\n").arg(ProgramName, QStringLiteral(POWERCLAMP_VERSION));
}

QString programHelp(const QCommandLineParser &parser) {
    QString text =
        QStringLiteral("Usage: %1 COMMAND [options]\n"
                       "Talks to a three-phase clamp power meter on a serial port, without a "
                       "display.\nWithout --port it finds the meter on ports 1 to 16 as the window "
                       "does.\n\nCommands:\n")
            .arg(ProgramName);
    for (const CommandRow &row : Commands)
        text +=
            QStringLiteral("  %1 %2\n")
                .arg(QStringLiteral("%1 %2").arg(QLatin1String(row.name), QLatin1String(row.arguments)), -24)
                .arg(QLatin1String(row.brief));
    const QString options = parser.helpText();
    text += QLatin1Char('\n') + options.mid(options.indexOf(QStringLiteral("Options:")));
    text += QStringLiteral("\n'%1 COMMAND --help' describes a command.\n").arg(ProgramName);
    return text;
}

QString commandHelp(const QCommandLineParser &parser, const CommandRow &command) {
    const QString options = parser.helpText();
    return QStringLiteral("Usage: %1 %2 [options]\n%3\n\n")
               .arg(ProgramName,
                    QStringLiteral("%1 %2")
                        .arg(QLatin1String(command.name), QLatin1String(command.arguments))
                        .trimmed(),
                    QLatin1String(command.about)) +
           options.mid(options.indexOf(QStringLiteral("Options:")));
}

} // namespace

CliCommandLine parseCliCommandLine(const QStringList &arguments) {
    QCommandLineParser parser;
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Display this help and exit."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Output version information and exit."));
    const QCommandLineOption port = portOption();
    parser.addOptions({help, version, port});

    // First the options before the command, and the command itself; the command's own options
    // come after it.
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    if (!parser.parse(arguments))
        return failure(parser.errorText());
    const QStringList positional = parser.positionalArguments();
    const CommandRow *command = positional.isEmpty() ? nullptr : commandNamed(positional.constFirst());
    if (!command) {
        if (parser.isSet(help))
            return printing(CliCommandLine::Action::PrintHelp, programHelp(parser));
        if (parser.isSet(version))
            return printing(CliCommandLine::Action::PrintVersion, versionText());
        return failure(positional.isEmpty()
                           ? QStringLiteral("no command given")
                           : QStringLiteral("unknown command '%1'").arg(positional.constFirst()));
    }

    const QCommandLineOption json(QStringLiteral("json"), QStringLiteral("Print JSON, one object a line."));
    const QCommandLineOption output({QStringLiteral("o"), QStringLiteral("output")},
                                    QStringLiteral("The file to write; its extension names the format."),
                                    QStringLiteral("FILE"));
    const QCommandLineOption alarm(
        QStringLiteral("alarm"),
        QStringLiteral("Alarm while ITEM is below (<) or above (>) the number, in the item's base unit: "
                       "'U1<207', 'I1>16'. May be given for several items and for both sides of one."),
        QStringLiteral("LIMIT"));
    const QCommandLineOption alarmHold(
        QStringLiteral("alarm-hold"),
        QStringLiteral("Raise an alarm once the value has stayed beyond its limit this long (default: 3)."),
        QStringLiteral("SECONDS"));
    const QCommandLineOption csv(QStringLiteral("csv"),
                                 QStringLiteral("The CSV file to log to; may hold %Y %m %d %H."),
                                 QStringLiteral("PATTERN"));
    switch (command->command) {
    case CliCommandLine::Command::Read:
        parser.addOption(json);
        break;
    case CliCommandLine::Command::Watch:
        parser.addOptions({json, alarm, alarmHold});
        break;
    case CliCommandLine::Command::Download:
        parser.addOption(output);
        break;
    case CliCommandLine::Command::Log:
        parser.addOptions({csv, alarm, alarmHold});
        addPublishOptions(parser);
        break;
    default:
        break;
    }
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsOptions);
    if (!parser.parse(arguments))
        return failure(parser.errorText(), command);
    if (parser.isSet(help))
        return printing(CliCommandLine::Action::PrintHelp, commandHelp(parser, *command));
    if (parser.isSet(version))
        return printing(CliCommandLine::Action::PrintVersion, versionText());
    if (parser.positionalArguments().size() > 1)
        return failure(QStringLiteral("unexpected argument '%1'").arg(parser.positionalArguments().at(1)),
                       command);

    CliCommandLine result;
    result.command = command->command;
    if (const QString error = addPortDevices(parser.values(port), result.portDevices); !error.isEmpty())
        return failure(error, command);
    result.json = (result.command == CliCommandLine::Command::Read ||
                   result.command == CliCommandLine::Command::Watch) &&
                  parser.isSet(json);
    if (result.command == CliCommandLine::Command::Watch || result.command == CliCommandLine::Command::Log)
        if (const QString error = readAlarmLimits(parser, alarm, alarmHold, result.alarmLimits);
            !error.isEmpty())
            return failure(error, command);
    if (result.command == CliCommandLine::Command::Download) {
        if (!parser.isSet(output))
            return failure(QStringLiteral("download needs --output FILE"), command);
        result.outputPath = parser.value(output);
        const std::optional<DownloadFormat> format = downloadFormatFor(result.outputPath);
        if (!format)
            return failure(
                QStringLiteral("--output wants a name ending in .txt, .xls, .xlsx or .csv, or - for "
                               "standard output, not '%1'")
                    .arg(result.outputPath),
                command);
        result.outputFormat = *format;
    }
    if (result.command == CliCommandLine::Command::Log) {
        if (parser.isSet(csv)) {
            result.csvPattern = parser.value(csv);
            if (const QString error = logPatternError(result.csvPattern); !error.isEmpty())
                return failure(error, command);
        }
        QString error;
        std::optional<PublishSettings> publish = publishSettings(parser, &error);
        if (!publish)
            return failure(error, command);
        if (publish->mqtt || publish->metrics)
            result.publish = std::move(publish);
        else if (parser.isSet(QStringLiteral("name")))
            return failure(QStringLiteral("--name needs --mqtt or --metrics"), command);
        if (!parser.isSet(csv) && !result.publish)
            return failure(QStringLiteral("log needs --csv PATTERN, --mqtt HOST or --metrics PORT"), command);
    }
    return result;
}
