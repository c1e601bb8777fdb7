#include "publish/PublishOptions.h"

#include <QFile>
#include <QRegularExpression>

namespace {

constexpr uint16_t DefaultMqttPort = 1883;

const QString Mqtt = QStringLiteral("mqtt");
const QString MqttUser = QStringLiteral("mqtt-user");
const QString MqttPasswordFile = QStringLiteral("mqtt-password-file");
const QString MqttCa = QStringLiteral("mqtt-ca");
const QString MqttPrefix = QStringLiteral("mqtt-prefix");
const QString Name = QStringLiteral("name");
const QString HaPrefix = QStringLiteral("ha-prefix");
const QString Metrics = QStringLiteral("metrics");

struct HostAndPort {
    QString host;
    std::optional<uint16_t> port;
};

std::optional<uint16_t> portNumber(const QString &text) {
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,5}$"));
    if (!digits.match(text).hasMatch())
        return std::nullopt;
    const uint number = text.toUInt();
    if (number < 1 || number > 65535)
        return std::nullopt;
    return uint16_t(number);
}

// "HOST", "HOST:PORT", "[IPV6]" or "[IPV6]:PORT"; nothing for another form or a port that is
// not 1 to 65535.
std::optional<HostAndPort> splitHostAndPort(const QString &text) {
    static const QRegularExpression form(
        QStringLiteral("^(?:\\[(?<v6>[^\\]]+)\\]|(?<host>[^:\\[\\]\\s]+))(?::(?<port>[0-9]+))?$"));
    const QRegularExpressionMatch match = form.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    HostAndPort result{match.hasCaptured(u"v6") ? match.captured(u"v6") : match.captured(u"host"),
                       std::nullopt};
    if (match.hasCaptured(u"port")) {
        result.port = portNumber(match.captured(u"port"));
        if (!result.port)
            return std::nullopt;
    }
    return result;
}

QString topicProblem(const QString &option, const QString &topic) {
    if (topic.contains(u'+') || topic.contains(u'#') || topic.contains(QChar(0)))
        return QStringLiteral("--%1 '%2' must not hold '+', '#' or a NUL").arg(option, topic);
    if (topic.startsWith(u'/') || topic.endsWith(u'/') || topic.contains(QStringLiteral("//")))
        return QStringLiteral("--%1 '%2' must not begin or end with '/' or hold '//'").arg(option, topic);
    return {};
}

std::optional<QByteArray> readPassword(const QString &path, QString *error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read the MQTT password file %1: %2").arg(path, file.errorString());
        return std::nullopt;
    }
    // The first line, without its line end.
    QByteArray password = file.readLine();
    while (password.endsWith('\n') || password.endsWith('\r'))
        password.chop(1);
    return password;
}

std::optional<MqttSettings> mqttSettings(const QCommandLineParser &parser, QString *error) {
    MqttSettings mqtt;
    const QString broker = parser.value(Mqtt);
    const std::optional<HostAndPort> address = splitHostAndPort(broker);
    if (!address) {
        *error = QStringLiteral("--mqtt wants HOST[:PORT] with a port from 1 to 65535, for example "
                                "--mqtt broker.local:1883, not '%1'")
                     .arg(broker);
        return std::nullopt;
    }
    mqtt.host = address->host;
    mqtt.port = address->port.value_or(DefaultMqttPort);
    if (parser.isSet(MqttUser)) {
        mqtt.user = parser.value(MqttUser);
        if (mqtt.user.isEmpty()) {
            *error = QStringLiteral("--mqtt-user names no user");
            return std::nullopt;
        }
    }
    if (parser.isSet(MqttPasswordFile)) {
        if (mqtt.user.isEmpty()) {
            *error = QStringLiteral("--mqtt-password-file needs --mqtt-user");
            return std::nullopt;
        }
        const std::optional<QByteArray> password = readPassword(parser.value(MqttPasswordFile), error);
        if (!password)
            return std::nullopt;
        mqtt.password = *password;
    }
    if (parser.isSet(MqttCa)) {
        mqtt.caFile = parser.value(MqttCa);
        QFile ca(mqtt.caFile);
        if (!ca.open(QIODevice::ReadOnly)) {
            *error = QStringLiteral("cannot read the CA file %1: %2").arg(mqtt.caFile, ca.errorString());
            return std::nullopt;
        }
    }
    if (parser.isSet(MqttPrefix)) {
        mqtt.topicPrefix = parser.value(MqttPrefix);
        if (mqtt.topicPrefix.isEmpty()) {
            *error = QStringLiteral("--mqtt-prefix must not be empty");
            return std::nullopt;
        }
        if (const QString problem = topicProblem(MqttPrefix, mqtt.topicPrefix); !problem.isEmpty()) {
            *error = problem;
            return std::nullopt;
        }
    }
    if (parser.isSet(HaPrefix)) {
        mqtt.discoveryPrefix = parser.value(HaPrefix);
        if (const QString problem = topicProblem(HaPrefix, mqtt.discoveryPrefix); !problem.isEmpty()) {
            *error = problem;
            return std::nullopt;
        }
    }
    return mqtt;
}

std::optional<MetricsSettings> metricsSettings(const QString &text, QString *error) {
    MetricsSettings metrics;
    if (const std::optional<uint16_t> port = portNumber(text)) {
        metrics.port = *port;
        return metrics;
    }
    const std::optional<HostAndPort> address = splitHostAndPort(text);
    if (address && address->port && metrics.address.setAddress(address->host)) {
        metrics.port = *address->port;
        return metrics;
    }
    *error = QStringLiteral("--metrics wants [ADDRESS:]PORT with an IP address and a port from 1 to 65535, "
                            "for example --metrics 9100 or --metrics 0.0.0.0:9100, not '%1'")
                 .arg(text);
    return std::nullopt;
}

} // namespace

void addPublishOptions(QCommandLineParser &parser) {
    parser.addOptions({
        {Mqtt, QStringLiteral("Publish the readings to the MQTT broker at HOST (port 1883 unless given)."),
         QStringLiteral("HOST[:PORT]")},
        {MqttUser, QStringLiteral("Log in to the broker as NAME."), QStringLiteral("NAME")},
        {MqttPasswordFile, QStringLiteral("Read the broker password from the first line of FILE."),
         QStringLiteral("FILE")},
        {MqttCa,
         QStringLiteral("Connect to the broker over TLS and verify it against the CA certificate in FILE."),
         QStringLiteral("FILE")},
        {MqttPrefix, QStringLiteral("Publish under TOPIC/NAME/ (default: powerclamp)."),
         QStringLiteral("TOPIC")},
        {Name,
         QStringLiteral(
             "The meter's name in topics, in Home Assistant and in metric labels: letters, digits, "
             "'_' and '-' (default: powerclamp)."),
         QStringLiteral("NAME")},
        {HaPrefix,
         QStringLiteral(
             "Home Assistant's discovery prefix (default: homeassistant); '' turns discovery off."),
         QStringLiteral("PREFIX")},
        {Metrics,
         QStringLiteral(
             "Serve Prometheus metrics at http://ADDRESS:PORT/metrics (ADDRESS: 127.0.0.1 unless given)."),
         QStringLiteral("[ADDRESS:]PORT")},
    });
}

std::optional<PublishSettings> publishSettings(const QCommandLineParser &parser, QString *error) {
    PublishSettings settings;
    if (parser.isSet(Name)) {
        settings.meterName = parser.value(Name);
        static const QRegularExpression name(QStringLiteral("^[A-Za-z0-9_-]+$"));
        if (!name.match(settings.meterName).hasMatch()) {
            *error = QStringLiteral("--name '%1' may hold only letters, digits, '_' and '-'")
                         .arg(settings.meterName);
            return std::nullopt;
        }
    }
    if (parser.isSet(Mqtt)) {
        settings.mqtt = mqttSettings(parser, error);
        if (!settings.mqtt)
            return std::nullopt;
    } else {
        for (const QString &option : {MqttUser, MqttPasswordFile, MqttCa, MqttPrefix, HaPrefix})
            if (parser.isSet(option)) {
                *error = QStringLiteral("--%1 needs --mqtt").arg(option);
                return std::nullopt;
            }
    }
    if (parser.isSet(Metrics)) {
        settings.metrics = metricsSettings(parser.value(Metrics), error);
        if (!settings.metrics)
            return std::nullopt;
    }
    return settings;
}
