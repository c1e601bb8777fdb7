#include "readings/RunReadings.h"

#include "output/LogFormat.h"
#include "output/ReadingLog.h"

RunReadings::RunReadings(MonotonicClock clock, QObject *parent) : QObject(parent), clock(std::move(clock)) {}

RunReadings::~RunReadings() = default;

void RunReadings::addAnswer(const QDateTime &time, const std::vector<ShownReading> &readings) {
    const qint64 now = clock();
    const std::vector<AlarmEvent> events = monitor.check(time, now, readings);
    keepAlarmEvents(events);
    const bool regained = readingHistory.addAnswer(time, now, readings);
    // Spells that ended before the history's oldest answer have nothing left to mark.
    const qint64 oldest = readingHistory.answers().front().monotonicMs;
    while (!spells.empty() && spells.front().toMs >= 0 && spells.front().toMs < oldest)
        spells.erase(spells.begin());

    QByteArray rows = regained ? csvLinkRow(time, true) : QByteArray();
    rows += csvReadingRows(time, readings);
    for (const AlarmEvent &event : events)
        rows += csvAlarmRow(event);
    appendToLog(rows, int(readings.size() + events.size()) + (regained ? 1 : 0));
    if (!events.empty() || !monitor.raised().empty())
        emit alarmsChanged();
}

void RunReadings::linkLost(const QDateTime &time) {
    monitor.linkLost();
    if (readingHistory.markLinkLost(time, clock()))
        appendToLog(csvLinkRow(time, false), 1);
}

QString RunReadings::startLog(const QString &path) {
    QString failure;
    readingLog = ReadingLog::open(path, csvHeader(), failure);
    return failure;
}

void RunReadings::stopLog() {
    readingLog.reset();
}

void RunReadings::setAlarmLimits(const std::vector<AlarmLimit> &limits, const QDateTime &time) {
    const std::vector<AlarmEvent> events = monitor.setLimits(limits, time, clock());
    keepAlarmEvents(events);
    QByteArray rows;
    for (const AlarmEvent &event : events)
        rows += csvAlarmRow(event);
    appendToLog(rows, int(events.size()));
    emit alarmsChanged();
}

void RunReadings::keepAlarmEvents(const std::vector<AlarmEvent> &events) {
    for (const AlarmEvent &event : events) {
        if (event.raised) {
            spells.push_back({event.alarm.item, event.alarm.high, event.alarm.sinceMonotonicMs, -1});
            continue;
        }
        for (AlarmSpell &spell : spells)
            if (spell.item == event.alarm.item && spell.toMs < 0)
                spell.toMs = event.monotonicMs;
    }
}

void RunReadings::appendToLog(const QByteArray &rows, int rowCount) {
    if (!readingLog || rowCount == 0)
        return;
    const QString failure = readingLog->append(rows, rowCount);
    if (failure.isEmpty()) {
        emit logWritten();
        return;
    }
    const QString path = readingLog->path();
    const qint64 rowsKept = readingLog->rows();
    readingLog.reset();
    emit logStopped(path, rowsKept, failure);
}
