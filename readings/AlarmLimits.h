#pragma once

// The limits alarms watch: per item, a lower and an upper limit in the item's base unit, how long
// a value must stay beyond one before the alarm is raised, and how far back inside it must come
// before the alarm clears. Limits are also written as texts, 'U1<207' or 'I1>16', on the command
// line of the headless program.

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

constexpr qint64 DefaultAlarmHoldMs = 3000;
constexpr double DefaultAlarmHysteresisPercent = 1.0;

struct AlarmLimit {
    QString item;
    std::optional<double> lower; // raised while the value is below it
    std::optional<double> upper; // raised while the value is above it; an overload is above any
    qint64 holdMs = DefaultAlarmHoldMs;
    // The alarm clears once the value is back inside by this share of the limit.
    double hysteresisPercent = DefaultAlarmHysteresisPercent;
};

bool sameLimit(const AlarmLimit &first, const AlarmLimit &second);

// How far inside a limit a value must come back to clear its alarm.
double hysteresisBand(const AlarmLimit &limit, double limitValue);

// Why the limit cannot be watched (no item of the meter, no limit, the lower one not below the
// upper one, a negative hold time, a hysteresis outside 0 to 100 %), or an empty text.
QString alarmLimitProblem(const AlarmLimit &limit);

// One side of a limit as a text gives it.
struct AlarmBound {
    QString item;
    bool upper = false; // 'I1>16'; 'U1<207' is a lower limit
    double value = 0;
};

// Reads 'U1<207' (U1 below 207 alarms) or 'I1>16' (I1 above 16 alarms), blanks allowed around the
// parts, the number in the item's base unit with a point for decimals. Returns nothing and says
// why in `error` for anything else.
std::optional<AlarmBound> parseAlarmBound(const QString &text, QString &error);

// The limits the texts set together, one per item in the order the items first appear, each with
// the hold time given. Returns nothing and says what is wrong in `error` for a bad text, a side
// set twice, or sides that contradict each other.
std::optional<std::vector<AlarmLimit>> alarmLimitsFromTexts(const QStringList &texts, qint64 holdMs,
                                                            QString &error);
