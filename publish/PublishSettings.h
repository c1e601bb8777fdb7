#pragma once

// Where the readings go besides the log: an MQTT broker and a Prometheus endpoint. Plain values,
// made by the command line and read by the publishers.

#include <QByteArray>
#include <QHostAddress>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <optional>

struct MqttSettings {
    QString host;
    uint16_t port = 1883;
    QString user;        // empty: connect without a user name
    QByteArray password; // only with a user; never printed
    QString caFile;      // empty: plain TCP; else TLS, the broker verified against this CA
    QString topicPrefix = QStringLiteral("powerclamp");
    QString discoveryPrefix = QStringLiteral("homeassistant"); // empty: no Home Assistant discovery
    // State messages kept while the broker is away: an hour of answers at one a second (the meter
    // answers every 1.5 s); beyond it the oldest go first.
    size_t queueCapacity = 3600;
};

struct MetricsSettings {
    QHostAddress address = QHostAddress(QHostAddress::LocalHost);
    uint16_t port = 0; // 0: any free port
};

struct PublishSettings {
    QString meterName = QStringLiteral("powerclamp"); // in topics, in Home Assistant, in metric labels
    std::optional<MqttSettings> mqtt;
    std::optional<MetricsSettings> metrics;
};
