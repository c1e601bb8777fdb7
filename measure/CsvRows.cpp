#include "measure/CsvRows.h"

#include "measure/BaseUnits.h"

#include <QStringList>

#include <cstdlib>

namespace {

QByteArray csvLine(const QStringList &fields) {
    QStringList quoted;
    quoted.reserve(fields.size());
    for (const QString &field : fields)
        quoted << csvField(field);
    return (quoted.join(u',') + QStringLiteral("\r\n")).toUtf8();
}

// The reading's fields after `first`: item, value, unit, and the value as a number in its base unit.
QByteArray readingRow(const QString &first, const ShownReading &reading) {
    const std::optional<BaseValue> base = baseValue(reading.value, reading.unit);
    return csvLine({first, reading.item, reading.value, reading.unit, base ? base->number : QString(),
                    base ? base->unit : QString()});
}

} // namespace

QByteArray csvHeader() {
    return QByteArrayLiteral("time,item,value,unit,base_value,base_unit\r\n");
}

QString isoTimeWithOffset(const QDateTime &time) {
    const int offsetMinutes = time.offsetFromUtc() / 60;
    const QChar sign = offsetMinutes < 0 ? u'-' : u'+';
    const int magnitude = std::abs(offsetMinutes);
    return time.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz")) + sign +
           QStringLiteral("%1:%2")
               .arg(magnitude / 60, 2, 10, QLatin1Char('0'))
               .arg(magnitude % 60, 2, 10, QLatin1Char('0'));
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
    for (const ShownReading &reading : readings)
        rows += readingRow(timeText, reading);
    return rows;
}

QByteArray csvLinkRow(const QDateTime &time, bool connected) {
    return csvLine({isoTimeWithOffset(time), QString(),
                    connected ? QStringLiteral("Connected") : QStringLiteral("Unconnected"), QString(),
                    QString(), QString()});
}

QByteArray csvDroppedRow(const QDateTime &time, qint64 answers) {
    return csvLine({isoTimeWithOffset(time), QString(), QStringLiteral("%1 answers dropped").arg(answers),
                    QString(), QString(), QString()});
}

QByteArray csvRecordHeader() {
    return QByteArrayLiteral("record,item,value,unit,base_value,base_unit\r\n");
}

QByteArray csvRecordRows(int number, const ShownBlocks &record) {
    QByteArray rows;
    for (const ShownReading &reading : presentReadings(record))
        rows += readingRow(QString::number(number), {reading.item, trimSpaces(reading.value), reading.unit});
    return rows;
}
