#include "cli/AnswerLines.h"

#include "measure/BaseUnits.h"
#include "measure/UnitFacts.h"
#include "output/LogFormat.h"
#include "readings/StatisticsText.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QStringList>

namespace {

// A JSON string, escaped by Qt's writer.
QByteArray jsonString(const QString &text) {
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return array.mid(1, array.size() - 2); // without the array's brackets
}

QByteArray readingObject(const ShownReading &reading) {
    const std::optional<BaseValue> base = baseValue(reading.value, reading.unit);
    // The log's plain decimal text is a JSON number as it stands: no exponent, no leading zeros.
    return "{\"item\": " + jsonString(reading.item) +
           ", \"value\": " + jsonString(trimSpaces(reading.value)) +
           ", \"unit\": " + jsonString(reading.unit) +
           ", \"base_value\": " + (base ? base->number.toUtf8() : QByteArrayLiteral("null")) +
           ", \"base_unit\": " + (base ? jsonString(base->unit) : QByteArrayLiteral("null")) + "}";
}

QByteArray timeMember(const QDateTime &time) {
    return "{\"time\": " + jsonString(isoTimeWithOffset(time));
}

} // namespace

QByteArray readingsJsonLine(const QDateTime &time, const std::vector<ShownReading> &readings) {
    QByteArrayList objects;
    for (const ShownReading &reading : readings)
        objects << readingObject(reading);
    return timeMember(time) + ", \"readings\": [" + objects.join(", ") + "]}\n";
}

QByteArray linkJsonLine(const QDateTime &time, bool connected) {
    return timeMember(time) + ", \"link\": " + (connected ? "\"connected\"" : "\"lost\"") + "}\n";
}

QByteArray alarmJsonLine(const AlarmEvent &event) {
    // As many digits as the alarm's text gives the limit.
    constexpr int LimitDigits = 7;
    const Alarm &alarm = event.alarm;
    const QByteArray side = !event.raised ? "cleared" : alarm.high ? "high" : "low";
    const QByteArray value = alarm.value == overloadText() ? QByteArrayLiteral("null") : alarm.value.toUtf8();
    return timeMember(event.time) + ", \"alarm\": \"" + side + "\", \"item\": " + jsonString(alarm.item) +
           ", \"limit\": " + plainNumber(alarm.limit, LimitDigits).toUtf8() + ", \"value\": " + value +
           ", \"unit\": " + jsonString(alarm.unit) + ", \"text\": " + jsonString(alarmText(alarm)) + "}\n";
}

QByteArray readingsTextLine(const QDateTime &time, const std::vector<ShownReading> &readings) {
    QStringList parts{isoTimeWithOffset(time)};
    for (const ShownReading &reading : readings)
        parts << reading.item + QStringLiteral(": ") + trimSpaces(reading.value) + reading.unit;
    return (parts.join(QStringLiteral("  ")) + QLatin1Char('\n')).toUtf8();
}

QByteArray linkTextLine(const QDateTime &time, bool connected) {
    return (isoTimeWithOffset(time) + QStringLiteral("  ") +
            (connected ? QStringLiteral("Connected") : QStringLiteral("Unconnected")) + QLatin1Char('\n'))
        .toUtf8();
}

QString alarmEventText(const AlarmEvent &event) {
    return alarmEventWord(event) + QStringLiteral(": ") + alarmText(event.alarm);
}

QByteArray alarmTextLine(const AlarmEvent &event) {
    return (isoTimeWithOffset(event.time) + QStringLiteral("  ") + alarmEventText(event) + QLatin1Char('\n'))
        .toUtf8();
}
