#pragma once

// Watches readings against alarm limits. A plain object: fed with each answer's readings, the
// wall clock's time and the time on a clock that never goes back, it says which alarms were
// raised and which cleared. The window and the headless logger both use it.

#include "measure/ShownReadings.h"
#include "readings/AlarmLimits.h"

#include <QDateTime>
#include <QHash>

#include <vector>

struct Alarm {
    QString item;
    bool high = false; // above the upper limit; else below the lower one
    double limit = 0;  // in the item's base unit
    QString value;     // the reading, a plain number in the base unit, or the overload's text
    QString unit;      // the item's base unit, as its numbers came
    QDateTime since;   // when the value first crossed the limit
    qint64 sinceMonotonicMs = 0;
};

struct AlarmEvent {
    bool raised = false; // else cleared
    // The alarm, with the reading that raised or cleared it.
    Alarm alarm;
    QDateTime time;
    qint64 monotonicMs = 0;
};

// "alarm high", "alarm low" or "alarm cleared".
QString alarmEventWord(const AlarmEvent &event);
// The reading with its unit: "206.5 V", or the overload's text.
QString alarmValueText(const Alarm &alarm);
// "U1 below 207 V since 09:01:03, now 206.5 V", in local time.
QString alarmText(const Alarm &alarm);

class AlarmMonitor {
public:
    // Watches these limits from now on. A limit that stays the same keeps its state; an alarm
    // whose limit changed or went clears at `time`.
    std::vector<AlarmEvent> setLimits(const std::vector<AlarmLimit> &limits, const QDateTime &time,
                                      qint64 monotonicMs);
    std::vector<AlarmLimit> limits() const;

    // One realtime answer.
    std::vector<AlarmEvent> check(const QDateTime &time, qint64 monotonicMs,
                                  const std::vector<ShownReading> &readings);
    // A lost link breaks every hold under way; raised alarms stay until a reading clears them.
    void linkLost();

    // The alarms raised now, in the order of the limits.
    std::vector<Alarm> raised() const;

private:
    struct Watch {
        AlarmLimit limit;
        enum class Phase { Inside, Crossing, Raised } phase = Phase::Inside;
        Alarm alarm; // the side, the limit and since when, while crossing or raised
        bool seen = false;
        qint64 lastReadingMs = 0;
    };
    void take(Watch &watch, const QDateTime &time, qint64 monotonicMs, const ShownReading &reading,
              std::vector<AlarmEvent> &events);
    void breakHolds();

    std::vector<Watch> watches;
    QHash<QString, size_t> watchOfItem;
    bool answered = false;
    qint64 lastAnswerMs = 0;
};
