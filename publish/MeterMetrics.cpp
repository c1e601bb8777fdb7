#include "publish/MeterMetrics.h"

#include <algorithm>

namespace {

QString labelValue(const QString &text) {
    QString escaped = text;
    escaped.replace(u'\\', QStringLiteral("\\\\"));
    escaped.replace(u'"', QStringLiteral("\\\""));
    escaped.replace(u'\n', QStringLiteral("\\n"));
    return u'"' + escaped + u'"';
}

void family(QString &text, const char *name, const char *type, const char *help) {
    text += QStringLiteral("# HELP %1 %2\n# TYPE %1 %3\n")
                .arg(QLatin1String(name), QLatin1String(help), QLatin1String(type));
}

// Seconds with milliseconds, in decimals rather than through a double.
QString unixSeconds(qint64 msecs) {
    return QStringLiteral("%1.%2").arg(msecs / 1000).arg(msecs % 1000, 3, 10, QLatin1Char('0'));
}

} // namespace

MeterMetrics::MeterMetrics(QString meterName) : meterName(std::move(meterName)) {}

void MeterMetrics::takeAnswer(const QDateTime &time, const std::vector<PublishedReading> &readings) {
    const qint64 msecs = time.toMSecsSinceEpoch();
    for (const PublishedReading &reading : readings) {
        auto known = std::find_if(items.begin(), items.end(),
                                  [&reading](const Item &item) { return item.item == reading.item; });
        if (known == items.end())
            known = items.insert(items.end(), Item{reading.item, QString(), std::nullopt, msecs});
        known->shownAtMsecs = msecs;
        known->number = reading.number;
        if (reading.baseUnit)
            known->baseUnit = *reading.baseUnit;
    }
    linkUp = true;
    ++answers;
    lastAnswerMsecs = msecs;
}

void MeterMetrics::takeLinkConnected() {
    linkUp = true;
}

void MeterMetrics::takeLinkLost() {
    linkUp = false;
}

void MeterMetrics::takeTimeout() {
    ++timeouts;
}

QByteArray MeterMetrics::render(qint64 nowMsecsSinceEpoch) const {
    const QString meter = QStringLiteral("meter=") + labelValue(meterName);
    QString text;
    family(text, "powerclamp_reading", "gauge",
           "Latest value of each item the meter showed in the last minute, in its base unit.");
    for (const Item &item : items) {
        if (!item.number || nowMsecsSinceEpoch - item.shownAtMsecs > ReadingWindowMsecs)
            continue;
        text += QStringLiteral("powerclamp_reading{%1,item=%2,unit=%3} %4\n")
                    .arg(meter, labelValue(item.item), labelValue(item.baseUnit), *item.number);
    }
    family(text, "powerclamp_link_up", "gauge", "1 while the meter answers, 0 otherwise.");
    text += QStringLiteral("powerclamp_link_up{%1} %2\n").arg(meter, QString::number(linkUp ? 1 : 0));
    family(text, "powerclamp_answers_total", "counter", "Realtime answers received since start.");
    text += QStringLiteral("powerclamp_answers_total{%1} %2\n").arg(meter, QString::number(answers));
    family(text, "powerclamp_timeouts_total", "counter",
           "Requests the meter did not answer in time, since start.");
    text += QStringLiteral("powerclamp_timeouts_total{%1} %2\n").arg(meter, QString::number(timeouts));
    family(text, "powerclamp_last_answer_timestamp_seconds", "gauge", "Unix time of the latest answer.");
    if (lastAnswerMsecs)
        text += QStringLiteral("powerclamp_last_answer_timestamp_seconds{%1} %2\n")
                    .arg(meter, unixSeconds(*lastAnswerMsecs));
    return text.toUtf8();
}
