#include "publish/Discovery.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringView>

#include <array>

namespace {

struct UnitClass {
    QStringView baseUnit;
    QStringView deviceClass;
};

constexpr std::array<UnitClass, 7> UnitClasses = {{
    {u"V", u"voltage"},
    {u"A", u"current"},
    {u"W", u"power"},
    {u"var", u"reactive_power"},
    {u"VA", u"apparent_power"},
    {u"Wh", u"energy"},
    {u"Hz", u"frequency"},
}};

bool isPowerFactorItem(const QString &item) {
    return item.startsWith(QLatin1String("PF"));
}

} // namespace

SensorClass sensorClassOf(const QString &item, const QString &baseUnit) {
    SensorClass sensor{QString(), QStringLiteral("measurement")};
    if (isPowerFactorItem(item)) {
        sensor.deviceClass = QStringLiteral("power_factor");
        return sensor;
    }
    for (const UnitClass &row : UnitClasses)
        if (row.baseUnit == baseUnit)
            sensor.deviceClass = row.deviceClass.toString();
    if (sensor.deviceClass == QLatin1String("energy"))
        sensor.stateClass = QStringLiteral("total_increasing");
    return sensor;
}

std::optional<DiscoveryMessage> discoveryMessage(const QString &discoveryPrefix, const QString &meterName,
                                                 const MeterTopics &topics, const DeviceInfo &device,
                                                 const PublishedReading &reading) {
    if (!reading.baseUnit || !isPlainKey(reading.key))
        return std::nullopt;
    const SensorClass sensor = sensorClassOf(reading.item, *reading.baseUnit);
    QJsonObject config{
        {QStringLiteral("name"), reading.item},
        {QStringLiteral("unique_id"), meterName + u'_' + reading.key},
        {QStringLiteral("state_topic"), topics.state},
        {QStringLiteral("value_template"), QStringLiteral("{{ value_json.%1 }}").arg(reading.key)},
        {QStringLiteral("availability_topic"), topics.availability},
        {QStringLiteral("state_class"), sensor.stateClass},
        {QStringLiteral("device"),
         QJsonObject{
             {QStringLiteral("identifiers"), QJsonArray{QStringLiteral("powerclamp_") + meterName}},
             {QStringLiteral("name"), meterName},
             {QStringLiteral("model"), device.model},
             {QStringLiteral("sw_version"), device.softwareVersion},
         }},
    };
    // A plain number (a power factor) has no unit; Home Assistant wants none rather than "".
    if (!reading.baseUnit->isEmpty())
        config.insert(QStringLiteral("unit_of_measurement"), *reading.baseUnit);
    if (!sensor.deviceClass.isEmpty())
        config.insert(QStringLiteral("device_class"), sensor.deviceClass);
    const QString topic = discoveryPrefix + QStringLiteral("/sensor/") + meterName + u'/' + reading.key +
                          QStringLiteral("/config");
    return DiscoveryMessage{topic, QJsonDocument(config).toJson(QJsonDocument::Compact)};
}
