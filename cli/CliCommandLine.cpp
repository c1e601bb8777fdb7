#include "cli/CliCommandLine.h"

#include "Version.h"
#include "cli/LogPattern.h"
#include "link/PortOption.h"

#include <QCommandLineParser>

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
     "Prints every realtime answer, one line each, and a line when the link is lost and\n"
     "when it comes back, until interrupted."},
    {CliCommandLine::Command::Download, "download", "--output FILE", "save the meter's stored records",
     "Downloads the meter's stored records into FILE, in the format its name ends in:\n"
     ".txt the record table as text, .xls or .xlsx a workbook, .csv one row per reading;\n"
     "- writes that CSV on standard output. FILE is written only once the download is whole."},
    {CliCommandLine::Command::Log, "log", "--csv PATTERN", "log every realtime answer to CSV files",
     "Logs every realtime answer to a CSV file for as long as it runs. PATTERN may hold\n"
     "%Y %m %d %H (year, month, day, hour; %% for %); a new file begins when the name they\n"
     "give changes. A file that cannot be written does not end the log: the answers wait\n"
     "in memory until it can. SIGHUP reopens the file; SIGTERM and SIGINT end the log."},
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
    const QCommandLineOption csv(QStringLiteral("csv"),
                                 QStringLiteral("The CSV file to log to; may hold %Y %m %d %H."),
                                 QStringLiteral("PATTERN"));
    switch (command->command) {
    case CliCommandLine::Command::Read:
    case CliCommandLine::Command::Watch:
        parser.addOption(json);
        break;
    case CliCommandLine::Command::Download:
        parser.addOption(output);
        break;
    case CliCommandLine::Command::Log:
        parser.addOption(csv);
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
        if (!parser.isSet(csv))
            return failure(QStringLiteral("log needs --csv PATTERN"), command);
        result.csvPattern = parser.value(csv);
        if (const QString error = logPatternError(result.csvPattern); !error.isEmpty())
            return failure(error, command);
    }
    return result;
}
