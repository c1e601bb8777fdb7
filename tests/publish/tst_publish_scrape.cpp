// The metrics endpoint over real HTTP: scraped and parsed by Prometheus' own Python client,
// other paths and methods refused, the loopback address by default, a taken port reported.
#include "publish/MetricsServer.h"
#include "publish/ReadingsPublisher.h"
#include "support/PrometheusScrape.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

namespace {

PublishSettings metricsOnly(uint16_t port = 0) {
    PublishSettings settings;
    settings.meterName = QStringLiteral("bench");
    settings.metrics = MetricsSettings{};
    settings.metrics->port = port;
    return settings;
}

QUrl urlOf(uint16_t port, const QString &path) {
    return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(QString::number(port), path));
}

} // namespace

class TestPublishScrape : public QObject {
    Q_OBJECT
private slots:
    void parsedByPrometheusClient();
    void otherPathsAndMethods_data();
    void otherPathsAndMethods();
    void loopbackUnlessAnAddressIsGiven_data();
    void loopbackUnlessAnAddressIsGiven();
    void portTaken();
};

void TestPublishScrape::parsedByPrometheusClient() {
    ReadingsPublisher publisher(metricsOnly());
    QString error;
    QVERIFY2(publisher.start(&error), qPrintable(error));
    const QDateTime now = QDateTime::currentDateTime();
    publisher.takeLinkConnected();
    publisher.takeAnswer(now.addMSecs(-1500), {{"U1", " 229.9", "V"}, {"P1", "  0.45", "KW"}});
    publisher.takeTimeout();
    publisher.takeTimeout();
    publisher.takeAnswer(now, {{"U1", " 230.1", "V"},
                               {"I1", "   512", "mA"},
                               {"PF1", "0.98", " "},
                               {"U2", " 999.9", "OL."},
                               {"TIME", "12:34", "mins"}});

    const QJsonObject scrape = scrapedByPrometheusClient(*publisher.metricsPort(), &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QCOMPARE(scrape.value("status").toInt(), 200);
    QCOMPARE(scrape.value("content_type").toString(),
             QStringLiteral("text/plain; version=0.0.4; charset=utf-8"));

    const struct {
        const char *family;
        const char *type;
    } families[] = {{"powerclamp_reading", "gauge"},
                    {"powerclamp_link_up", "gauge"},
                    {"powerclamp_answers", "counter"}, // the parser names a counter without _total
                    {"powerclamp_timeouts", "counter"},
                    {"powerclamp_last_answer_timestamp_seconds", "gauge"}};
    QCOMPARE(scrape.value("families").toArray().size(), qsizetype(std::size(families)));
    for (const auto &expected : families) {
        const QJsonObject family = familyNamed(scrape, QLatin1String(expected.family));
        QVERIFY2(!family.isEmpty(), expected.family);
        QCOMPARE(family.value("type").toString(), QLatin1String(expected.type));
        QVERIFY2(!family.value("help").toString().isEmpty(), expected.family);
        for (const QJsonValue &sample : family.value("samples").toArray())
            QCOMPARE(sample.toObject().value("labels").toObject().value("meter").toString(),
                     QStringLiteral("bench"));
    }

    QMap<QString, double> readings; // "item unit" → value
    for (const QJsonValue &sample : familyNamed(scrape, "powerclamp_reading").value("samples").toArray()) {
        const QJsonObject labels = sample.toObject().value("labels").toObject();
        readings.insert(labels.value("item").toString() + u' ' + labels.value("unit").toString(),
                        sample.toObject().value("value").toDouble());
    }
    // P1 was shown 1.5 s ago; U2 is overloaded and TIME is no reading.
    const QMap<QString, double> expectedReadings{
        {"U1 V", 230.1}, {"P1 W", 450.0}, {"I1 A", 0.512}, {"PF1 ", 0.98}};
    QCOMPARE(readings, expectedReadings);
    const auto onlyValue = [&scrape](const char *family) {
        const QJsonArray samples = familyNamed(scrape, QLatin1String(family)).value("samples").toArray();
        return samples.size() == 1 ? samples.at(0).toObject().value("value").toDouble() : -1.0;
    };
    QCOMPARE(onlyValue("powerclamp_link_up"), 1.0);
    QCOMPARE(onlyValue("powerclamp_answers"), 2.0);
    QCOMPARE(onlyValue("powerclamp_timeouts"), 2.0);
    QCOMPARE(onlyValue("powerclamp_last_answer_timestamp_seconds"), double(now.toMSecsSinceEpoch()) / 1000);
}

void TestPublishScrape::otherPathsAndMethods_data() {
    QTest::addColumn<QByteArray>("method");
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("status");
    QTest::newRow("GET /metrics") << QByteArray("GET") << "/metrics" << 200;
    QTest::newRow("GET /metrics with a query") << QByteArray("GET") << "/metrics?name=x" << 200;
    QTest::newRow("GET /") << QByteArray("GET") << "/" << 404;
    QTest::newRow("GET /metrics/") << QByteArray("GET") << "/metrics/" << 404;
    QTest::newRow("GET /metricsx") << QByteArray("GET") << "/metricsx" << 404;
    QTest::newRow("POST /metrics") << QByteArray("POST") << "/metrics" << 405;
    QTest::newRow("PUT /metrics") << QByteArray("PUT") << "/metrics" << 405;
    QTest::newRow("DELETE /metrics") << QByteArray("DELETE") << "/metrics" << 405;
    QTest::newRow("POST elsewhere") << QByteArray("POST") << "/other" << 404;
}

void TestPublishScrape::otherPathsAndMethods() {
    QFETCH(QByteArray, method);
    QFETCH(QString, path);
    QFETCH(int, status);
    MeterMetrics metrics(QStringLiteral("m"));
    MetricsServer server(metrics);
    QString error;
    const std::optional<uint16_t> port = server.start(QHostAddress::LocalHost, 0, &error);
    QVERIFY2(port, qPrintable(error));
    QNetworkAccessManager network;
    QNetworkReply *reply =
        network.sendCustomRequest(QNetworkRequest(urlOf(*port, path)), method, QByteArray("x"));
    QVERIFY(QTest::qWaitFor([reply] { return reply->isFinished(); }, 10000));
    QCOMPARE(reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), status);
    if (status == 200)
        QVERIFY(reply->readAll().contains("# TYPE powerclamp_link_up gauge\n"));
    if (status == 405)
        QCOMPARE(reply->rawHeader("Allow"), QByteArray("GET"));
    delete reply;
}

void TestPublishScrape::loopbackUnlessAnAddressIsGiven_data() {
    QTest::addColumn<bool>("addressGiven");
    QTest::addColumn<bool>("reachedOnAnotherAddress");
    QTest::newRow("no address: 127.0.0.1 only") << false << false;
    QTest::newRow("0.0.0.0 given") << true << true;
}

void TestPublishScrape::loopbackUnlessAnAddressIsGiven() {
    QFETCH(bool, addressGiven);
    QFETCH(bool, reachedOnAnotherAddress);
    PublishSettings settings = metricsOnly();
    if (addressGiven)
        settings.metrics->address = QHostAddress(QHostAddress::AnyIPv4);
    ReadingsPublisher publisher(settings);
    QString error;
    QVERIFY2(publisher.start(&error), qPrintable(error));
    // 127.0.0.2 is loopback too, but a socket bound to 127.0.0.1 does not take its connections.
    QTcpSocket socket;
    socket.connectToHost(QHostAddress(QStringLiteral("127.0.0.2")), *publisher.metricsPort());
    QVERIFY(QTest::qWaitFor(
        [&socket] {
            return socket.state() != QAbstractSocket::ConnectingState &&
                   socket.state() != QAbstractSocket::HostLookupState;
        },
        5000));
    QCOMPARE(socket.state() == QAbstractSocket::ConnectedState, reachedOnAnotherAddress);
}

void TestPublishScrape::portTaken() {
    QTcpServer holder;
    QVERIFY(holder.listen(QHostAddress::LocalHost, 0));
    ReadingsPublisher publisher(metricsOnly(holder.serverPort()));
    QString error;
    QVERIFY(!publisher.start(&error));
    QVERIFY2(
        error.contains(QStringLiteral("cannot serve metrics on 127.0.0.1 port %1").arg(holder.serverPort())),
        qPrintable(error));
}

QTEST_GUILESS_MAIN(TestPublishScrape)
#include "tst_publish_scrape.moc"
