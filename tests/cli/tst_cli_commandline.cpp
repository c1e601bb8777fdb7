// powerclamp-cli's command line: each command with its options, help and version anywhere, and
// every way a command line can be unusable, each with its reason and the hint that fits.
#include "Version.h"
#include "cli/CliCommandLine.h"

#include <QTest>

using Action = CliCommandLine::Action;
using Command = CliCommandLine::Command;
Q_DECLARE_METATYPE(Action)
Q_DECLARE_METATYPE(Command)
Q_DECLARE_METATYPE(DownloadFormat)
Q_DECLARE_METATYPE(PortDevices)

class CliCommandLineTest : public QObject {
    Q_OBJECT
private slots:
    void commands_data();
    void commands();
    void helpAndVersion_data();
    void helpAndVersion();
    void unusable_data();
    void unusable();
};

void CliCommandLineTest::commands_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<Command>("command");
    QTest::addColumn<bool>("json");
    QTest::addColumn<QString>("output");
    QTest::addColumn<DownloadFormat>("format");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<PortDevices>("ports");

    const auto text = DownloadFormat::RecordText;
    QTest::newRow("ports") << QStringList{"ports"} << Command::Ports << false << "" << text << ""
                           << PortDevices{};
    QTest::newRow("read") << QStringList{"read"} << Command::Read << false << "" << text << ""
                          << PortDevices{};
    QTest::newRow("read --json, a port before the command")
        << QStringList{"--port", "2=/tmp/meter", "read", "--json"} << Command::Read << true << "" << text
        << "" << PortDevices{{2, "/tmp/meter"}};
    QTest::newRow("watch --json, ports after the command")
        << QStringList{"watch", "--port=1=/dev/ttyUSB0", "--json", "--port", "16=/tmp/m"} << Command::Watch
        << true << "" << text << "" << PortDevices{{1, "/dev/ttyUSB0"}, {16, "/tmp/m"}};
    QTest::newRow("download .txt") << QStringList{"download", "--output", "records.txt"} << Command::Download
                                   << false << "records.txt" << text << "" << PortDevices{};
    QTest::newRow("download -o .XLS")
        << QStringList{"download", "-o", "/tmp/Records.XLS"} << Command::Download << false
        << "/tmp/Records.XLS" << DownloadFormat::Workbook << "" << PortDevices{};
    QTest::newRow("download .xlsx") << QStringList{"download", "--output=r.xlsx"} << Command::Download
                                    << false << "r.xlsx" << DownloadFormat::Workbook << "" << PortDevices{};
    QTest::newRow("download .csv") << QStringList{"download", "--output", "r.csv"} << Command::Download
                                   << false << "r.csv" << DownloadFormat::Csv << "" << PortDevices{};
    QTest::newRow("download -") << QStringList{"download", "--output", "-"} << Command::Download << false
                                << "-" << DownloadFormat::CsvOnStandardOutput << "" << PortDevices{};
    QTest::newRow("log with date fields")
        << QStringList{"log", "--csv", "/var/lib/powerclamp/readings-%Y-%m-%d.csv", "--port",
                       "1=/dev/ttyUSB0"}
        << Command::Log << false << "" << text << "/var/lib/powerclamp/readings-%Y-%m-%d.csv"
        << PortDevices{{1, "/dev/ttyUSB0"}};
}

void CliCommandLineTest::commands() {
    QFETCH(QStringList, arguments);
    QFETCH(Command, command);
    QFETCH(bool, json);
    QFETCH(QString, output);
    QFETCH(DownloadFormat, format);
    QFETCH(QString, pattern);
    QFETCH(PortDevices, ports);

    const CliCommandLine parsed = parseCliCommandLine(QStringList{"powerclamp-cli"} + arguments);
    QVERIFY2(parsed.action == Action::Run, qPrintable(parsed.text));
    QCOMPARE(parsed.command, command);
    QCOMPARE(parsed.json, json);
    QCOMPARE(parsed.outputPath, output);
    if (command == Command::Download)
        QCOMPARE(parsed.outputFormat, format);
    QCOMPARE(parsed.csvPattern, pattern);
    QCOMPARE(parsed.portDevices, ports);
}

void CliCommandLineTest::helpAndVersion_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<Action>("action");
    QTest::addColumn<QStringList>("textHolds");

    const QStringList commands{"ports",
                               "read [--json]",
                               "watch [--json]",
                               "download --output FILE",
                               "log --csv PATTERN",
                               "--port <N=DEVICE>"};
    QTest::newRow("--help") << QStringList{"--help"} << Action::PrintHelp
                            << (QStringList{"Usage: powerclamp-cli COMMAND [options]"} + commands);
    QTest::newRow("-h") << QStringList{"-h"} << Action::PrintHelp << commands;
    const QString version = QStringLiteral("powerclamp-cli " POWERCLAMP_VERSION "\n");
    QTest::newRow("--version") << QStringList{"--version"} << Action::PrintVersion << QStringList{version};
    QTest::newRow("-v") << QStringList{"-v"} << Action::PrintVersion << QStringList{version};

    const struct {
        const char *command;
        QStringList holds;
    } commandHelp[] = {
        {"ports", {"Usage: powerclamp-cli ports [options]", "Exit status 0 when a meter answered"}},
        {"read", {"Usage: powerclamp-cli read [--json] [options]", "--json"}},
        {"watch", {"Usage: powerclamp-cli watch [--json] [options]", "until interrupted"}},
        {"download",
         {"Usage: powerclamp-cli download --output FILE [options]", "-o, --output <FILE>", ".xlsx"}},
        {"log", {"Usage: powerclamp-cli log --csv PATTERN [options]", "--csv <PATTERN>", "SIGHUP"}},
    };
    for (const auto &row : commandHelp) {
        QTest::addRow("%s --help", row.command)
            << QStringList{row.command, "--help"} << Action::PrintHelp << (row.holds + QStringList{"--port"});
        QTest::addRow("--help %s", row.command)
            << QStringList{"--help", row.command} << Action::PrintHelp << row.holds;
        QTest::addRow("%s --version", row.command)
            << QStringList{row.command, "--version"} << Action::PrintVersion << QStringList{version};
    }
    QTest::newRow("help wins over a bad value")
        << QStringList{"download", "--output", "x.pdf", "--port", "0=/x", "-h"} << Action::PrintHelp
        << QStringList{"download --output FILE"};
}

void CliCommandLineTest::helpAndVersion() {
    QFETCH(QStringList, arguments);
    QFETCH(Action, action);
    QFETCH(QStringList, textHolds);
    const CliCommandLine parsed = parseCliCommandLine(QStringList{"/usr/bin/powerclamp-cli"} + arguments);
    QCOMPARE(parsed.action, action);
    for (const QString &part : textHolds)
        QVERIFY2(parsed.text.contains(part), qPrintable(part + QStringLiteral(" not in:\n") + parsed.text));
}

void CliCommandLineTest::unusable_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<QString>("hint"); // the help to try: the command's when it is known

    const QString program = QStringLiteral("powerclamp-cli --help");
    QTest::newRow("nothing") << QStringList{} << "no command given" << program;
    QTest::newRow("unknown command") << QStringList{"record"} << "unknown command 'record'" << program;
    QTest::newRow("option only") << QStringList{"--port", "1=/x"} << "no command given" << program;
    QTest::newRow("unknown option before the command")
        << QStringList{"--json", "read"} << "Unknown option 'json'." << program;
    QTest::newRow("an option of another command")
        << QStringList{"ports", "--json"} << "Unknown option 'json'."
        << "powerclamp-cli ports --help";
    QTest::newRow("stray argument") << QStringList{"read", "now"} << "unexpected argument 'now'"
                                    << "powerclamp-cli read --help";
    QTest::newRow("bad port") << QStringList{"watch", "--port", "17=/dev/ttyUSB0"}
                              << "port number '17' is not one of 1 to 16"
                              << "powerclamp-cli watch --help";
    QTest::newRow("one port, two devices") << QStringList{"ports", "--port", "1=/tmp/m", "--port", "1=/tmp/n"}
                                           << "port 1 is given two devices, /tmp/m and /tmp/n"
                                           << "powerclamp-cli ports --help";
    QTest::newRow("download without output") << QStringList{"download"} << "download needs --output FILE"
                                             << "powerclamp-cli download --help";
    QTest::newRow("--output without value")
        << QStringList{"download", "--output"} << "Missing value after '--output'."
        << "powerclamp-cli download --help";
    QTest::newRow("unknown output format")
        << QStringList{"download", "--output", "records.pdf"}
        << "--output wants a name ending in .txt, .xls, .xlsx or .csv, or - for standard output, not "
           "'records.pdf'"
        << "powerclamp-cli download --help";
    QTest::newRow("an extension alone")
        << QStringList{"download", "--output", ".csv"}
        << "--output wants a name ending in .txt, .xls, .xlsx or .csv, or - for standard output, not '.csv'"
        << "powerclamp-cli download --help";
    QTest::newRow("log without csv") << QStringList{"log"} << "log needs --csv PATTERN"
                                     << "powerclamp-cli log --help";
    QTest::newRow("log, empty pattern") << QStringList{"log", "--csv", ""} << "--csv names no file"
                                        << "powerclamp-cli log --help";
    QTest::newRow("log, unknown field") << QStringList{"log", "--csv", "log-%M.csv"}
                                        << "%M in the pattern 'log-%M.csv' is not one of %Y %m %d %H %%"
                                        << "powerclamp-cli log --help";
    QTest::newRow("log, lone percent")
        << QStringList{"log", "--csv", "log%"} << "the pattern 'log%' ends in a lone %"
        << "powerclamp-cli log --help";
    QTest::newRow("log, a folder") << QStringList{"log", "--csv", "/var/lib/powerclamp/"}
                                   << "the pattern '/var/lib/powerclamp/' names a folder, not a file"
                                   << "powerclamp-cli log --help";
}

void CliCommandLineTest::unusable() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, reason);
    QFETCH(QString, hint);
    const CliCommandLine parsed = parseCliCommandLine(QStringList{"powerclamp-cli"} + arguments);
    QCOMPARE(parsed.action, Action::Fail);
    QCOMPARE(parsed.text,
             QStringLiteral("powerclamp-cli: %1\nTry '%2' for more information.\n").arg(reason, hint));
}

QTEST_APPLESS_MAIN(CliCommandLineTest)
#include "tst_cli_commandline.moc"
