// The publishing options on a command line: what each gives, their defaults, and a clear reason
// for every value that cannot be used.
#include "publish/PublishOptions.h"

#include <QTemporaryDir>
#include <QTest>

namespace {

// Everything the settings hold, in one line to compare.
QString summary(const PublishSettings &settings) {
    QStringList parts{QStringLiteral("name=") + settings.meterName};
    if (const std::optional<MqttSettings> &mqtt = settings.mqtt)
        parts << QStringLiteral("mqtt=%1:%2 user=%3 password=%4 ca=%5 prefix=%6 ha=%7")
                     .arg(mqtt->host, QString::number(mqtt->port), mqtt->user,
                          QString::fromUtf8(mqtt->password), QFileInfo(mqtt->caFile).fileName(),
                          mqtt->topicPrefix, mqtt->discoveryPrefix);
    if (const std::optional<MetricsSettings> &metrics = settings.metrics)
        parts << QStringLiteral("metrics=%1 %2")
                     .arg(metrics->address.toString(), QString::number(metrics->port));
    return parts.join(u' ');
}

} // namespace

class TestPublishOptions : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void settings_data();
    void settings();

private:
    QTemporaryDir files;
};

void TestPublishOptions::initTestCase() {
    const auto write = [this](const char *name, const QByteArray &content) {
        QFile file(files.filePath(QLatin1String(name)));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(content), content.size());
    };
    write("password", "s3cret\n");
    write("password-crlf", "s3 cret\r\nnot this line\n");
    write("password-bare", "s3cret");
    write("ca.crt", "-----BEGIN CERTIFICATE-----\n");
}

void TestPublishOptions::settings_data() {
    QTest::addColumn<QStringList>("arguments"); // DIR stands for the folder of the test's files
    QTest::addColumn<QString>("expected");      // the summary, or the error's text
    const QString mqttDefaults = QStringLiteral("password= ca= prefix=powerclamp ha=homeassistant");
    QTest::newRow("none: nothing published") << QStringList{} << "name=powerclamp";
    QTest::newRow("a host: the default port")
        << QStringList{"--mqtt", "broker.local"}
        << "name=powerclamp mqtt=broker.local:1883 user= " + mqttDefaults;
    QTest::newRow("a host and port") << QStringList{"--mqtt", "10.0.0.5:8883", "--name", "Bench_2-b"}
                                     << "name=Bench_2-b mqtt=10.0.0.5:8883 user= " + mqttDefaults;
    QTest::newRow("IPv6 in brackets")
        << QStringList{"--mqtt", "[::1]:1884"} << "name=powerclamp mqtt=::1:1884 user= " + mqttDefaults;
    QTest::newRow("everything")
        << QStringList{"--mqtt",
                       "b",
                       "--mqtt-user",
                       "meter",
                       "--mqtt-password-file",
                       "DIR/password",
                       "--mqtt-ca",
                       "DIR/ca.crt",
                       "--mqtt-prefix",
                       "site/floor1",
                       "--ha-prefix",
                       "ha",
                       "--metrics",
                       "9100",
                       "--name",
                       "m1"}
        << "name=m1 mqtt=b:1883 user=meter password=s3cret ca=ca.crt prefix=site/floor1 ha=ha "
           "metrics=127.0.0.1 9100";
    QTest::newRow("password: first line only, line end dropped")
        << QStringList{"--mqtt", "b", "--mqtt-user", "u", "--mqtt-password-file", "DIR/password-crlf"}
        << "name=powerclamp mqtt=b:1883 user=u password=s3 cret ca= prefix=powerclamp ha=homeassistant";
    QTest::newRow("password without a line end")
        << QStringList{"--mqtt", "b", "--mqtt-user", "u", "--mqtt-password-file", "DIR/password-bare"}
        << "name=powerclamp mqtt=b:1883 user=u password=s3cret ca= prefix=powerclamp ha=homeassistant";
    QTest::newRow("discovery off") << QStringList{"--mqtt", "b", "--ha-prefix", ""}
                                   << "name=powerclamp mqtt=b:1883 user= password= ca= prefix=powerclamp ha=";
    QTest::newRow("metrics alone, on every address")
        << QStringList{"--metrics", "0.0.0.0:9100"} << "name=powerclamp metrics=0.0.0.0 9100";
    QTest::newRow("metrics on IPv6") << QStringList{"--metrics", "[::1]:9100"}
                                     << "name=powerclamp metrics=::1 9100";

    QTest::newRow("name with a space") << QStringList{"--name", "my meter"}
                                       << "--name 'my meter' may hold only letters, digits, '_' and '-'";
    QTest::newRow("name with a slash")
        << QStringList{"--name", "a/b"} << "--name 'a/b' may hold only letters, digits, '_' and '-'";
    QTest::newRow("name not ASCII") << QStringList{"--name", "z\u00E4hler"}
                                    << "may hold only letters, digits, '_' and '-'";
    QTest::newRow("empty name") << QStringList{"--name", ""} << "--name '' may hold only";
    QTest::newRow("MQTT port 0") << QStringList{"--mqtt", "b:0"} << "--mqtt wants HOST[:PORT]";
    QTest::newRow("MQTT port too big") << QStringList{"--mqtt", "b:65536"} << "not 'b:65536'";
    QTest::newRow("MQTT port not a number") << QStringList{"--mqtt", "b:x"} << "not 'b:x'";
    QTest::newRow("MQTT without a host") << QStringList{"--mqtt", ":1883"} << "not ':1883'";
    QTest::newRow("IPv6 without brackets") << QStringList{"--mqtt", "::1"} << "not '::1'";
    QTest::newRow("empty MQTT") << QStringList{"--mqtt", ""} << "--mqtt wants HOST[:PORT]";
    QTest::newRow("password file unreadable")
        << QStringList{"--mqtt", "b", "--mqtt-user", "u", "--mqtt-password-file", "DIR/missing"}
        << "cannot read the MQTT password file DIR/missing: ";
    QTest::newRow("password without user")
        << QStringList{"--mqtt", "b", "--mqtt-password-file", "DIR/password"}
        << "--mqtt-password-file needs --mqtt-user";
    QTest::newRow("empty user") << QStringList{"--mqtt", "b", "--mqtt-user", ""}
                                << "--mqtt-user names no user";
    QTest::newRow("CA unreadable") << QStringList{"--mqtt", "b", "--mqtt-ca", "DIR/missing.crt"}
                                   << "cannot read the CA file DIR/missing.crt: ";
    QTest::newRow("prefix with a wildcard") << QStringList{"--mqtt", "b", "--mqtt-prefix", "a/+/b"}
                                            << "--mqtt-prefix 'a/+/b' must not hold '+', '#'";
    QTest::newRow("prefix ending in /") << QStringList{"--mqtt", "b", "--mqtt-prefix", "a/"}
                                        << "--mqtt-prefix 'a/' must not begin or end with '/'";
    QTest::newRow("empty prefix") << QStringList{"--mqtt", "b", "--mqtt-prefix", ""}
                                  << "--mqtt-prefix must not be empty";
    QTest::newRow("discovery prefix with #")
        << QStringList{"--mqtt", "b", "--ha-prefix", "ha/#"} << "--ha-prefix 'ha/#' must not hold";
    QTest::newRow("MQTT options without --mqtt")
        << QStringList{"--mqtt-user", "u"} << "--mqtt-user needs --mqtt";
    QTest::newRow("discovery prefix without --mqtt")
        << QStringList{"--ha-prefix", ""} << "--ha-prefix needs --mqtt";
    QTest::newRow("metrics port 0") << QStringList{"--metrics", "0"} << "--metrics wants [ADDRESS:]PORT";
    QTest::newRow("metrics port too big")
        << QStringList{"--metrics", "127.0.0.1:70000"} << "not '127.0.0.1:70000'";
    QTest::newRow("metrics on a host name")
        << QStringList{"--metrics", "localhost:9100"} << "not 'localhost:9100'";
    QTest::newRow("metrics without a port") << QStringList{"--metrics", "127.0.0.1"} << "not '127.0.0.1'";
}

void TestPublishOptions::settings() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, expected);
    for (QString &argument : arguments)
        argument.replace(QLatin1String("DIR"), files.path());
    expected.replace(QLatin1String("DIR"), files.path());
    QCommandLineParser parser;
    addPublishOptions(parser);
    QVERIFY2(parser.parse(QStringList{"powerclamp-cli"} + arguments), qPrintable(parser.errorText()));
    QString error;
    const std::optional<PublishSettings> settings = publishSettings(parser, &error);
    if (settings) {
        QVERIFY(error.isEmpty());
        QCOMPARE(summary(*settings), expected);
    } else {
        QVERIFY2(error.contains(expected), qPrintable(error));
        QVERIFY2(!error.contains(QLatin1String("s3cret")), qPrintable(error));
    }
}

QTEST_GUILESS_MAIN(TestPublishOptions)
#include "tst_publish_options.moc"
