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
    void logOutputs_data();
    void logOutputs();
    void alarmLimits_data();
    void alarmLimits();
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

// Each of the log's outputs alone and together; the network's settings only with --mqtt or --metrics.
void CliCommandLineTest::logOutputs_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("broker");  // HOST:PORT, empty without MQTT
    QTest::addColumn<int>("metricsPort"); // -1 without metrics
    QTest::addColumn<QString>("meterName");

    QTest::newRow("csv alone") << QStringList{"--csv", "r.csv"} << "r.csv"
                               << "" << -1 << "";
    QTest::newRow("mqtt alone") << QStringList{"--mqtt", "broker.local"} << ""
                                << "broker.local:1883" << -1 << "powerclamp";
    QTest::newRow("metrics alone, named") << QStringList{"--metrics", "9101", "--name", "bench"} << ""
                                          << "" << 9101 << "bench";
    QTest::newRow("all three") << QStringList{"--csv",     "r-%Y.csv",     "--mqtt", "[::1]:8883",
                                              "--metrics", "0.0.0.0:9100", "--name", "b_1"}
                               << "r-%Y.csv"
                               << "::1:8883" << 9100 << "b_1";
}

void CliCommandLineTest::logOutputs() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, pattern);
    QFETCH(QString, broker);
    QFETCH(int, metricsPort);
    QFETCH(QString, meterName);

    const CliCommandLine parsed = parseCliCommandLine(QStringList{"powerclamp-cli", "log"} + arguments);
    QVERIFY2(parsed.action == Action::Run, qPrintable(parsed.text));
    QCOMPARE(parsed.csvPattern, pattern);
    QCOMPARE(parsed.publish.has_value(), !meterName.isEmpty());
    if (!parsed.publish)
        return;
    QCOMPARE(parsed.publish->meterName, meterName);
    QCOMPARE(parsed.publish->mqtt
                 ? parsed.publish->mqtt->host + u':' + QString::number(parsed.publish->mqtt->port)
                 : QString(),
             broker);
    QCOMPARE(parsed.publish->metrics ? int(parsed.publish->metrics->port) : -1, metricsPort);
}

// Limits as "item lower upper holdMs", one per item in the order they first appear.
void CliCommandLineTest::alarmLimits_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("limits");

    QTest::newRow("none") << QStringList{"watch"} << QStringList{};
    QTest::newRow("watch, two items, the default hold")
        << QStringList{"watch", "--alarm", "U1<207", "--alarm", "I1>16"}
        << QStringList{"U1 207 - 3000", "I1 - 16 3000"};
    QTest::newRow("log, both sides of one item, a hold in tenths")
        << QStringList{"log",          "--csv", "r.csv",   "--alarm=U1 > 253",
                       "--alarm-hold", "0.5",   "--alarm", "U1<207"}
        << QStringList{"U1 207 253 500"};
    QTest::newRow("no hold") << QStringList{"log", "--mqtt", "b", "--alarm", "PF<0.85", "--alarm-hold", "0"}
                             << QStringList{"PF 0.85 - 0"};
}

void CliCommandLineTest::alarmLimits() {
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, limits);
    const CliCommandLine parsed = parseCliCommandLine(QStringList{"powerclamp-cli"} + arguments);
    QVERIFY2(parsed.action == Action::Run, qPrintable(parsed.text));
    const auto side = [](const std::optional<double> &value) {
        return value ? QString::number(*value) : QStringLiteral("-");
    };
    QStringList read;
    for (const AlarmLimit &limit : parsed.alarmLimits)
        read << QStringLiteral("%1 %2 %3 %4")
                    .arg(limit.item, side(limit.lower), side(limit.upper))
                    .arg(limit.holdMs);
    QCOMPARE(read, limits);
}

void CliCommandLineTest::helpAndVersion_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<Action>("action");
    QTest::addColumn<QStringList>("textHolds");

    const QStringList commands{"ports",
                               "read [--json]",
                               "watch [--json]",
                               "download --output FILE",
                               "log [--csv PATTERN] [--mqtt HOST] [--metrics PORT]",
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
        {"watch",
         {"Usage: powerclamp-cli watch [--json] [options]", "until interrupted", "--alarm <LIMIT>",
          "--alarm-hold <SECONDS>"}},
        {"download",
         {"Usage: powerclamp-cli download --output FILE [options]", "-o, --output <FILE>", ".xlsx"}},
        {"log",
         {"Usage: powerclamp-cli log [--csv PATTERN] [--mqtt HOST] [--metrics PORT] [options]",
          "--csv <PATTERN>", "--mqtt <HOST[:PORT]>", "--mqtt-password-file <FILE>", "--ha-prefix <PREFIX>",
          "--metrics <[ADDRESS:]PORT>", "--alarm <LIMIT>", "--alarm-hold <SECONDS>", "SIGHUP"}},
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
    const QString log = QStringLiteral("powerclamp-cli log --help");
    QTest::newRow("log without an output")
        << QStringList{"log"} << "log needs --csv PATTERN, --mqtt HOST or --metrics PORT" << log;
    QTest::newRow("log, a name for no network output")
        << QStringList{"log", "--csv", "r.csv", "--name", "bench"} << "--name needs --mqtt or --metrics"
        << log;
    QTest::newRow("log, a broker option without --mqtt")
        << QStringList{"log", "--metrics", "9101", "--mqtt-prefix", "home"} << "--mqtt-prefix needs --mqtt"
        << log;
    QTest::newRow("log, a broker without a host")
        << QStringList{"log", "--mqtt", ":1883"}
        << "--mqtt wants HOST[:PORT] with a port from 1 to 65535, for example --mqtt broker.local:1883, not "
           "':1883'"
        << log;
    QTest::newRow("log, a name with a blank")
        << QStringList{"log", "--mqtt", "broker", "--name", "my meter"}
        << "--name 'my meter' may hold only letters, digits, '_' and '-'" << log;
    QTest::newRow("log, a password file that cannot be read")
        << QStringList{"log",
                       "--mqtt",
                       "broker",
                       "--mqtt-user",
                       "u",
                       "--mqtt-password-file",
                       "/nonexistent/pw"}
        << "cannot read the MQTT password file /nonexistent/pw: No such file or directory" << log;
    QTest::newRow("log, a metrics port out of range")
        << QStringList{"log", "--csv", "r.csv", "--metrics", "65536"}
        << "--metrics wants [ADDRESS:]PORT with an IP address and a port from 1 to 65535, for example "
           "--metrics 9100 or --metrics 0.0.0.0:9100, not '65536'"
        << log;
    QTest::newRow("an item the meter does not have")
        << QStringList{"watch", "--alarm", "X9<3"} << "'X9<3': X9 is not an item of the meter."
        << "powerclamp-cli watch --help";
    QTest::newRow("a limit without a side")
        << QStringList{"log", "--csv", "r.csv", "--alarm", "U1=207"}
        << "'U1=207' is not a limit: write an item, < or > and a number in the item's base unit, as "
           "'U1<207' or 'I1>16'."
        << log;
    QTest::newRow("one side twice") << QStringList{"watch", "--alarm", "U1<207", "--alarm", "U1<200"}
                                    << "'U1<207' and 'U1<200' both set the lower limit of U1."
                                    << "powerclamp-cli watch --help";
    QTest::newRow("sides that contradict each other")
        << QStringList{"watch", "--alarm", "U1<250", "--alarm", "U1>240"}
        << "U1: the lower limit 250 is not below the upper limit 240."
        << "powerclamp-cli watch --help";
    QTest::newRow("a time has no limit")
        << QStringList{"watch", "--alarm", "TIME>5"} << "'TIME>5': TIME readings are times, not numbers."
        << "powerclamp-cli watch --help";
    QTest::newRow("a hold without an alarm")
        << QStringList{"watch", "--alarm-hold", "5"} << "--alarm-hold needs --alarm"
        << "powerclamp-cli watch --help";
    QTest::newRow("a negative hold") << QStringList{"watch", "--alarm", "U1<207", "--alarm-hold", "-1"}
                                     << "--alarm-hold wants a number of seconds from 0 to 86400, not '-1'"
                                     << "powerclamp-cli watch --help";
    QTest::newRow("a hold that is no number")
        << QStringList{"log", "--csv", "r.csv", "--alarm", "U1<207", "--alarm-hold", "3s"}
        << "--alarm-hold wants a number of seconds from 0 to 86400, not '3s'" << log;
    QTest::newRow("a hold past a day")
        << QStringList{"watch", "--alarm", "U1<207", "--alarm-hold", "86401"}
        << "--alarm-hold wants a number of seconds from 0 to 86400, not '86401'"
        << "powerclamp-cli watch --help";
    QTest::newRow("an alarm on read") << QStringList{"read", "--alarm", "U1<207"} << "Unknown option 'alarm'."
                                      << "powerclamp-cli read --help";
    QTest::newRow("a network option of log on watch")
        << QStringList{"watch", "--mqtt", "broker"} << "Unknown option 'mqtt'."
        << "powerclamp-cli watch --help";
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
