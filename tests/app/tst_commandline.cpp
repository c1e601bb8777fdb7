// The program's command line: help, version, ports numbered for the run, and every way a
// command line can be unusable.
#include "Version.h"
#include "app/CommandLine.h"
#include "link/PortNames.h"

#include <QTest>

Q_DECLARE_METATYPE(CommandLine::Action)
Q_DECLARE_METATYPE(PortDevices)

class CommandLineTest : public QObject {
    Q_OBJECT
private slots:
    void parsing_data();
    void parsing();
    void failuresQtMayStillTake_data();
    void failuresQtMayStillTake();
    void helpNamesTheProgramAsStarted();
    void portsGivenOnTheCommandLineWinOverTheEnvironment();
};

void CommandLineTest::parsing_data() {
    using Action = CommandLine::Action;
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<Action>("action");
    QTest::addColumn<QString>("textHolds");
    QTest::addColumn<PortDevices>("ports");

    const PortDevices none;
    QTest::newRow("plain start") << QStringList{} << Action::RunWindow << "" << none;
    QTest::newRow("--help") << QStringList{"--help"} << Action::PrintHelp << "--port <N=DEVICE>" << none;
    QTest::newRow("-h") << QStringList{"-h"} << Action::PrintHelp << "Usage: powerclamp [options]" << none;
    QTest::newRow("--version") << QStringList{"--version"} << Action::PrintVersion
                               << QStringLiteral("powerclamp " POWERCLAMP_VERSION "\n") << none;
    QTest::newRow("-v") << QStringList{"-v"} << Action::PrintVersion << "powerclamp " POWERCLAMP_VERSION
                        << none;
    QTest::newRow("help wins over a bad port")
        << QStringList{"--port", "0=/dev/x", "--help"} << Action::PrintHelp << "Usage:" << none;

    QTest::newRow("one port") << QStringList{"--port", "1=/dev/ttyUSB0"} << Action::RunWindow << ""
                              << PortDevices{{1, "/dev/ttyUSB0"}};
    QTest::newRow("--port=value, ports 1 and 16")
        << QStringList{"--port=16=/dev/ttyS0", "--port", "1=/tmp/meter"} << Action::RunWindow << ""
        << PortDevices{{1, "/tmp/meter"}, {16, "/dev/ttyS0"}};
    QTest::newRow("device holding '='")
        << QStringList{"--port", "2=/tmp/a=b"} << Action::RunWindow << "" << PortDevices{{2, "/tmp/a=b"}};
    QTest::newRow("same port, same device twice")
        << QStringList{"--port", "3=/dev/ttyUSB1", "--port", "3=/dev/ttyUSB1"} << Action::RunWindow << ""
        << PortDevices{{3, "/dev/ttyUSB1"}};

    const auto fails = [&](const char *name, const QStringList &arguments, const QString &reason) {
        QTest::newRow(name)
            << arguments << Action::Fail
            << QStringLiteral("powerclamp: %1\nTry 'powerclamp --help' for more information.\n").arg(reason)
            << none;
    };
    fails("unknown option", {"--baud", "9600"}, "Unknown option 'baud'.");
    fails("stray argument", {"/dev/ttyUSB0"}, "unexpected argument '/dev/ttyUSB0'");
    fails("--port without value", {"--port"}, "Missing value after '--port'.");
    fails("no '='", {"--port", "/dev/ttyUSB0"},
          "--port wants N=DEVICE, for example --port 1=/dev/ttyUSB0, not '/dev/ttyUSB0'");
    fails("port 0", {"--port", "0=/dev/ttyUSB0"}, "port number '0' is not one of 1 to 16");
    fails("port 17", {"--port", "17=/dev/ttyUSB0"}, "port number '17' is not one of 1 to 16");
    fails("negative port", {"--port", "-1=/dev/ttyUSB0"}, "port number '-1' is not one of 1 to 16");
    fails("port not a number", {"--port", "COM3=/dev/ttyUSB0"}, "port number 'COM3' is not one of 1 to 16");
    fails("huge port", {"--port", "4294967297=/dev/x"}, "port number '4294967297' is not one of 1 to 16");
    fails("no port number", {"--port", "=/dev/ttyUSB0"}, "port number '' is not one of 1 to 16");
    fails("empty device", {"--port", "5="}, "--port 5= names no device");
    fails("one port, two devices", {"--port", "3=/dev/ttyUSB0", "--port", "3=/dev/ttyUSB1"},
          "port 3 is given two devices, /dev/ttyUSB0 and /dev/ttyUSB1");
}

void CommandLineTest::parsing() {
    QFETCH(QStringList, arguments);
    QFETCH(CommandLine::Action, action);
    QFETCH(QString, textHolds);
    QFETCH(PortDevices, ports);

    const CommandLine commandLine = parseCommandLine(QStringList{"powerclamp"} + arguments);
    QCOMPARE(commandLine.action, action);
    if (action == CommandLine::Action::Fail)
        QCOMPARE(commandLine.text, textHolds);
    else
        QVERIFY2(commandLine.text.contains(textHolds), qPrintable(commandLine.text));
    QVERIFY(action != CommandLine::Action::RunWindow || commandLine.text.isEmpty());
    QVERIFY(commandLine.portDevices == ports);
}

// Only a failure Qt's own options may explain waits for the application; the rest are answered
// before a display is needed.
void CommandLineTest::failuresQtMayStillTake_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("mayBeForQt");
    QTest::newRow("Qt's -platform") << QStringList{"-platform", "offscreen"} << true;
    QTest::newRow("unknown option") << QStringList{"--baud"} << true;
    QTest::newRow("stray argument") << QStringList{"/dev/ttyUSB0"} << true;
    QTest::newRow("bad port number") << QStringList{"--port", "0=/dev/ttyUSB0"} << false;
    QTest::newRow("--port without value") << QStringList{"--port"} << false;
    QTest::newRow("empty device") << QStringList{"--port=5="} << false;
}

void CommandLineTest::failuresQtMayStillTake() {
    QFETCH(QStringList, arguments);
    QFETCH(bool, mayBeForQt);
    const CommandLine commandLine = parseCommandLine(QStringList{"powerclamp"} + arguments);
    QCOMPARE(commandLine.action, CommandLine::Action::Fail);
    QCOMPARE(commandLine.mayBeForQt, mayBeForQt);
}

void CommandLineTest::helpNamesTheProgramAsStarted() {
    const QString help = parseCommandLine({"/usr/bin/powerclamp", "--help"}).text;
    QVERIFY2(help.startsWith(QStringLiteral("Usage: powerclamp [options]\n")), qPrintable(help));
    QVERIFY(help.contains(QStringLiteral("-v, --version")));
}

void CommandLineTest::portsGivenOnTheCommandLineWinOverTheEnvironment() {
#ifdef Q_OS_WIN
    QSKIP("Windows numbers its ports itself");
#endif
    qputenv("POWERCLAMP_COM4", "/tmp/from-environment-4");
    qputenv("POWERCLAMP_COM5", "/tmp/from-environment-5");
    const std::unique_ptr<PortNumbering> numbering = portNumberingForThisRun(
        parseCommandLine({"powerclamp", "--port", "4=/tmp/from-command-line"}).portDevices);
    QCOMPARE(numbering->device(4), QStringLiteral("/tmp/from-command-line"));
    QCOMPARE(numbering->device(5), QStringLiteral("/tmp/from-environment-5"));
    qunsetenv("POWERCLAMP_COM4");
    qunsetenv("POWERCLAMP_COM5");
}

QTEST_GUILESS_MAIN(CommandLineTest)
#include "tst_commandline.moc"
