// powerclamp-cli log with its network outputs, as a user runs it: the meter simulator on a
// pseudo-terminal, Debian's mosquitto on a free loopback port watched by a real subscriber, and
// the metrics endpoint scraped over real HTTP and parsed by Prometheus' own parser. The state
// messages carry the answers the CSV holds; availability follows the link, a clean stop and a
// killed program; the CSV keeps its pace while the broker says nothing.
#include "SimulatedMeter.h"
#include "support/BrokerFixture.h"
#include "support/PrometheusScrape.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

namespace {

constexpr int MeterPort = 2;
const QString Availability = QStringLiteral("powerclamp/bench/availability");
const QString State = QStringLiteral("powerclamp/bench/state");

QByteArray readAll(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The log's answers: for each answer's time, its items in lower case with their base values
// (empty where the reading is no number).
QMap<QString, QMap<QString, QString>> csvAnswers(const QString &path) {
    QMap<QString, QMap<QString, QString>> answers;
    for (const QByteArray &row : readAll(path).split('\n')) {
        const QStringList fields = QString::fromUtf8(row.trimmed()).split(u',');
        if (fields.size() == 6 && !fields[1].isEmpty() && fields[0] != QLatin1String("time"))
            answers[fields[0]].insert(fields[1].toLower(), fields[4]);
    }
    return answers;
}

// How many answers the log holds, at any time.
int csvAnswerCount(const QString &path) {
    return int(csvAnswers(path).size());
}

QStringList payloadsOn(const MqttSubscriber &subscriber, const QString &topic) {
    QStringList payloads;
    for (const ReceivedMessage &message : subscriber.messagesOn(topic))
        payloads << QString::fromUtf8(message.payload);
    return payloads;
}

bool lastPayloadIs(const MqttSubscriber &subscriber, const QString &topic, const QString &payload) {
    const QStringList payloads = payloadsOn(subscriber, topic);
    return !payloads.isEmpty() && payloads.constLast() == payload;
}

// A family's one sample value, or -1 when it has none or several.
double onlyValue(const QJsonObject &scrape, const char *family) {
    const QJsonArray samples = familyNamed(scrape, QLatin1String(family)).value("samples").toArray();
    return samples.size() == 1 ? samples.at(0).toObject().value("value").toDouble() : -1.0;
}

// The scrape's readings: item in lower case → value.
QMap<QString, double> scrapedReadings(const QJsonObject &scrape) {
    QMap<QString, double> readings;
    for (const QJsonValue &sample : familyNamed(scrape, "powerclamp_reading").value("samples").toArray()) {
        const QJsonObject object = sample.toObject();
        readings.insert(object.value("labels").toObject().value("item").toString().toLower(),
                        object.value("value").toDouble());
    }
    return readings;
}

} // namespace

class PublishEndToEndTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void answersAvailabilityAndMetricsThroughSilenceAndStop();
    void killedProgramLeavesTheWill();
    void probesBeforeTheMeterIsFoundAreNoTimeouts();
    void csvKeepsItsPaceWhileTheBrokerSaysNothing();
    void metricsPortTaken();

private:
    QString meterLink() const { return links.filePath(QStringLiteral("meter")); }
    // Starts powerclamp-cli with every port a test can reach pointed at the meter or at nothing.
    void startCli(QProcess &cli, const QStringList &arguments);
    // SIGTERM; true when it then ended with status 0 within `timeoutMs`.
    static bool stopsCleanly(QProcess &cli, int timeoutMs);

    QTemporaryDir links;
    QTemporaryDir files;
};

void PublishEndToEndTest::initTestCase() {
    QVERIFY(links.isValid());
    QVERIFY(files.isValid());
}

void PublishEndToEndTest::startCli(QProcess &cli, const QStringList &arguments) {
    cli.start(QStringLiteral(POWERCLAMP_CLI_PATH),
              arguments + portArguments(
                              portsForTest(MeterPort, meterLink(), links.filePath(QStringLiteral("none")))));
    QVERIFY(cli.waitForStarted(5000));
}

bool PublishEndToEndTest::stopsCleanly(QProcess &cli, int timeoutMs) {
    ::kill(pid_t(cli.processId()), SIGTERM);
    return cli.waitForFinished(timeoutMs) && cli.exitStatus() == QProcess::NormalExit && cli.exitCode() == 0;
}

void PublishEndToEndTest::answersAvailabilityAndMetricsThroughSilenceAndStop() {
    MosquittoBroker broker;
    QCOMPARE(broker.start(), QString());
    MqttSubscriber subscriber(broker.port(), {QStringLiteral("powerclamp/bench/#")});
    QVERIFY(subscriber.waitSubscribed());
    SimulatedMeter meter(meterLink());
    QVERIFY(meter.started);
    const QString csv = files.filePath(QStringLiteral("published.csv"));
    const uint16_t metricsPort = freeLoopbackPort();
    QProcess cli;
    startCli(cli, {"log", "--csv", csv, "--mqtt", QStringLiteral("127.0.0.1:%1").arg(broker.port()),
                   "--metrics", QString::number(metricsPort), "--name", "bench"});
    const qint64 pid = cli.processId(); // its MQTT client id ends in it

    QVERIFY(subscriber.waitForCount(State, 3, 15000));
    QVERIFY(lastPayloadIs(subscriber, Availability, QStringLiteral("online")));
    QString problem;
    QJsonObject scrape = scrapedByPrometheusClient(metricsPort, &problem);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    QCOMPARE(onlyValue(scrape, "powerclamp_link_up"), 1.0);
    QVERIFY(onlyValue(scrape, "powerclamp_answers") >= 3);
    QVERIFY(!scrapedReadings(scrape).isEmpty());

    // Silence: offline, and the endpoint tells the loss and the request that went unanswered.
    meter.signal(SIGUSR1);
    QVERIFY(subscriber.waitFor(
        [](const std::vector<ReceivedMessage> &messages) {
            return !messages.empty() && messages.back().topic == Availability &&
                   messages.back().payload == "offline";
        },
        8000));
    const std::vector<ReceivedMessage> states = subscriber.messagesOn(State);
    scrape = scrapedByPrometheusClient(metricsPort, &problem);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    QCOMPARE(onlyValue(scrape, "powerclamp_link_up"), 0.0);
    QVERIFY(onlyValue(scrape, "powerclamp_timeouts") >= 1);
    QCOMPARE(onlyValue(scrape, "powerclamp_answers"), double(states.size()));
    // The latest answer's readings are among those shown in the last minute.
    const QJsonObject latest = QJsonDocument::fromJson(states.back().payload).object();
    const QMap<QString, double> readings = scrapedReadings(scrape);
    for (auto member = latest.begin(); member != latest.end(); ++member)
        if (member.key() != QLatin1String("time") && !member.value().isNull())
            QCOMPARE(readings.value(member.key(), -1), member.value().toDouble());
    const double answeredAt =
        QDateTime::fromString(latest.value("time").toString(), Qt::ISODateWithMs).toMSecsSinceEpoch() /
        1000.0;
    QCOMPARE(onlyValue(scrape, "powerclamp_last_answer_timestamp_seconds"), answeredAt);

    meter.signal(SIGUSR2);
    QVERIFY(subscriber.waitForCount(State, states.size() + 1, 8000));
    QVERIFY(stopsCleanly(cli, 8000));

    // Availability: online with the meter, offline when it fell silent, online again, offline at
    // the stop; offline stays retained for whoever asks later.
    QStringList changes;
    for (const QString &payload : payloadsOn(subscriber, Availability))
        if (changes.isEmpty() || changes.constLast() != payload)
            changes << payload;
    QVERIFY2(QRegularExpression(QStringLiteral("^(offline )?online offline online offline$"))
                 .match(changes.join(u' '))
                 .hasMatch(),
             qPrintable(changes.join(u' ')));
    const std::optional<ReceivedMessage> retained = retainedMessage(broker.port(), Availability);
    QVERIFY(retained);
    QCOMPARE(retained->payload, QByteArray("offline"));
    // Said by the program itself before it left, not by its will.
    QVERIFY2(broker.log().contains(QStringLiteral("Received DISCONNECT from powerclamp-bench-%1").arg(pid)),
             qPrintable(broker.log()));

    // Every answer went to both outputs, the same readings at the same time.
    const QMap<QString, QMap<QString, QString>> logged = csvAnswers(csv);
    const std::vector<ReceivedMessage> published = subscriber.messagesOn(State);
    QCOMPARE(qsizetype(published.size()), logged.size());
    for (const ReceivedMessage &message : published) {
        QJsonObject state = QJsonDocument::fromJson(message.payload).object();
        const QString time = state.take(QStringLiteral("time")).toString();
        QVERIFY2(logged.contains(time), message.payload.constData());
        const QMap<QString, QString> rows = logged.value(time);
        QCOMPARE(state.keys(), rows.keys());
        for (auto member = state.begin(); member != state.end(); ++member) {
            const QString base = rows.value(member.key());
            QCOMPARE(member.value().isNull(), base.isEmpty());
            if (!base.isEmpty())
                QCOMPARE(member.value().toDouble(), base.toDouble());
        }
    }
    const QByteArray content = readAll(csv);
    QCOMPARE(content.count(",,Unconnected,,,"), 1);
    QCOMPARE(content.count(",,Connected,,,"), 1);
    const QByteArray said = cli.readAllStandardError();
    QVERIFY2(said.contains(QStringLiteral("MQTT 127.0.0.1:%1: connected").arg(broker.port()).toUtf8()),
             said.constData());
}

// Killed, the program says nothing more: the broker's will says offline for it.
void PublishEndToEndTest::killedProgramLeavesTheWill() {
    MosquittoBroker broker;
    QCOMPARE(broker.start(), QString());
    MqttSubscriber subscriber(broker.port(), {Availability, State});
    QVERIFY(subscriber.waitSubscribed());
    SimulatedMeter meter(meterLink());
    QVERIFY(meter.started);
    QProcess cli;
    startCli(cli, {"log", "--mqtt", QStringLiteral("127.0.0.1:%1").arg(broker.port()), "--name", "bench"});
    QVERIFY(subscriber.waitForCount(State, 1, 15000));
    QVERIFY(lastPayloadIs(subscriber, Availability, QStringLiteral("online")));

    cli.kill();
    QVERIFY(cli.waitForFinished(5000));
    QCOMPARE(cli.exitStatus(), QProcess::CrashExit);
    QTRY_VERIFY_WITH_TIMEOUT(lastPayloadIs(subscriber, Availability, QStringLiteral("offline")), 5000);
    const std::optional<ReceivedMessage> retained = retainedMessage(broker.port(), Availability);
    QVERIFY(retained);
    QCOMPARE(retained->payload, QByteArray("offline"));
    QVERIFY2(!broker.log().contains(QStringLiteral("Received DISCONNECT from powerclamp-bench-")),
             qPrintable(broker.log()));
}

// While the ports are probed the meter's requests are not yet under way: a probe that goes
// unanswered is no time-out of the meter's, and the link is not up.
void PublishEndToEndTest::probesBeforeTheMeterIsFoundAreNoTimeouts() {
    SimulatedMeter meter(meterLink(), {"--silent"});
    QVERIFY(meter.started);
    const uint16_t metricsPort = freeLoopbackPort();
    QProcess cli;
    startCli(cli, {"log", "--metrics", QString::number(metricsPort)});
    // The meter's port is probed within the first round, and its probe times out 2.5 s later.
    QTest::qWait(5000);
    QString problem;
    QJsonObject scrape = scrapedByPrometheusClient(metricsPort, &problem);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    QCOMPARE(onlyValue(scrape, "powerclamp_link_up"), 0.0);
    QCOMPARE(onlyValue(scrape, "powerclamp_timeouts"), 0.0);
    QCOMPARE(onlyValue(scrape, "powerclamp_answers"), 0.0);

    meter.signal(SIGUSR2); // answering from now on: found at the next round
    QVERIFY(QTest::qWaitFor(
        [&] {
            scrape = scrapedByPrometheusClient(metricsPort, &problem);
            return onlyValue(scrape, "powerclamp_answers") >= 1;
        },
        20000));
    QCOMPARE(onlyValue(scrape, "powerclamp_link_up"), 1.0);
    QCOMPARE(onlyValue(scrape, "powerclamp_timeouts"), 0.0);
    QVERIFY(stopsCleanly(cli, 8000));
}

// A broker that takes the connection and never answers: the answers still reach the file one by
// one, and the program still ends when told.
void PublishEndToEndTest::csvKeepsItsPaceWhileTheBrokerSaysNothing() {
    QTcpServer silentBroker;
    QVERIFY(silentBroker.listen(QHostAddress::LocalHost));
    SimulatedMeter meter(meterLink());
    QVERIFY(meter.started);
    const QString csv = files.filePath(QStringLiteral("silent-broker.csv"));
    QProcess cli;
    startCli(cli,
             {"log", "--csv", csv, "--mqtt", QStringLiteral("127.0.0.1:%1").arg(silentBroker.serverPort())});
    // An answer every 1.5 s from the first poll on.
    QTRY_VERIFY_WITH_TIMEOUT(csvAnswerCount(csv) >= 1, 10000);
    QTRY_VERIFY_WITH_TIMEOUT(csvAnswerCount(csv) >= 5, 7500);
    QVERIFY(silentBroker.hasPendingConnections());
    QVERIFY(stopsCleanly(cli, 10000));
}

void PublishEndToEndTest::metricsPortTaken() {
    QTcpServer holder;
    QVERIFY(holder.listen(QHostAddress::LocalHost));
    QProcess cli;
    startCli(cli, {"log", "--metrics", QString::number(holder.serverPort())});
    QVERIFY(cli.waitForFinished(10000));
    QCOMPARE(cli.exitStatus(), QProcess::NormalExit);
    QCOMPARE(cli.exitCode(), 1);
    const QByteArray said = cli.readAllStandardError();
    QVERIFY2(said.startsWith(QStringLiteral("powerclamp-cli: cannot serve metrics on 127.0.0.1 port %1: ")
                                 .arg(holder.serverPort())
                                 .toUtf8()),
             said.constData());
}

QTEST_GUILESS_MAIN(PublishEndToEndTest)
#include "tst_e2e_publish.moc"
