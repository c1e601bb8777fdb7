#include "output/LogFormat.h"

#include "measure/BaseUnits.h"

#include <QStringList>

namespace {

QByteArray csvLine(const QStringList &fields) {
    QStringList quoted;
    quoted.reserve(fields.size());
    for (const QString &field : fields)
        quoted << csvField(field);
    return (quoted.join(u',') + QStringLiteral("\r\n")).toUtf8();
}

} // namespace

QByteArray csvHeader() {
    return QByteArrayLiteral("time,item,value,unit,base_value,base_unit\r\n");
}

QString csvField(const QString &text) {
    // Quotes, separators and line breaks need quoting by RFC 4180; leading or trailing blanks
    // are quoted too, since some readers trim them from bare fields.
    const bool needsQuotes = text.contains(u',') || text.contains(u'"') || text.contains(u'\r') ||
                             text.contains(u'\n') || text.startsWith(u' ') || text.endsWith(u' ');
    if (!needsQuotes)
        return text;
    QString escaped = text;
    escaped.replace(QStringLiteral("\""), QStringLiteral("\"\""));
    return u'"' + escaped + u'"';
}

QByteArray csvReadingRows(const QDateTime &time, const std::vector<ShownReading> &readings) {
    const QString timeText = isoTimeWithOffset(time);
    QByteArray rows;
    for (const ShownReading &reading : readings) {
        const std::optional<BaseValue> base = baseValue(reading.value, reading.unit);
        rows += csvLine({timeText, reading.item, reading.value, reading.unit, base ? base->number : QString(),
                         base ? base->unit : QString()});
    }
    return rows;
}

QByteArray csvLinkRow(const QDateTime &time, bool connected) {
    return csvLine({isoTimeWithOffset(time), QString(),
                    connected ? QStringLiteral("Connected") : QStringLiteral("Unconnected"), QString(),
                    QString(), QString()});
}

QByteArray csvAlarmRow(const AlarmEvent &event) {
    return csvLine({isoTimeWithOffset(event.time), event.alarm.item, alarmValueText(event.alarm),
                    alarmEventWord(event), QString(), QString()});
}
