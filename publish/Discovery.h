#pragma once

// Home Assistant's MQTT discovery: one retained config message per item, which makes the item a
// sensor of the meter's device. Pure.

#include "publish/PublishedReading.h"
#include "publish/StateMessage.h"

#include "Version.h"

#include <QByteArray>

struct SensorClass {
    QString deviceClass; // empty: none
    QString stateClass;
};

// voltage, current, power, reactive_power, apparent_power, power_factor, energy, frequency, or
// none; energy only ever grows, the rest are measurements.
SensorClass sensorClassOf(const QString &item, const QString &baseUnit);

// The device all of one meter's sensors belong to.
struct DeviceInfo {
    QString model = QStringLiteral("Large Caliber Power Clamp");
    QString softwareVersion = QStringLiteral(POWERCLAMP_VERSION);
};

struct DiscoveryMessage {
    QString topic; // DISCOVERY_PREFIX/sensor/NAME/KEY/config
    QByteArray payload;
};

// The config for a reading's item, or nothing while its unit is unknown (an overload) or its key
// cannot name a Home Assistant object.
std::optional<DiscoveryMessage> discoveryMessage(const QString &discoveryPrefix, const QString &meterName,
                                                 const MeterTopics &topics, const DeviceInfo &device,
                                                 const PublishedReading &reading);
