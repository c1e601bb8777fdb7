// The MQTT output against Debian's mosquitto on loopback, watched by a real subscriber: Home
// Assistant's configs field by field, state messages, availability through link loss, a clean
// stop and a killed process, a broker outage, TLS and credentials.
#include "support/BrokerFixture.h"

#include "Version.h"
#include "publish/ReadingsPublisher.h"
#include "publish/StateMessage.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryFile>
#include <QTest>

#include <algorithm>
#include <csignal>
#include <numeric>

namespace {

const QDateTime FirstAnswer(QDate(2026, 12, 10), QTime(14, 3, 7, 250), Qt::OffsetFromUTC, 3600);

PublishSettings settingsFor(uint16_t port, const QString &meterName) {
    PublishSettings settings;
    settings.meterName = meterName;
    settings.mqtt = MqttSettings{};
    settings.mqtt->host = QStringLiteral("127.0.0.1");
    settings.mqtt->port = port;
    return settings;
}

QJsonObject jsonObject(const QByteArray &payload) {
    return QJsonDocument::fromJson(payload).object();
}

// Everything the publisher tells its user, for the checks on notices.
struct Notices {
    explicit Notices(ReadingsPublisher &publisher) {
        QObject::connect(&publisher, &ReadingsPublisher::notice,
                         [this](const QString &text) { texts << text; });
    }
    bool waitFor(const QString &part, int timeoutMs = 10000) {
        return QTest::qWaitFor([&] { return texts.join(u'\n').contains(part); }, timeoutMs);
    }
    // Until the publisher has reached the broker `count` times in all.
    bool waitForConnections(int count, int timeoutMs = 20000) {
        return QTest::qWaitFor(
            [&] { return texts.filter(QRegularExpression(": connected$")).size() >= count; }, timeoutMs);
    }
    QStringList texts;
};

bool finishAndWait(ReadingsPublisher &publisher) {
    QSignalSpy finished(&publisher, &ReadingsPublisher::finished);
    publisher.finish();
    return finished.wait(10000);
}

// The U1 values of the state messages received, which the outage test numbers its answers by.
std::vector<int> answerNumbers(const std::vector<ReceivedMessage> &messages) {
    std::vector<int> numbers;
    for (const ReceivedMessage &message : messages)
        numbers.push_back(jsonObject(message.payload).value(QStringLiteral("u1")).toInt(-1));
    return numbers;
}

} // namespace

class TestPublishBroker : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void discoveryConfigs_data();
    void discoveryConfigs();
    void discoveryOncePerItemBeforeItsFirstValue();
    void topicPrefixesAndDiscoveryOff();
    void stateMessagesInOrderAtQos1();
    void availabilityThroughLinkLossAndCleanStop();
    void willWhenTheProcessIsKilled();
    void brokerOutageLosesNothing_data();
    void brokerOutageLosesNothing();
    void connectionCutWithMessagesInFlight();
    void tlsVerifiesTheBroker_data();
    void tlsVerifiesTheBroker();
    void credentials_data();
    void credentials();

private:
    MosquittoBroker broker;
};

void TestPublishBroker::initTestCase() {
    const QString error = broker.start();
    QVERIFY2(error.isEmpty(), qPrintable(error));
}

void TestPublishBroker::discoveryConfigs_data() {
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("unit");
    QTest::addColumn<QString>("unitOfMeasurement"); // empty: none
    QTest::addColumn<QString>("deviceClass");       // empty: none
    QTest::addColumn<QString>("stateClass");
    QTest::addColumn<double>("stateValue");
    QTest::newRow("voltage") << "U1"
                             << " 230.1"
                             << "V"
                             << "V"
                             << "voltage"
                             << "measurement" << 230.1;
    QTest::newRow("current in mA") << "I1"
                                   << "   512"
                                   << "mA"
                                   << "A"
                                   << "current"
                                   << "measurement" << 0.512;
    QTest::newRow("power in kW") << "P"
                                 << "  1.20"
                                 << "KW"
                                 << "W"
                                 << "power"
                                 << "measurement" << 1200.0;
    QTest::newRow("power factor") << "PF1"
                                  << "0.98"
                                  << " "
                                  << ""
                                  << "power_factor"
                                  << "measurement" << 0.98;
    QTest::newRow("energy in kWh") << "W"
                                   << " 12.34"
                                   << "KWh"
                                   << "Wh"
                                   << "energy"
                                   << "total_increasing" << 12340.0;
    QTest::newRow("resistance") << "R1"
                                << " 1.5"
                                << "k\u03A9"
                                << "\u03A9"
                                << ""
                                << "measurement" << 1500.0;
}

void TestPublishBroker::discoveryConfigs() {
    QFETCH(QString, item);
    QFETCH(QString, value);
    QFETCH(QString, unit);
    QFETCH(QString, unitOfMeasurement);
    QFETCH(QString, deviceClass);
    QFETCH(QString, stateClass);
    QFETCH(double, stateValue);
    const QString key = item.toLower();
    const QString name = QStringLiteral("config_") + key;
    const QString configTopic = QStringLiteral("homeassistant/sensor/%1/%2/config").arg(name, key);
    const QString stateTopic = QStringLiteral("powerclamp/%1/state").arg(name);
    MqttSubscriber subscriber(broker.port(), {configTopic, stateTopic});
    QVERIFY(subscriber.waitSubscribed());
    ReadingsPublisher publisher(settingsFor(broker.port(), name));
    QString error;
    QVERIFY(publisher.start(&error));
    publisher.takeAnswer(FirstAnswer, {{item, value, unit}});
    QVERIFY(subscriber.waitForCount(stateTopic, 1));
    QVERIFY(subscriber.waitForCount(configTopic, 1));

    const QJsonObject config = jsonObject(subscriber.messagesOn(configTopic).at(0).payload);
    QStringList expectedFields = {
        "name", "unique_id", "state_topic", "value_template", "availability_topic", "state_class", "device"};
    if (!unitOfMeasurement.isEmpty())
        expectedFields << "unit_of_measurement";
    if (!deviceClass.isEmpty())
        expectedFields << "device_class";
    expectedFields.sort();
    QCOMPARE(config.keys(), expectedFields);
    QCOMPARE(config.value("name").toString(), item);
    QCOMPARE(config.value("unique_id").toString(), name + u'_' + key);
    QCOMPARE(config.value("state_topic").toString(), stateTopic);
    QCOMPARE(config.value("value_template").toString(), QStringLiteral("{{ value_json.%1 }}").arg(key));
    QCOMPARE(config.value("availability_topic").toString(),
             QStringLiteral("powerclamp/%1/availability").arg(name));
    QCOMPARE(config.value("unit_of_measurement").toString(), unitOfMeasurement);
    QCOMPARE(config.value("device_class").toString(), deviceClass);
    QCOMPARE(config.value("state_class").toString(), stateClass);
    const QJsonObject device = config.value("device").toObject();
    QCOMPARE(device.value("identifiers").toArray(), QJsonArray{QStringLiteral("powerclamp_") + name});
    QCOMPARE(device.value("name").toString(), name);
    QCOMPARE(device.value("model").toString(), QStringLiteral("Large Caliber Power Clamp"));
    QCOMPARE(device.value("sw_version").toString(), QStringLiteral(POWERCLAMP_VERSION));

    // What the template reads from the state message.
    const QJsonObject state = jsonObject(subscriber.messagesOn(stateTopic).at(0).payload);
    QCOMPARE(state.value(key).toDouble(), stateValue);

    const std::optional<ReceivedMessage> retained = retainedMessage(broker.port(), configTopic);
    QVERIFY2(retained, "the config is not retained");
    QCOMPARE(retained->payload, subscriber.messagesOn(configTopic).at(0).payload);
    QVERIFY(finishAndWait(publisher));
}

void TestPublishBroker::discoveryOncePerItemBeforeItsFirstValue() {
    const QString name = QStringLiteral("once");
    MqttSubscriber subscriber(broker.port(),
                              {QStringLiteral("custom/ha/#"), QStringLiteral("powerclamp/once/state")});
    QVERIFY(subscriber.waitSubscribed());
    PublishSettings settings = settingsFor(broker.port(), name);
    settings.mqtt->discoveryPrefix = QStringLiteral("custom/ha");
    ReadingsPublisher publisher(settings);
    Notices notices(publisher);
    QString error;
    QVERIFY(publisher.start(&error));
    QVERIFY(notices.waitForConnections(1));
    // U1 first shows an overload, whose unit says nothing; TIME is no sensor.
    publisher.takeAnswer(FirstAnswer,
                         {{"U1", " 999.9", "OL."}, {"I1", " 1.000", "A"}, {"TIME", "12:34", "mins"}});
    publisher.takeAnswer(FirstAnswer.addMSecs(1500), {{"U1", " 230.0", "V"}, {"I1", " 1.001", "A"}});
    publisher.takeAnswer(FirstAnswer.addMSecs(3000),
                         {{"U1", " 230.1", "V"}, {"I1", " 1.002", "A"}, {"P1", "  0.23", "KW"}});
    QVERIFY(subscriber.waitForCount(QStringLiteral("powerclamp/once/state"), 3));

    QStringList order; // "state" or the config's key, as they arrived
    std::vector<QJsonObject> devices;
    for (const ReceivedMessage &message : subscriber.messages()) {
        if (message.topic.endsWith(QLatin1String("/state"))) {
            order << QStringLiteral("state");
            continue;
        }
        QVERIFY2(message.topic.startsWith(QLatin1String("custom/ha/sensor/once/")),
                 qPrintable(message.topic));
        order << message.topic.section(u'/', 4, 4);
        devices.push_back(jsonObject(message.payload).value("device").toObject());
    }
    // Each item's config once, ahead of the first state message that has a value for it.
    QCOMPARE(order, (QStringList{"i1", "state", "u1", "state", "p1", "state"}));
    for (const QJsonObject &device : devices)
        QCOMPARE(device, devices.front());
    QVERIFY(finishAndWait(publisher));
}

void TestPublishBroker::topicPrefixesAndDiscoveryOff() {
    MqttSubscriber subscriber(broker.port(), {QStringLiteral("#")});
    QVERIFY(subscriber.waitSubscribed());
    PublishSettings settings = settingsFor(broker.port(), QStringLiteral("bench-2"));
    settings.mqtt->topicPrefix = QStringLiteral("site/floor1");
    settings.mqtt->discoveryPrefix.clear();
    ReadingsPublisher publisher(settings);
    QString error;
    QVERIFY(publisher.start(&error));
    publisher.takeAnswer(FirstAnswer, {{"U1", " 230.1", "V"}});
    QVERIFY(subscriber.waitForCount(QStringLiteral("site/floor1/bench-2/state"), 1));
    QVERIFY(subscriber.waitForCount(QStringLiteral("site/floor1/bench-2/availability"), 1));
    QVERIFY(finishAndWait(publisher));
    for (const ReceivedMessage &message : subscriber.messages())
        QVERIFY2(!message.topic.contains(QLatin1String("/bench-2/")) ||
                     !message.topic.endsWith(QLatin1String("/config")),
                 qPrintable(message.topic));
}

void TestPublishBroker::stateMessagesInOrderAtQos1() {
    const QString topic = QStringLiteral("powerclamp/order/state");
    MqttSubscriber subscriber(broker.port(), {topic});
    QVERIFY(subscriber.waitSubscribed());
    ReadingsPublisher publisher(settingsFor(broker.port(), QStringLiteral("order")));
    QString error;
    QVERIFY(publisher.start(&error));
    publisher.takeAnswer(FirstAnswer, {{"U1", " 230.1", "V"},
                                       {"I1", "   500", "mA"},
                                       {"P", "  1.20", "KW"},
                                       {"PF1", "0.98", " "},
                                       {"U2", " 999.9", "OL."},
                                       {"TIME", "12:34", "mins"}});
    constexpr int Answers = 50;
    for (int number = 1; number < Answers; ++number)
        publisher.takeAnswer(FirstAnswer.addSecs(number), {{"U1", QString::number(number), "V"}});
    QVERIFY(subscriber.waitForCount(topic, Answers));
    const std::vector<ReceivedMessage> messages = subscriber.messagesOn(topic);
    QCOMPARE(messages.front().payload, QByteArray(R"({"time":"2026-12-10T14:03:07.250+01:00","u1":230.1,)"
                                                  R"("i1":0.500,"p":1200,"pf1":0.98,"u2":null})"));
    std::vector<int> expected(Answers);
    std::iota(expected.begin(), expected.end(), 0);
    expected.front() = -1; // 230.1 is not one of the numbered answers
    QCOMPARE(answerNumbers(messages), expected);
    for (const ReceivedMessage &message : messages) {
        QCOMPARE(message.qos, 1);
        QVERIFY(!message.retained);
    }
    QVERIFY(finishAndWait(publisher));
}

void TestPublishBroker::availabilityThroughLinkLossAndCleanStop() {
    const QString topic = QStringLiteral("powerclamp/avail/availability");
    MqttSubscriber subscriber(broker.port(), {topic});
    QVERIFY(subscriber.waitSubscribed());
    ReadingsPublisher publisher(settingsFor(broker.port(), QStringLiteral("avail")));
    Notices notices(publisher);
    QString error;
    QVERIFY(publisher.start(&error));
    QVERIFY(notices.waitFor(QStringLiteral("connected")));
    publisher.takeLinkConnected();
    QVERIFY(subscriber.waitForCount(topic, 2));
    publisher.takeLinkLost();
    QVERIFY(subscriber.waitForCount(topic, 3));
    publisher.takeAnswer(FirstAnswer, {{"U1", " 230.1", "V"}}); // answering again
    QVERIFY(subscriber.waitForCount(topic, 4));
    QCOMPARE(retainedMessage(broker.port(), topic).value_or(ReceivedMessage{}).payload, QByteArray("online"));
    QVERIFY(finishAndWait(publisher));
    QVERIFY(subscriber.waitForCount(topic, 5));

    QStringList payloads;
    for (const ReceivedMessage &message : subscriber.messagesOn(topic))
        payloads << QString::fromUtf8(message.payload);
    // Before the meter answers, the program runs but the meter is not available.
    QCOMPARE(payloads, (QStringList{"offline", "online", "offline", "online", "offline"}));
    QCOMPARE(retainedMessage(broker.port(), topic).value_or(ReceivedMessage{}).payload,
             QByteArray("offline"));
}

void TestPublishBroker::willWhenTheProcessIsKilled() {
    const QString topic = QStringLiteral("powerclamp/killed/availability");
    MqttSubscriber subscriber(broker.port(), {topic, QStringLiteral("powerclamp/killed/state")});
    QVERIFY(subscriber.waitSubscribed());
    QProcess driver;
    driver.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    driver.start(QStringLiteral(PUBLISH_DRIVER_PATH),
                 {QStringLiteral("--mqtt"), QStringLiteral("127.0.0.1:%1").arg(broker.port()),
                  QStringLiteral("--name"), QStringLiteral("killed")});
    QVERIFY(driver.waitForStarted());
    driver.write("connected\nanswer 230.1\n");
    QVERIFY(subscriber.waitForCount(QStringLiteral("powerclamp/killed/state"), 1));
    QVERIFY(subscriber.waitFor([&](const std::vector<ReceivedMessage> &) {
        const std::vector<ReceivedMessage> availability = subscriber.messagesOn(topic);
        return !availability.empty() && availability.back().payload == "online";
    }));

    ::kill(pid_t(driver.processId()), SIGKILL);
    QVERIFY(driver.waitForFinished());
    QCOMPARE(driver.exitStatus(), QProcess::CrashExit);
    QVERIFY2(subscriber.waitFor([&](const std::vector<ReceivedMessage> &) {
        return subscriber.messagesOn(topic).back().payload == "offline";
    }),
             "no will after the kill");
    QCOMPARE(retainedMessage(broker.port(), topic).value_or(ReceivedMessage{}).payload,
             QByteArray("offline"));
}

void TestPublishBroker::brokerOutageLosesNothing_data() {
    QTest::addColumn<int>("before");   // answers before the broker stops
    QTest::addColumn<int>("during");   // answers while it is away
    QTest::addColumn<int>("after");    // answers after it is back
    QTest::addColumn<int>("capacity"); // of the publisher's queue
    QTest::addColumn<bool>("settled"); // all answers before the stop were received
    QTest::newRow("broker stops mid-stream") << 40 << 60 << 10 << 3600 << false;
    QTest::newRow("broker away from the start") << 0 << 30 << 10 << 3600 << false;
    QTest::newRow("queue overflows, oldest dropped") << 10 << 40 << 5 << 15 << true;
}

void TestPublishBroker::brokerOutageLosesNothing() {
    QFETCH(int, before);
    QFETCH(int, during);
    QFETCH(int, after);
    QFETCH(int, capacity);
    QFETCH(bool, settled);
    MosquittoBroker outageBroker({true, false, {}, {}});
    QString error = outageBroker.start();
    QVERIFY2(error.isEmpty(), qPrintable(error));
    const QString topic = QStringLiteral("powerclamp/outage/state");
    // A persistent session: the broker keeps what arrives for the subscriber while it reconnects.
    MqttSubscriber subscriber(
        outageBroker.port(), {topic},
        {QStringLiteral("outage-%1").arg(QTest::currentDataTag()).left(23), true, {}, {}});
    QVERIFY(subscriber.waitSubscribed());
    if (before == 0)
        outageBroker.stop();

    PublishSettings settings = settingsFor(outageBroker.port(), QStringLiteral("outage"));
    settings.mqtt->queueCapacity = size_t(capacity);
    ReadingsPublisher publisher(settings);
    Notices notices(publisher);
    QVERIFY(publisher.start(&error));
    int number = 0;
    const auto answer = [&] {
        publisher.takeAnswer(FirstAnswer.addSecs(number), {{"U1", QString::number(number), "V"}});
        ++number;
        QTest::qWait(10);
    };
    if (before > 0) {
        QVERIFY(notices.waitForConnections(1));
        for (int count = 0; count < before; ++count)
            answer();
        if (settled)
            QVERIFY(subscriber.waitForCount(topic, size_t(before)));
        outageBroker.stop();
    }
    for (int count = 0; count < during; ++count)
        answer();
    error = outageBroker.start();
    QVERIFY2(error.isEmpty(), qPrintable(error));
    // Back on the broker before the last answers, so none of them counts against the queue.
    QVERIFY2(notices.waitForConnections(before > 0 ? 2 : 1), qPrintable(notices.texts.join(u'\n')));
    for (int count = 0; count < after; ++count)
        answer();

    const int last = number - 1;
    QVERIFY2(subscriber.waitFor(
                 [last](const std::vector<ReceivedMessage> &messages) {
                     const std::vector<int> numbers = answerNumbers(messages);
                     return std::find(numbers.begin(), numbers.end(), last) != numbers.end();
                 },
                 30000),
             qPrintable(notices.texts.join(u'\n')));
    // QoS 1 may deliver a message twice; each must come, in the order sent.
    std::vector<int> firstArrivals;
    for (const int received : answerNumbers(subscriber.messages()))
        if (std::find(firstArrivals.begin(), firstArrivals.end(), received) == firstArrivals.end())
            firstArrivals.push_back(received);
    std::vector<int> expected;
    const int kept = std::min(during, capacity);
    for (int sent = 0; sent < number; ++sent)
        if (sent < before || sent >= before + during - kept)
            expected.push_back(sent);
    QCOMPARE(firstArrivals, expected);
    if (during > capacity)
        QVERIFY2(notices.waitFor(QStringLiteral("%1 state messages were dropped").arg(during - capacity)),
                 qPrintable(notices.texts.join(u'\n')));
    QVERIFY(finishAndWait(publisher));
}

void TestPublishBroker::connectionCutWithMessagesInFlight() {
    const QString topic = QStringLiteral("powerclamp/cut/state");
    MqttSubscriber subscriber(broker.port(), {topic});
    QVERIFY(subscriber.waitSubscribed());
    FaultyLink link(broker.port());
    ReadingsPublisher publisher(settingsFor(link.port(), QStringLiteral("cut")));
    Notices notices(publisher);
    QString error;
    QVERIFY(publisher.start(&error));
    QVERIFY(notices.waitForConnections(1));
    int number = 0;
    const auto answers = [&](int count) {
        for (int sent = 0; sent < count; ++sent, ++number)
            publisher.takeAnswer(FirstAnswer.addSecs(number), {{"U1", QString::number(number), "V"}});
    };
    answers(10);
    QVERIFY(subscriber.waitForCount(topic, 10));
    // Sent, never acknowledged, never arrived: only sending them again saves them.
    link.loseClientBytes(true);
    answers(10);
    QTest::qWait(300);
    link.cutEveryConnection();
    link.loseClientBytes(false);
    QVERIFY(notices.waitForConnections(2));
    answers(5);
    QVERIFY2(subscriber.waitForCount(topic, 25), qPrintable(notices.texts.join(u'\n')));
    std::vector<int> expected(25);
    std::iota(expected.begin(), expected.end(), 0);
    QCOMPARE(answerNumbers(subscriber.messagesOn(topic)), expected);
    QVERIFY(finishAndWait(publisher));
}

void TestPublishBroker::tlsVerifiesTheBroker_data() {
    QTest::addColumn<bool>("rightCa");
    QTest::newRow("the CA that signed the broker") << true;
    QTest::newRow("another CA") << false;
}

void TestPublishBroker::tlsVerifiesTheBroker() {
    QFETCH(bool, rightCa);
    MosquittoBroker tlsBroker({false, true, {}, {}});
    const QString error = tlsBroker.start();
    QVERIFY2(error.isEmpty(), qPrintable(error));
    const QString topic = QStringLiteral("powerclamp/tls/state");
    MqttSubscriber subscriber(tlsBroker.port(), {topic}); // on the plain listener
    QVERIFY(subscriber.waitSubscribed());
    PublishSettings settings = settingsFor(tlsBroker.tlsPort(), QStringLiteral("tls"));
    settings.mqtt->caFile = rightCa ? tlsBroker.caFile() : tlsBroker.otherCaFile();
    ReadingsPublisher publisher(settings);
    Notices notices(publisher);
    QString startError;
    QVERIFY(publisher.start(&startError));
    publisher.takeAnswer(FirstAnswer, {{"U1", " 230.1", "V"}});
    if (rightCa) {
        QVERIFY2(subscriber.waitForCount(topic, 1), qPrintable(notices.texts.join(u'\n') + tlsBroker.log()));
    } else {
        QVERIFY(notices.waitFor(QStringLiteral("cannot connect")));
        QVERIFY2(notices.texts.join(u'\n').contains(QStringLiteral("certificate verify failed")),
                 qPrintable(notices.texts.join(u'\n')));
        QTest::qWait(300);
        QVERIFY(subscriber.messagesOn(topic).empty());
    }
}

void TestPublishBroker::credentials_data() {
    QTest::addColumn<QString>("password");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("right password") << "s3cret-Pa55" << true;
    QTest::newRow("wrong password") << "Wr0ng-Pa55" << false;
}

void TestPublishBroker::credentials() {
    QFETCH(QString, password);
    QFETCH(bool, accepted);
    MosquittoBroker closedBroker({false, false, QStringLiteral("meter"), QStringLiteral("s3cret-Pa55")});
    const QString error = closedBroker.start();
    QVERIFY2(error.isEmpty(), qPrintable(error));
    const QString topic = QStringLiteral("powerclamp/login/state");
    MqttSubscriber subscriber(closedBroker.port(), {topic},
                              {{}, false, QStringLiteral("meter"), QStringLiteral("s3cret-Pa55")});
    QVERIFY(subscriber.waitSubscribed());
    PublishSettings settings = settingsFor(closedBroker.port(), QStringLiteral("login"));
    settings.mqtt->user = QStringLiteral("meter");
    settings.mqtt->password = password.toUtf8();
    ReadingsPublisher publisher(settings);
    Notices notices(publisher);
    QString startError;
    QVERIFY(publisher.start(&startError));
    publisher.takeAnswer(FirstAnswer, {{"U1", " 230.1", "V"}});
    if (accepted) {
        QVERIFY2(subscriber.waitForCount(topic, 1), qPrintable(notices.texts.join(u'\n')));
    } else {
        QVERIFY(notices.waitFor(QStringLiteral("not authorised")));
        QVERIFY(subscriber.messagesOn(topic).empty());
    }
    QVERIFY(!notices.texts.join(u'\n').contains(password));
}

QTEST_GUILESS_MAIN(TestPublishBroker)
#include "tst_publish_broker.moc"
