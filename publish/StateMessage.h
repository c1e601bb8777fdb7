#pragma once

// The meter's MQTT topics and its state message. Pure.

#include "publish/PublishedReading.h"

#include <QByteArray>
#include <QDateTime>

struct MeterTopics {
    QString state;        // PREFIX/NAME/state
    QString availability; // PREFIX/NAME/availability, retained "online" or "offline"
};

MeterTopics meterTopics(const QString &prefix, const QString &meterName);

QByteArray availabilityPayload(bool online);

// {"time": "<ISO 8601 local time, milliseconds, offset>", "<key>": <base value or null>, ...}
// in the answer's order; the numbers are the exact decimals the log writes.
QByteArray stateMessage(const QDateTime &time, const std::vector<PublishedReading> &readings);
