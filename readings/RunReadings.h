#pragma once

// The readings of a run and everything kept from them: the history the trend draws and its
// statistics are taken from, the reading log, and the alarms. Fed with each realtime answer's
// time and readings and with every loss of the link, by the window or any other listener of the
// meter. No widget.

#include "measure/ShownReadings.h"
#include "readings/AlarmMonitor.h"
#include "readings/ReadingHistory.h"

#include <QObject>

#include <functional>
#include <memory>
#include <vector>

class ReadingLog;

// Where an alarm's item was beyond its limit: from the first reading beyond it to the one that
// cleared the alarm, on the monotonic clock.
struct AlarmSpell {
    QString item;
    bool high = false;
    qint64 fromMs = 0;
    qint64 toMs = -1; // -1 while the alarm is raised
};

class RunReadings final : public QObject {
    Q_OBJECT
public:
    // Milliseconds on a clock that never goes back.
    using MonotonicClock = std::function<qint64()>;
    explicit RunReadings(MonotonicClock clock, QObject *parent = nullptr);
    ~RunReadings() override;

    void addAnswer(const QDateTime &time, const std::vector<ShownReading> &readings);
    void linkLost(const QDateTime &time);

    // Starts logging every answer into the file (see ReadingLog::open); returns why it could
    // not, or an empty text.
    QString startLog(const QString &path);
    void stopLog();
    // The running log, or nullptr.
    const ReadingLog *log() const { return readingLog.get(); }

    // Alarms that end because their limit changed clear at `time`.
    void setAlarmLimits(const std::vector<AlarmLimit> &limits, const QDateTime &time);
    const AlarmMonitor &alarms() const { return monitor; }
    // Oldest first; those that ended before the history's oldest answer are let go.
    const std::vector<AlarmSpell> &alarmSpells() const { return spells; }

    const ReadingHistory &history() const { return readingHistory; }

signals:
    // The log took rows.
    void logWritten();
    // A write failed: the log has stopped, with `rows` rows in the file.
    void logStopped(const QString &path, qint64 rows, const QString &failure);
    // An alarm was raised or cleared, or the value of a raised one changed.
    void alarmsChanged();

private:
    void keepAlarmEvents(const std::vector<AlarmEvent> &events);
    void appendToLog(const QByteArray &rows, int rowCount);

    MonotonicClock clock;
    ReadingHistory readingHistory;
    AlarmMonitor monitor;
    std::vector<AlarmSpell> spells;
    std::unique_ptr<ReadingLog> readingLog;
};
