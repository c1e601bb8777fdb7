// powerclamp-cli as a user runs it, against the meter simulator on a pseudo-terminal: each
// command, its exit status and what it writes; the log through silence, unplugging, rotation
// and a disk that refuses writes for a while (a real file size limit on the running program).
#include "SimulatedMeter.h"
#include "support/PseudoTerminal.h"

#include <QDateTime>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

#include <sys/resource.h>

namespace {

constexpr int MeterPort = 3;
const QByteArray LogHeader = "time,item,value,unit,base_value,base_unit\r\n";

QByteArray readAll(const QString &path) {
    if (path.isEmpty())
        return {};
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The answers in log files: each answer's time, in file order.
QList<QDateTime> answerTimes(const QStringList &paths) {
    QList<QDateTime> times;
    for (const QString &path : paths)
        for (const QByteArray &row : readAll(path).split('\n')) {
            const QList<QByteArray> fields = row.split(',');
            if (fields.size() < 6 || fields[1].isEmpty() || fields[0] == "time")
                continue;
            const QDateTime time = QDateTime::fromString(QString::fromLatin1(fields[0]), Qt::ISODateWithMs);
            if (times.isEmpty() || times.constLast() != time)
                times << time;
        }
    return times;
}

} // namespace

class CliEndToEndTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void unusableCommandLineExits2_data();
    void unusableCommandLineExits2();
    void portsTellWhereTheMeterAnswers();
    void readPrintsOneAnswer_data();
    void readPrintsOneAnswer();
    void readWithoutMeterFails();
    void watchTellsTheLinkLostAndBack();
    void downloadInEachFormat_data();
    void downloadInEachFormat();
    void downloadShowsProgressOnATerminal();
    void downloadBrokenOffWritesNothing();
    void logThroughSilenceUnplugRotationAndFullDisk();
    void alarmRaisedAndCleared_data();
    void alarmRaisedAndCleared();

private:
    QString meterLink() const { return links.filePath(QStringLiteral("meter")); }
    // Starts powerclamp-cli with every port a test can reach pointed at the meter or at nothing.
    void startCli(QProcess &cli, const QStringList &arguments);
    // Runs powerclamp-cli to its end; returns its exit status.
    int runCli(QProcess &cli, const QStringList &arguments, int timeoutMs = 20000);

    QTemporaryDir links;
    QTemporaryDir files;
};

void CliEndToEndTest::initTestCase() {
    QVERIFY(links.isValid());
    QVERIFY(files.isValid());
}

void CliEndToEndTest::startCli(QProcess &cli, const QStringList &arguments) {
    cli.start(QStringLiteral(POWERCLAMP_CLI_PATH),
              arguments + portArguments(
                              portsForTest(MeterPort, meterLink(), links.filePath(QStringLiteral("none")))));
    QVERIFY(cli.waitForStarted(5000));
}

int CliEndToEndTest::runCli(QProcess &cli, const QStringList &arguments, int timeoutMs) {
    startCli(cli, arguments);
    if (!cli.waitForFinished(timeoutMs) || cli.exitStatus() != QProcess::NormalExit)
        return -1;
    return cli.exitCode();
}

// The reason on standard error, nothing on standard output, and no meter looked for.
void CliEndToEndTest::unusableCommandLineExits2_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("reason");
    QTest::newRow("an alarm on an item the meter does not have")
        << QStringList{"watch", "--alarm", "X9<3"} << "'X9<3': X9 is not an item of the meter.";
    QTest::newRow("a hold without an alarm")
        << QStringList{"log", "--csv", "x.csv", "--alarm-hold", "5"} << "--alarm-hold needs --alarm";
    QTest::newRow("log without an output")
        << QStringList{"log"} << "log needs --csv PATTERN, --mqtt HOST or --metrics PORT";
    QTest::newRow("a broker option without a broker")
        << QStringList{"log", "--csv", "x.csv", "--mqtt-user", "u"} << "--mqtt-user needs --mqtt";
}

void CliEndToEndTest::unusableCommandLineExits2() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, reason);
    QProcess cli;
    QCOMPARE(runCli(cli, arguments), 2);
    QCOMPARE(cli.readAllStandardOutput(), QByteArray());
    QCOMPARE(QString::fromLocal8Bit(cli.readAllStandardError()),
             QStringLiteral("powerclamp-cli: %1\nTry 'powerclamp-cli %2 --help' for more information.\n")
                 .arg(reason, arguments.constFirst()));
}

void CliEndToEndTest::portsTellWhereTheMeterAnswers() {
    {
        SimulatedMeter meter(meterLink());
        QVERIFY(meter.started);
        QProcess cli;
        QCOMPARE(runCli(cli, {"ports"}), 0);
        const QStringList lines =
            QString::fromUtf8(cli.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 17);
        QVERIFY(lines[0].startsWith(QStringLiteral("port  device")));
        for (int port = 1; port <= 16; ++port) {
            const QString line = lines[port];
            QVERIFY2(line.startsWith(QString::number(port) + u' '), qPrintable(line));
            QCOMPARE(line.endsWith(QStringLiteral("the meter answered")), port == MeterPort);
            QVERIFY2(line.contains(port == MeterPort ? meterLink() : links.filePath(QStringLiteral("none"))),
                     qPrintable(line));
        }
    }
    QProcess cli;
    QCOMPARE(runCli(cli, {"ports"}), 1);
    QVERIFY(!cli.readAllStandardOutput().contains("the meter answered"));
}

void CliEndToEndTest::readPrintsOneAnswer_data() {
    QTest::addColumn<bool>("json");
    QTest::newRow("text") << false;
    QTest::newRow("json") << true;
}

void CliEndToEndTest::readPrintsOneAnswer() {
    QFETCH(bool, json);
    SimulatedMeter meter(meterLink());
    QVERIFY(meter.started);
    QProcess cli;
    QCOMPARE(runCli(cli, json ? QStringList{"read", "--json"} : QStringList{"read"}), 0);
    const QByteArray out = cli.readAllStandardOutput();
    QCOMPARE(out.count('\n'), 1);
    QCOMPARE(cli.readAllStandardError(), QByteArray());
    if (!json) {
        // time, then four readings as "item: value unit"
        QVERIFY2(QRegularExpression(
                     QStringLiteral("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\\.\\d{3}[+-]\\d\\d:\\d\\d"
                                    "(  [A-Z_0-9]+: \\S+){4} ?\\n$"))
                     .match(QString::fromUtf8(out))
                     .hasMatch(),
                 out.constData());
        return;
    }
    const QJsonObject answer = QJsonDocument::fromJson(out).object();
    QVERIFY2(answer.value("time").toString().contains(u'T'), out.constData());
    QCOMPARE(answer.value("readings").toArray().size(), 4);
    for (const QJsonValue &reading : answer.value("readings").toArray())
        QCOMPARE(reading.toObject().keys(),
                 (QStringList{"base_unit", "base_value", "item", "unit", "value"}));
}

void CliEndToEndTest::readWithoutMeterFails() {
    SimulatedMeter meter(meterLink(), {"--silent"});
    QVERIFY(meter.started);
    QProcess cli;
    QCOMPARE(runCli(cli, {"read"}), 1);
    QCOMPARE(cli.readAllStandardOutput(), QByteArray());
    QCOMPARE(cli.readAllStandardError(), QByteArray("powerclamp-cli: no meter answered on ports 1 to 16\n"));
}

void CliEndToEndTest::watchTellsTheLinkLostAndBack() {
    SimulatedMeter meter(meterLink());
    QVERIFY(meter.started);
    QProcess cli;
    startCli(cli, {"watch", "--json"});
    QStringList lines;
    const auto linesSoFar = [&cli, &lines] {
        while (cli.canReadLine())
            lines << QString::fromUtf8(cli.readLine()).trimmed();
        return lines.join(u'\n');
    };
    QTRY_VERIFY_WITH_TIMEOUT(linesSoFar().count(QStringLiteral("\"readings\"")) >= 2, 10000);
    meter.signal(SIGUSR1); // silent
    QTRY_VERIFY_WITH_TIMEOUT(linesSoFar().contains(QStringLiteral("\"link\": \"lost\"")), 8000);
    meter.signal(SIGUSR2); // answering again
    QTRY_VERIFY_WITH_TIMEOUT(linesSoFar().contains(QStringLiteral("\"link\": \"connected\"")), 8000);
    QTRY_VERIFY_WITH_TIMEOUT(lines.constLast().contains(QStringLiteral("\"readings\"")), 5000);
    ::kill(pid_t(cli.processId()), SIGINT);
    QVERIFY(cli.waitForFinished(5000));
    QCOMPARE(cli.exitStatus(), QProcess::NormalExit);
    QCOMPARE(cli.exitCode(), 0);
    linesSoFar();

    QStringList kinds;
    for (const QString &line : lines) {
        const QJsonObject object = QJsonDocument::fromJson(line.toUtf8()).object();
        QVERIFY2(!object.isEmpty(), qPrintable(line));
        kinds << (object.contains(QStringLiteral("link")) ? object.value("link").toString()
                                                          : QStringLiteral("answer"));
    }
    // Answers, one loss, its return, answers: each link line once.
    const QString sequence = kinds.join(u' ');
    QVERIFY2(QRegularExpression(QStringLiteral("^(answer ){2,}lost connected answer( answer)*$"))
                 .match(sequence)
                 .hasMatch(),
             qPrintable(sequence));
}

void CliEndToEndTest::downloadInEachFormat_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("text") << "records.txt";
    QTest::newRow("csv") << "records.csv";
    QTest::newRow("workbook") << "records.xlsx";
    QTest::newRow("standard output") << "-";
}

void CliEndToEndTest::downloadInEachFormat() {
    QFETCH(QString, name);
    SimulatedMeter meter(meterLink(), {"--records", "7"});
    QVERIFY(meter.started);
    const QString path = name == QLatin1String("-") ? name : files.filePath(name);
    QProcess cli;
    QCOMPARE(runCli(cli, {"download", "--output", path}), 0);
    QCOMPARE(cli.readAllStandardError(), QByteArray()); // not a terminal: no progress line
    const QByteArray written = name == QLatin1String("-") ? cli.readAllStandardOutput() : readAll(path);
    if (name.endsWith(QLatin1String(".txt"))) {
        const QList<QByteArray> lines = written.split('\n');
        QCOMPARE(lines.size(), 14);
        QVERIFY(lines[12].startsWith("NO.7 "));
        QVERIFY(!written.endsWith('\n'));
    } else if (name.endsWith(QLatin1String(".xlsx"))) {
        QVERIFY(written.startsWith("PK"));
    } else {
        // Seven records of four readings; record 5's power factor block is empty.
        QVERIFY(written.startsWith("record,item,value,unit,base_value,base_unit\r\n1,TIME,01:00,mins,,\r\n"));
        QCOMPARE(written.count("\r\n"), 1 + 7 * 4 - 1);
        QVERIFY(written.contains("\r\n7,U1,220.6,V,220.6,V\r\n"));
    }
    if (name != QLatin1String("-"))
        QCOMPARE(cli.readAllStandardOutput(), QByteArray());
}

void CliEndToEndTest::downloadShowsProgressOnATerminal() {
    SimulatedMeter meter(meterLink(), {"--records", "7"});
    QVERIFY(meter.started);
    PseudoTerminal terminal;
    QVERIFY(terminal.isValid());
    QProcess cli;
    cli.setStandardErrorFile(terminal.portPath());
    QCOMPARE(runCli(cli, {"download", "--output", files.filePath(QStringLiteral("progress.csv"))}), 0);
    const QByteArray shown = terminal.read(4096, 500);
    QVERIFY2(shown.startsWith("\rRecords: 0 of 7"), shown.constData());
    QVERIFY2(shown.endsWith("\rRecords: 7 of 7\n"), shown.constData());
}

void CliEndToEndTest::downloadBrokenOffWritesNothing() {
    const QString existing = files.filePath(QStringLiteral("earlier.csv"));
    QFile earlier(existing);
    QVERIFY(earlier.open(QIODevice::WriteOnly) && earlier.write("an earlier download\r\n") > 0);
    earlier.close();
    for (const QString &path : {existing, files.filePath(QStringLiteral("new.txt")), QStringLiteral("-")}) {
        SimulatedMeter meter(meterLink(), {"--records", "20", "--stop-after-blocks", "2"});
        QVERIFY(meter.started);
        QProcess cli;
        QCOMPARE(runCli(cli, {"download", "--output", path}), 1);
        QVERIFY2(cli.readAllStandardError().contains("the meter stopped answering"), qPrintable(path));
        QCOMPARE(cli.readAllStandardOutput(), QByteArray());
    }
    QCOMPARE(readAll(existing), QByteArray("an earlier download\r\n"));
    QVERIFY(!QFile::exists(files.filePath(QStringLiteral("new.txt"))));
    QCOMPARE(QDir(files.path()).entryList({"earlier.csv.*", "new.txt*"}, QDir::Files | QDir::Hidden),
             QStringList());
}

void CliEndToEndTest::logThroughSilenceUnplugRotationAndFullDisk() {
    QTemporaryDir logs;
    QVERIFY(logs.isValid());
    auto meter = std::make_unique<SimulatedMeter>(meterLink());
    QVERIFY(meter->started);
    QProcess cli;
    startCli(cli, {"log", "--csv", logs.filePath(QStringLiteral("readings-%Y-%m-%d.csv"))});
    const auto logFile = [&logs] {
        const QStringList names = QDir(logs.path()).entryList({"readings-*.csv"}, QDir::Files, QDir::Name);
        return names.isEmpty() ? QString() : logs.filePath(names.constLast());
    };
    const auto answersLogged = [&] { return answerTimes({logFile()}).size(); };
    QByteArray said;
    const auto saidSoFar = [&cli, &said] { return said += cli.readAllStandardError(); };
    QTRY_VERIFY_WITH_TIMEOUT(answersLogged() >= 2, 10000);

    // Silence, then answers again.
    meter->signal(SIGUSR1);
    QTRY_VERIFY_WITH_TIMEOUT(readAll(logFile()).contains(",,Unconnected,,,"), 8000);
    meter->signal(SIGUSR2);
    QTRY_VERIFY_WITH_TIMEOUT(readAll(logFile()).contains(",,Connected,,,"), 8000);

    // Unplugged: the device is gone for a while, then back under its name.
    meter.reset();
    QTRY_COMPARE_WITH_TIMEOUT(readAll(logFile()).count(",,Unconnected,,,"), 2, 8000);
    QTest::qWait(2000);
    meter = std::make_unique<SimulatedMeter>(meterLink());
    QVERIFY(meter->started);
    QTRY_COMPARE_WITH_TIMEOUT(readAll(logFile()).count(",,Connected,,,"), 2, 10000);

    // Log rotation: the file is moved away and the program told.
    const QString current = logFile();
    const QString rotated = logs.filePath(QStringLiteral("rotated.csv.1"));
    QVERIFY(QFile::rename(current, rotated));
    ::kill(pid_t(cli.processId()), SIGHUP);
    QTRY_VERIFY_WITH_TIMEOUT(answerTimes({current}).size() >= 1, 5000);
    QVERIFY(readAll(current).startsWith(LogHeader));

    // The disk refuses every byte more for a while: the answers wait in memory.
    const int beforeSpell = int(answerTimes({current}).size());
    rlimit full{rlim_t(QFileInfo(current).size()), RLIM_INFINITY};
    QCOMPARE(prlimit(pid_t(cli.processId()), RLIMIT_FSIZE, &full, nullptr), 0);
    QTRY_VERIFY_WITH_TIMEOUT(saidSoFar().contains("the answers are kept in memory"), 5000);
    QTest::qWait(4500);
    QCOMPARE(int(answerTimes({current}).size()), beforeSpell);
    const rlimit room{RLIM_INFINITY, RLIM_INFINITY};
    QCOMPARE(prlimit(pid_t(cli.processId()), RLIMIT_FSIZE, &room, nullptr), 0);
    QTRY_VERIFY_WITH_TIMEOUT(answerTimes({current}).size() >= beforeSpell + 4, 6000);

    ::kill(pid_t(cli.processId()), SIGTERM);
    QVERIFY(cli.waitForFinished(5000));
    QCOMPARE(cli.exitStatus(), QProcess::NormalExit);
    QCOMPARE(cli.exitCode(), 0);

    // Every answer once, in order, across the rotated file and the new one; whole rows only.
    const QList<QDateTime> times = answerTimes({rotated, current});
    for (int index = 1; index < times.size(); ++index)
        QVERIFY2(times[index - 1] < times[index], qPrintable(times[index].toString(Qt::ISODateWithMs)));
    for (const QString &path : {rotated, current}) {
        const QByteArray content = readAll(path);
        QVERIFY(content.startsWith(LogHeader));
        QVERIFY(content.endsWith("\r\n"));
        for (const QByteArray &row : content.split('\n'))
            QVERIFY2(row.isEmpty() || row.count(',') >= 5, row.constData());
    }
    saidSoFar();
    QCOMPARE(said.count("the answers are kept in memory"), 1);
    QCOMPARE(said.count("is written again"), 1);
    QCOMPARE(said.count("the meter stopped answering"), 2);
    QCOMPARE(said.count("the meter answers again"), 2);
}

void CliEndToEndTest::alarmRaisedAndCleared_data() {
    QTest::addColumn<bool>("log");
    QTest::newRow("watch --json") << false;
    QTest::newRow("log") << true;
}

// The simulator always shows P1 (one set of items), which rises above 1150 W some seconds after it
// starts and falls back below it about ten seconds later.
void CliEndToEndTest::alarmRaisedAndCleared() {
    QFETCH(bool, log);
    SimulatedMeter meter(meterLink(), {"--rotate-every", "1000000"});
    QVERIFY(meter.started);
    const QString csv = files.filePath(QStringLiteral("alarms.csv"));
    QFile::remove(csv);
    const QStringList alarm{"--alarm", "P1>1150", "--alarm-hold", "1"};
    QProcess cli;
    startCli(cli, (log ? QStringList{"log", "--csv", csv} : QStringList{"watch", "--json"}) + alarm);
    struct Event {
        QString word; // high, low, cleared
        QString item;
        double value;
    };
    QByteArray out;
    QByteArray said;
    // The alarms in watch's JSON lines or in the log's rows; watch's must name the limit.
    const auto events = [&] {
        std::vector<Event> found;
        out += cli.readAllStandardOutput();
        said += cli.readAllStandardError();
        if (!log) {
            for (const QByteArray &line : out.split('\n')) {
                const QJsonObject object = QJsonDocument::fromJson(line).object();
                if (object.contains(QStringLiteral("alarm")) && object.value("limit").toDouble() == 1150)
                    found.push_back({object.value("alarm").toString(), object.value("item").toString(),
                                     object.value("value").toDouble()});
            }
            return found;
        }
        for (const QByteArray &row : readAll(csv).split('\n')) {
            const QList<QByteArray> fields = row.trimmed().split(',');
            if (fields.size() == 6 && fields[3].startsWith("alarm ") && fields[2].endsWith(" W"))
                found.push_back({QString::fromUtf8(fields[3].mid(6)), QString::fromUtf8(fields[1]),
                                 fields[2].chopped(2).toDouble()});
        }
        return found;
    };
    QTRY_COMPARE_WITH_TIMEOUT(events().size(), size_t(2), 45000);
    ::kill(pid_t(cli.processId()), SIGTERM);
    QVERIFY(cli.waitForFinished(5000));
    QCOMPARE(cli.exitCode(), 0);

    const std::vector<Event> found = events();
    QCOMPARE(found.size(), size_t(2));
    QCOMPARE(found[0].word, QStringLiteral("high"));
    QCOMPARE(found[0].item, QStringLiteral("P1"));
    QVERIFY2(found[0].value > 1150, qPrintable(QString::number(found[0].value)));
    QCOMPARE(found[1].word, QStringLiteral("cleared"));
    QCOMPARE(found[1].item, QStringLiteral("P1"));
    // Back inside by the hysteresis, 1 % of the limit.
    QVERIFY2(found[1].value <= 1138.5, qPrintable(QString::number(found[1].value)));
    if (!log)
        return;
    QVERIFY2(QRegularExpression(QStringLiteral("powerclamp-cli: alarm high: P1 above 1150 W since "
                                               "\\d\\d:\\d\\d:\\d\\d, now [0-9.]+ W\n(.*\n)*"
                                               "powerclamp-cli: alarm cleared: P1 above 1150 W since"))
                 .match(QString::fromUtf8(said))
                 .hasMatch(),
             said.constData());
    // Each alarm row follows its answer's reading rows, at the answer's time.
    const QList<QByteArray> rows = readAll(csv).split('\n');
    for (qsizetype index = 1; index < rows.size(); ++index)
        if (rows[index].contains(",alarm "))
            QCOMPARE(rows[index].left(rows[index].indexOf(',')),
                     rows[index - 1].left(rows[index - 1].indexOf(',')));
}

QTEST_GUILESS_MAIN(CliEndToEndTest)
#include "tst_e2e_cli.moc"
