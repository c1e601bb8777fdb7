// What goes over MQTT, as pure functions: readings as the network carries them, the state
// message byte for byte, the device class of every kind of reading, Home Assistant's config.
#include "publish/Discovery.h"
#include "publish/StateMessage.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

Q_DECLARE_METATYPE(ShownReading)
Q_DECLARE_METATYPE(std::vector<ShownReading>)

namespace {

const QDateTime AnswerTime(QDate(2026, 12, 10), QTime(14, 3, 7, 250), Qt::OffsetFromUTC, 3600);

// key=number or key=- for null, unit after a slash where known: "u1=230.1/V"
QStringList described(const std::vector<PublishedReading> &readings) {
    QStringList texts;
    for (const PublishedReading &reading : readings)
        texts << reading.key + u'=' + reading.number.value_or(QStringLiteral("-")) +
                     (reading.baseUnit ? u'/' + *reading.baseUnit : QString());
    return texts;
}

} // namespace

class TestPublishMessages : public QObject {
    Q_OBJECT
private slots:
    void publishedReadings_data();
    void publishedReadings();
    void stateMessages_data();
    void stateMessages();
    void sensorClasses_data();
    void sensorClasses();
    void discoveryConfig();
    void noDiscoveryWithoutUnitOrPlainKey_data();
    void noDiscoveryWithoutUnitOrPlainKey();
};

void TestPublishMessages::publishedReadings_data() {
    QTest::addColumn<std::vector<ShownReading>>("shown");
    QTest::addColumn<QStringList>("published");
    QTest::newRow("base units") << std::vector<ShownReading>{{"U1", " 230.1", "V"},
                                                             {"I1", "   512", "mA"},
                                                             {"P", "  1.20", "KW"},
                                                             {"W", " 12.34", "KWh"}}
                                << QStringList{"u1=230.1/V", "i1=0.512/A", "p=1200/W", "w=12340/Wh"};
    QTest::newRow("keys in lower case")
        << std::vector<ShownReading>{{"F_U1", " 50.00", "Hz"}, {"PF", "-0.87", " "}}
        << QStringList{"f_u1=50.00/Hz", "pf=-0.87/"};
    QTest::newRow("time readings left out") << std::vector<ShownReading>{{"TIME", "12:34", "mins"},
                                                                         {"U1", " 230.1", "V"},
                                                                         {"TIME", "01:02", "hmin"}}
                                            << QStringList{"u1=230.1/V"};
    QTest::newRow("overload: no number, no unit")
        << std::vector<ShownReading>{{"U1", " 999.9", "OL."}} << QStringList{"u1=-"};
    QTest::newRow("not a number") << std::vector<ShownReading>{{"U1", " --.- ", "V"}, {"I1", "1 2", "A"}}
                                  << QStringList{"u1=-/V", "i1=-/A"};
    QTest::newRow("a unit the meter does not have")
        << std::vector<ShownReading>{{"?60", "  12", "?30"}} << QStringList{"?60=-"};
    QTest::newRow("an item twice: the first counts")
        << std::vector<ShownReading>{{"U1", " 230.1", "V"}, {"U1", " 231.0", "V"}}
        << QStringList{"u1=230.1/V"};
    QTest::newRow("no readings") << std::vector<ShownReading>{} << QStringList{};
}

void TestPublishMessages::publishedReadings() {
    QFETCH(std::vector<ShownReading>, shown);
    QFETCH(QStringList, published);
    QCOMPARE(described(::publishedReadings(shown)), published);
}

void TestPublishMessages::stateMessages_data() {
    QTest::addColumn<std::vector<ShownReading>>("shown");
    QTest::addColumn<QByteArray>("message");
    QTest::newRow("four readings") << std::vector<ShownReading>{{"U1", " 230.1", "V"},
                                                                {"I1", "   512", "mA"},
                                                                {"P1", "  1.20", "KW"},
                                                                {"PF1", "0.98", " "}}
                                   << QByteArray(R"({"time":"2026-12-10T14:03:07.250+01:00",)"
                                                 R"("u1":230.1,"i1":0.512,"p1":1200,"pf1":0.98})");
    QTest::newRow("overload and time") << std::vector<ShownReading>{{"TIME", "12:34", "mins"},
                                                                    {"U1", " 999.9", "OL."},
                                                                    {"U2", "-230.0", "V"}}
                                       << QByteArray(R"({"time":"2026-12-10T14:03:07.250+01:00",)"
                                                     R"("u1":null,"u2":-230.0})");
    QTest::newRow("only a time") << std::vector<ShownReading>{{"TIME", "12:34", "mins"}}
                                 << QByteArray(R"({"time":"2026-12-10T14:03:07.250+01:00"})");
    QTest::newRow("a key that needs escaping") << std::vector<ShownReading>{{"A\"\\\n", "1", "V"}}
                                               << QByteArray(R"({"time":"2026-12-10T14:03:07.250+01:00",)"
                                                             R"("a\"\\\u000a":1})");
}

void TestPublishMessages::stateMessages() {
    QFETCH(std::vector<ShownReading>, shown);
    QFETCH(QByteArray, message);
    const QByteArray built = stateMessage(AnswerTime, ::publishedReadings(shown));
    QCOMPARE(built, message);
    QJsonParseError parseError;
    QJsonDocument::fromJson(built, &parseError);
    QCOMPARE(parseError.error, QJsonParseError::NoError);
}

void TestPublishMessages::sensorClasses_data() {
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("baseUnit");
    QTest::addColumn<QString>("deviceClass");
    QTest::addColumn<QString>("stateClass");
    const QString measurement = QStringLiteral("measurement");
    QTest::newRow("V") << "U1"
                       << "V"
                       << "voltage" << measurement;
    QTest::newRow("V, direct") << "DCU"
                               << "V"
                               << "voltage" << measurement;
    QTest::newRow("A") << "I"
                       << "A"
                       << "current" << measurement;
    QTest::newRow("W") << "P"
                       << "W"
                       << "power" << measurement;
    QTest::newRow("var") << "Q1"
                         << "var"
                         << "reactive_power" << measurement;
    QTest::newRow("VA") << "S"
                        << "VA"
                        << "apparent_power" << measurement;
    QTest::newRow("Wh") << "W1"
                        << "Wh"
                        << "energy"
                        << "total_increasing";
    QTest::newRow("Hz") << "F_I"
                        << "Hz"
                        << "frequency" << measurement;
    for (const char *powerFactor : {"PF1", "PF2", "PF3", "PF"})
        QTest::newRow(powerFactor) << powerFactor << ""
                                   << "power_factor" << measurement;
    QTest::newRow("ohms") << "R1"
                          << "\u03A9"
                          << "" << measurement;
    QTest::newRow("degrees") << "U1I"
                             << "\u00B0"
                             << "" << measurement;
    QTest::newRow("no unit, not a power factor") << "U1U2"
                                                 << ""
                                                 << "" << measurement;
}

void TestPublishMessages::sensorClasses() {
    QFETCH(QString, item);
    QFETCH(QString, baseUnit);
    QFETCH(QString, deviceClass);
    QFETCH(QString, stateClass);
    const SensorClass sensor = sensorClassOf(item, baseUnit);
    QCOMPARE(sensor.deviceClass, deviceClass);
    QCOMPARE(sensor.stateClass, stateClass);
}

void TestPublishMessages::discoveryConfig() {
    const MeterTopics topics = meterTopics(QStringLiteral("site/a"), QStringLiteral("bench"));
    QCOMPARE(topics.state, QStringLiteral("site/a/bench/state"));
    QCOMPARE(topics.availability, QStringLiteral("site/a/bench/availability"));
    const DeviceInfo device{QStringLiteral("Model X"), QStringLiteral("9.8.7")};
    const std::optional<DiscoveryMessage> message =
        discoveryMessage(QStringLiteral("ha"), QStringLiteral("bench"), topics, device,
                         ::publishedReadings({{"PF2", "0.50", " "}}).at(0));
    QVERIFY(message);
    QCOMPARE(message->topic, QStringLiteral("ha/sensor/bench/pf2/config"));
    const QJsonObject expected = QJsonDocument::fromJson(R"({
        "name": "PF2", "unique_id": "bench_pf2", "state_topic": "site/a/bench/state",
        "value_template": "{{ value_json.pf2 }}", "availability_topic": "site/a/bench/availability",
        "device_class": "power_factor", "state_class": "measurement",
        "device": {"identifiers": ["powerclamp_bench"], "name": "bench", "model": "Model X", "sw_version": "9.8.7"}
    })")
                                     .object();
    QCOMPARE(QJsonDocument::fromJson(message->payload).object(), expected);
}

void TestPublishMessages::noDiscoveryWithoutUnitOrPlainKey_data() {
    QTest::addColumn<ShownReading>("reading");
    QTest::newRow("overload") << ShownReading{"U1", " 999.9", "OL."};
    QTest::newRow("unknown unit") << ShownReading{"U1", "  12", "?30"};
    QTest::newRow("unknown item") << ShownReading{"?60", "  12", "V"};
    QTest::newRow("item beginning with a digit") << ShownReading{"1U", "  12", "V"};
}

void TestPublishMessages::noDiscoveryWithoutUnitOrPlainKey() {
    QFETCH(ShownReading, reading);
    const MeterTopics topics = meterTopics(QStringLiteral("powerclamp"), QStringLiteral("bench"));
    const std::vector<PublishedReading> published = ::publishedReadings({reading});
    QCOMPARE(published.size(), size_t(1));
    QVERIFY(!discoveryMessage(QStringLiteral("homeassistant"), QStringLiteral("bench"), topics, DeviceInfo{},
                              published.front()));
}

QTEST_GUILESS_MAIN(TestPublishMessages)
#include "tst_publish_messages.moc"
